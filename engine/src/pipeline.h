#pragma once
// The processing stages the exported calls run on a prepared context.

#include <cstdint>

#include "face_context.h"

namespace ovfc {

// Face, eye pair and elements located into the context's records. The mode and the element
// count must be set. 0, 3, 26, 27 or 30. With "r_manual" set, starts from the positions the
// context already holds (see ProcessOptions in face_calls.h).
int RunPipeline(FaceContext& ctx);
// Creation mode: the pipeline, the "mask_filt" smoothing and BuildMasks.
int ProcessForDescriptor(FaceContext& ctx);
// Matching mode: the pipeline on a context that holds the person's masks.
int ProcessForMatching(FaceContext& ctx);
// Cuts the context's own masks at the located elements (descriptor/build_masks.h).
int BuildMasks(FaceContext& ctx);
// One entry per element and used filter into a buffer of elementCount x filterCount
// entries (at most 72), measured with the context's own masks. 0, 3, 26, 27.
int BuildComparisonVector(FaceContext& ctx, std::int32_t* vector);

}  // namespace ovfc
