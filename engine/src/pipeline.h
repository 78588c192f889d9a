#pragma once
// The processing stages the exported calls run on a prepared context. Their bodies live in
// pipeline_stages.cpp; until the face, eye and element searches exist there, each returns
// kStageUnavailable.

#include <cstdint>

#include "face_context.h"

namespace ovfc {

// Returned by a stage whose implementation is not present in this build. Reaches the
// caller as "request not supported".
inline constexpr int kStageUnavailable = 29;

// Creation mode: the pipeline, the "mask_filt" smoothing and BuildMasks.
int ProcessForDescriptor(FaceContext& ctx);
// Matching mode: the pipeline on a context that holds the person's masks.
int ProcessForMatching(FaceContext& ctx);
// Cuts the context's own masks at the located elements.
int BuildMasks(FaceContext& ctx);
// One entry per element and used filter into a buffer of elementCount x filterCount
// entries (at most 72).
int BuildComparisonVector(FaceContext& ctx, std::int32_t* vector);

}  // namespace ovfc
