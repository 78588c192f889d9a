#include "eyes/eye_region.h"

#include "config_store.h"
#include "eyes/eye_search.h"
#include "filters/position_maps.h"
#include "geometry/face_geometry.h"
#include "library_state.h"
#include "status.h"

namespace ovfc {

int BuildEyeRegion(FaceContext& ctx, const Mask& mask, const ElementRecord& eye,
                   RotatedBuffer& region) {
    if (ctx.unit.unit <= 0) return kGeometry;
    const ConfigStore& c = ctx.config;
    const int mw = static_cast<int>(mask.width), mh = static_cast<int>(mask.height);
    const RegionRequest q{.xMin = eye.xMin,
                          .xMax = eye.xMax,
                          .yMin = eye.yMin,
                          .yMax = eye.yMax,
                          .scale = c.readReal("mask", "eye_mask_unit") / ctx.unit.unit,
                          .yShift = 0.0,
                          .maskW = mw,
                          .maskH = mh,
                          .minW = mw + c.readInt("param", "eye_xadd"),
                          .minH = mh + c.readInt("param", "eye_yadd"),
                          .mode = BorderMode::Clip};
    return BuildEyeLineRegion(ctx, q, region);
}

int BuildEyeEdgeMap(FaceContext& ctx, Scratch& scratch, ImageView region, int mw, int mh,
                    std::uint8_t* map) {
    const ConfigStore& c = ctx.config;
    EyeEdgeParams p;
    p.rx = c.readInt("param", "Eye_Edge_Rx");
    p.ry = c.readInt("param", "Eye_Edge_Ry");
    p.roughThreshold = c.readInt("param", "Eye_Rough_Tr");
    p.edgeFactor = c.readReal("param", "eye_edge_tr");
    p.edgeFactorMax = c.readReal("param", "eye_edge_tr_max");
    p.greyLow = ctx.image.greyLow;
    p.greyHigh = ctx.image.greyHigh;
    return EyeEdgeMap(scratch, region, mw / 2, mh / 2, p, map);
}

int FindEyeMinima(FaceContext& ctx, Scratch& scratch, ImageView region, MaskValues mask,
                  const std::uint8_t* allowed, double thresholdFactor, Candidate* out, int& count) {
    CandidateOptions o;
    o.thresholdFactor = thresholdFactor;
    o.thresholdCap = 296;
    o.varianceTr = ctx.config.readReal("param", "variance_tr");
    MatchResult globalMin;
    const int rc =
        FindCandidates(scratch, region, mask, allowed, o, kEyeMinima, out, count, globalMin);
    if (rc == kNoMemory) return kNoMemory;
    return (rc != kOk || count <= 0) ? kNoEyeFound : kOk;
}

const Mask* DefaultEyeMask(const FaceContext& ctx, int id) {
    const Mask* m = ctx.library.defaultMasks.find(static_cast<std::uint8_t>(id));
    return (m != nullptr && m->normalised() != nullptr) ? m : nullptr;
}

}  // namespace ovfc
