#pragma once
// How well the context's own masks fit the image at the located elements: one normalised
// template score (0..30000, lower fits better) per element and selected filter.

#include <cstdint>

#include "face_context.h"
#include "filters/scratch.h"

namespace ovfc {

// The entries of element `id` (filterCount of them, one per set bit 0..8 of the context's
// filter mask, in bit order) measured with `mask` in a region around the element's centre.
// With filter mask 0 nothing is written. 0, 3, 26, 27 (no mask, or one without normalised
// values); entries written before an error stay.
int ComputeElementEntries(FaceContext& ctx, Scratch& scratch, int id, const Mask* mask,
                          std::int32_t* out);

}  // namespace ovfc
