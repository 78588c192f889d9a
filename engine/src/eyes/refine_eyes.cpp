// Refinement of the eye centres: one step with the default eye masks inside the current eye
// windows, and the search with the person's own eye masks.
#include <algorithm>
#include <cmath>

#include "config_store.h"
#include "elements/element_search.h"
#include "eyes/eye_region.h"
#include "eyes/eye_search.h"
#include "face/find_candidates.h"
#include "geometry/face_geometry.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {

namespace {

struct EyeHit {
    std::int32_t x = 0, y = 0, score = 0;
};

// Best position of the eye mask in the eye's window. 0, 3, 26, 29.
int refineOne(FaceContext& ctx, Scratch& scratch, const Mask& mask, const ElementRecord& eye,
              EyeHit& hit) {
    const ConfigStore& c = ctx.config;
    RotatedBuffer region(scratch);
    if (const int rc = BuildEyeRegion(ctx, mask, eye, region); rc != kOk) return rc;
    const ImageView view = region.view();
    const int mw = static_cast<int>(mask.width), mh = static_cast<int>(mask.height);
    const MaskValues values{mask.normalised(), mw, mh};
    ScratchArray<std::uint8_t> allowed(scratch, static_cast<std::size_t>(view.width) * view.height);
    if (!allowed) return kNoMemory;
    const bool edgeCond = c.readInt("param", "eye_cond") == 1;

    int bestX = 0, bestY = 0, best = 0;
    if (c.readInt("param", "eye_cond_tmp") == 1) {
        if (edgeCond) {
            if (const int rc = BuildEyeEdgeMap(ctx, scratch, view, mw, mh, allowed.get());
                rc != kOk)
                return rc;
        }
        Candidate found[kEyeMinima];
        int n = 0;
        if (const int rc = FindEyeMinima(ctx, scratch, view, values,
                                         edgeCond ? allowed.get() : nullptr, 30000, found, n);
            rc != kOk)
            return rc;
        int k = 0;
        for (int i = 1; i < n; ++i)
            if (found[i].value < found[k].value) k = i;
        bestX = found[k].x;
        bestY = found[k].y;
        best = found[k].value;
    } else {
        if (const int rc = BuildEyeEdgeMap(ctx, scratch, view, mw, mh, allowed.get()); rc != kOk)
            return rc;
        MatchResult r;
        if (const int rc = MatchGreyTemplate(ctx, scratch, view, values, allowed.get(), r);
            rc != kOk)
            return rc;
        if (r.score >= kRejected) return kNoEyeFound;
        bestX = r.x;
        bestY = r.y;
        best = r.score;
    }
    const RotatedGeometry& g = region.geometry();
    hit.x = static_cast<std::int32_t>(g.imageX(bestX, bestY));
    hit.y = static_cast<std::int32_t>(g.imageY(bestX, bestY));
    hit.score = static_cast<std::int32_t>(best * 225.0 / static_cast<double>(mask.area()));
    return kOk;
}

}  // namespace

int RefineEyes(FaceContext& ctx, Scratch& scratch) {
    EyeHit hits[2];
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        const Mask* mask = DefaultEyeMask(ctx, id);
        if (mask == nullptr) return kBadDescriptor;
        const int rc = refineOne(ctx, scratch, *mask, ctx.elements[id], hits[id - 1]);
        if (rc == kNoEyeFound) return kGeometry;
        if (rc != kOk) return rc;
    }
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        ElementRecord& e = ctx.elements[id];
        e.xC = hits[id - 1].x;
        e.yC = hits[id - 1].y;
        e.score = std::min(e.score, hits[id - 1].score);
    }
    CentreEyeWindows(ctx, 2.0);
    return kOk;
}

int RefineEyesWithPerson(FaceContext& ctx, double k) {
    const ConfigStore& c = ctx.config;
    const std::int32_t unit = ctx.unit.unit;
    if (unit <= 0) return kGeometry;
    const std::int32_t dx =
        static_cast<std::int32_t>(unit * k * c.readReal("param", "eye_xadd_base"));
    const std::int32_t dy =
        static_cast<std::int32_t>(unit * k * c.readReal("param", "eye_yadd_base"));
    const double eyeUnit = c.readReal("mask", "eye_mask_unit");
    const std::int32_t half = static_cast<std::int32_t>(1.5 * unit / eyeUnit + 0.5);

    PoolScratch scratch(ctx.pool);
    ElementHit hits[2];
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        const Mask* mask = ctx.masks.find(static_cast<std::uint8_t>(id));
        if (mask == nullptr) return kBadDescriptor;
        const ElementRecord& e = ctx.elements[id];
        const int rc = SearchElementAt(ctx, scratch, *mask, eyeUnit / unit, 0.0, 0, 0,
                                       ElementWindow{e.xC - dx, e.xC + dx, e.yC - dy, e.yC + dy},
                                       hits[id - 1]);
        if (rc != kOk) return rc;
    }
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        ElementRecord& e = ctx.elements[id];
        const ElementHit& h = hits[id - 1];
        // An eye whose every window was rejected keeps its centre.
        if (h.found) {
            e.xC = h.x;
            e.yC = h.y;
            e.score = std::min(e.score, h.score);
        }
        e.xMin = e.xC - half;
        e.xMax = e.xC + half;
        e.yMin = e.yC - half;
        e.yMax = e.yC + half;
        e.xFixed = e.yFixed = 1;
    }
    UnitFromEyes(ctx);
    return kOk;
}

}  // namespace ovfc
