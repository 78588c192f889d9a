#pragma once
// The region an eye search works on: the eye's window at the eye mask scale, cut at the
// image border, and the map of where an eye mask centre may lie.

#include "face/find_candidates.h"
#include "face_context.h"
#include "geometry/rotated_region.h"

namespace ovfc {

// The clip-mode region of the eye record with the mask size plus "eye_xadd" / "eye_yadd" as
// minimum size. 0, 3 or 26.
int BuildEyeRegion(FaceContext& ctx, const Mask& mask, const ElementRecord& eye,
                   RotatedBuffer& region);

// The eye edge map of the region (region-sized) for a mask of mw x mh. 0 or 3.
int BuildEyeEdgeMap(FaceContext& ctx, Scratch& scratch, ImageView region, int mw, int mh,
                    std::uint8_t* map);

// Local minima of the eye mask's score map in the region (threshold factor as
// FindCandidates, cap 296), read at `allowed` when given; up to kEyeMinima - 1 of them.
// 0, 3, or 29 when there is none.
inline constexpr int kEyeMinima = 80;
int FindEyeMinima(FaceContext& ctx, Scratch& scratch, ImageView region, MaskValues mask,
                  const std::uint8_t* allowed, double thresholdFactor, Candidate* out, int& count);

// The default mask of eye `id` with its normalised values, or nullptr.
const Mask* DefaultEyeMask(const FaceContext& ctx, int id);

}  // namespace ovfc
