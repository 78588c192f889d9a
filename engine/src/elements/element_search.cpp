#include "elements/element_search.h"

#include <algorithm>
#include <cmath>

#include "config_keys.h"
#include "config_store.h"
#include "filters/filter_codes.h"
#include "filters/match_map.h"
#include "geometry/face_geometry.h"
#include "geometry/rotated_region.h"
#include "library_state.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {

int MatchGreyTemplate(const FaceContext& ctx, Scratch& scratch, ImageView region, MaskValues mask,
                      const std::uint8_t* allowed, MatchResult& best) {
    const ConfigStore& c = ctx.config;
    const double vt = c.readReal("param", "variance_tr");
    return MatchStepped(scratch, region, mask, MeanMode::Estimated, vt * vt,
                        FullScan(region.width, region.height, mask.width, mask.height),
                        std::max(1, c.readInt("param", "conv_step_y")),
                        std::max(1, c.readInt("param", "conv_step_x")), allowed, best);
}

int SearchElementAt(FaceContext& ctx, Scratch& scratch, const Mask& mask, double scale,
                    double yShift, int mx, int my, ElementWindow window, ElementHit& hit) {
    hit = ElementHit{};
    if (mask.normalised() == nullptr) return kBadDescriptor;
    const int mw = static_cast<int>(mask.width), mh = static_cast<int>(mask.height);
    const RegionRequest q{.xMin = window.xMin,
                          .xMax = window.xMax,
                          .yMin = window.yMin,
                          .yMax = window.yMax,
                          .scale = scale,
                          .yShift = yShift,
                          .maskW = mw,
                          .maskH = mh,
                          .minW = mw + mx,
                          .minH = mh + my,
                          .mode = BorderMode::Shift};
    RotatedBuffer region(scratch);
    if (const int rc = BuildEyeLineRegion(ctx, q, region); rc != kOk) return rc;

    const RotatedGeometry& g = region.geometry();
    MatchResult best;
    const int rc = MatchGreyTemplate(ctx, scratch, region.view(),
                                     MaskValues{mask.normalised(), mw, mh}, nullptr, best);
    if (rc != kOk) return rc;
    const ScanWindow scan = FullScan(g.width, g.height, mw, mh);
    // A region without contrast scores without a position (reported at the region's corner).
    const bool placed =
        best.x >= scan.j0 && best.x < scan.j1 && best.y >= scan.i0 && best.y < scan.i1;
    hit.x = static_cast<std::int32_t>(g.imageX(best.x, best.y));
    hit.y = static_cast<std::int32_t>(g.imageY(best.x, best.y) - yShift / scale);
    hit.score = static_cast<std::int32_t>(best.score * 225.0 / static_cast<double>(mask.area()));
    hit.found = placed && best.score < kRejected;
    return kOk;
}

int SearchElement(FaceContext& ctx, int id) {
    ElementRecord& e = ctx.elements[id];
    const MaskSet& set = ctx.mode == Mode::Creation ? ctx.library.defaultMasks : ctx.masks;
    const Mask* mask = set.find(static_cast<std::uint8_t>(id));
    if (mask == nullptr) return kBadDescriptor;
    const char* name = kElementNames[id];
    if (ctx.unit.unit <= 0) return kGeometry;
    const double x = ctx.config.readReal("mask", ElementKey(name, "_mask_unit")) / ctx.unit.unit;
    const std::int32_t half = static_cast<std::int32_t>(1.5 / x + 0.5);
    const double f = ctx.config.readReal("mask", ElementKey(name, "_mask_Y_shift"));

    PoolScratch scratch(ctx.pool);
    ElementHit hit;
    const int rc = SearchElementAt(ctx, scratch, *mask, x, f, 1, 1,
                                   ElementWindow{e.xMin, e.xMax, e.yMin, e.yMax}, hit);
    if (rc != kOk) return rc;
    if (!hit.found || hit.score <= 0) return kOk;
    e.score = std::min(e.score, hit.score);
    e.xC = hit.x;
    e.xMin = hit.x - half;
    e.xMax = hit.x + half;
    e.yC = hit.y;
    e.yMin = hit.y - half;
    e.yMax = hit.y + half;
    e.xFixed = e.yFixed = 1;
    return kOk;
}

void PredictElementWindow(FaceContext& ctx, int id, double f) {
    ElementRecord& e = ctx.elements[id];
    if (e.yFixed == 1) return;
    const ConfigStore& c = ctx.config;
    const char* name = kElementNames[id];
    const double H = c.readReal("mask", ElementKey(name, "_mask_height"));
    const double U = c.readReal("mask", ElementKey(name, "_mask_unit"));
    const double Ys = c.readReal("mask", ElementKey(name, "_mask_y_shift"));
    const double half = H / (2 * U);
    const double down = Ys / U + half;
    const double up = H / U - down;
    const double xmin = c.readReal("model", ElementKey(name, "_xc_min"));
    const double xmid = c.readReal("model", ElementKey(name, "_xc_mid"));
    const double xmax = c.readReal("model", ElementKey(name, "_xc_max"));
    const double ymin = c.readReal("model", ElementKey(name, "_yc_min"));
    const double ymid = c.readReal("model", ElementKey(name, "_yc_mid"));
    const double ymax = c.readReal("model", ElementKey(name, "_yc_max"));
    const double cosA = 1.0 / std::sqrt(1.0 + f * f);
    const ElementRecord& face = ctx.face;
    const double uMin = ctx.unit.unitMin, u = ctx.unit.unit, uMax = ctx.unit.unitMax;
    const double imgW = ctx.image.width, imgH = ctx.image.height;

    double r = std::min(f * xmin, f * xmax), q = std::max(f * xmin, f * xmax);
    e.yMin = static_cast<std::int32_t>(face.yMin + uMin * cosA * (r + ymin));
    e.yC = static_cast<std::int32_t>(face.yC + u * cosA * (f * xmid + ymid));
    e.yMax = static_cast<std::int32_t>(face.yMax + uMax * cosA * (q + ymax));
    if (e.yMax + uMax * down * cosA > imgH)
        e.yMax = static_cast<std::int32_t>(imgH - cosA * down * uMax);
    e.yC = std::min(e.yC, e.yMax);
    if (e.yMin - uMin * up * cosA < 0) e.yMin = static_cast<std::int32_t>(cosA * up * uMax);
    e.yMin = std::min(e.yMin, e.yMax);
    e.yC = std::max(e.yC, e.yMin);

    e.xC = static_cast<std::int32_t>(face.xC + u * cosA * (xmid - f * ymid));
    r = std::min(-f * ymin, -f * ymax);
    q = std::max(-f * ymin, -f * ymax);
    const double toMax = xmax >= 0 ? uMax : uMin, toMin = xmax >= 0 ? uMin : uMax;
    e.xMax = static_cast<std::int32_t>(face.xMax + cosA * toMax * (xmax + q));
    e.xMin = static_cast<std::int32_t>(face.xMin + toMin * cosA * (r + xmin));
    if (e.xMax + uMax * half * cosA > imgW)
        e.xMax = static_cast<std::int32_t>(imgW - cosA * half * uMax);
    e.xC = std::min(e.xC, e.xMax);
    if (e.xMin - uMin * half * cosA < 0) e.xMin = static_cast<std::int32_t>(cosA * half * uMax);
    e.xMin = std::min(e.xMin, e.xMax);
    e.xC = std::max(e.xC, e.xMin);
}

}  // namespace ovfc
