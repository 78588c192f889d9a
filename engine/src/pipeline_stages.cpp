// The processing stages. The searches that feed them (face, eyes, elements), the
// comparison vector and the mask cutting are not built yet: every stage reports
// kStageUnavailable, and the exported calls pass that code on.
#include "pipeline.h"

namespace ovfc {

int ProcessForDescriptor(FaceContext& ctx) {
    ctx.mode = Mode::Creation;
    ctx.elementCount = kElementCount;
    return kStageUnavailable;
}

int ProcessForMatching(FaceContext& ctx) {
    ctx.mode = Mode::Matching;
    return kStageUnavailable;
}

int BuildMasks(FaceContext&) { return kStageUnavailable; }

int BuildComparisonVector(FaceContext&, std::int32_t*) { return kStageUnavailable; }

}  // namespace ovfc
