#pragma once
// The region an eye search works on: the eye's window at the eye mask scale, cut at the
// image border, and the map of where an eye mask centre may lie.

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

// The default mask of eye `id` with its normalised values, or nullptr.
const Mask* DefaultEyeMask(const FaceContext& ctx, int id);

}  // namespace ovfc
