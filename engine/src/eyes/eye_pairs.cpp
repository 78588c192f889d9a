// Every pair of eye candidates of one face candidate: refined, checked and scored.
#include <cmath>
#include <cstdlib>

#include "config_store.h"
#include "eyes/eye_search.h"
#include "geometry/face_geometry.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {

namespace {

struct PairParams {
    int refineSteps;
    double radius;
    double maxRot;
    double addScore;
};

// Refines, checks and scores the pair now in the eye records. 0 with `keep`, or an error that
// ends the search.
int tryPair(FaceContext& ctx, Scratch& scratch, const PairParams& p, std::int32_t faceScore,
            std::int32_t minUnit, bool& keep, std::int32_t& score) {
    keep = false;
    CentreEyeWindows(ctx, p.radius);
    for (int step = 1; step < p.refineSteps; ++step) {
        const int rc = RefineEyes(ctx, scratch);
        if (rc == kNoMemory) return rc;
        if (rc != kOk) return kOk;
    }
    const ElementRecord& l = ctx.elements[kEyeLeft];
    const ElementRecord& r = ctx.elements[kEyeRight];
    auto geometryBad = [&] {
        const int dx = r.xC - l.xC;
        return ctx.unit.unit < minUnit || dx <= 0 ||
               std::abs(r.yC - l.yC) / static_cast<double>(dx) > p.maxRot;
    };
    if (geometryBad()) return kOk;
    if (const int rc = FindIrises(ctx, scratch); rc != kOk) return rc;
    if (ctx.unit.unit < minUnit) return kOk;
    bool ridge = false;
    if (const int rc = CheckRidge(ctx, scratch, ridge); rc != kOk) return rc;
    if (!ridge) return kOk;
    if (p.addScore != 0) {
        DeriveFaceSize(ctx);
        SetElementWindows(ctx);
        double e = 0;
        const int rc = EyeScore(ctx, scratch, e);
        if (rc == kNoMemory) return rc;
        if (rc != kOk) return kOk;
        if (e > p.addScore) e = 0;
        score = static_cast<std::int32_t>(faceScore - e);
    } else {
        score = faceScore;
    }
    keep = true;
    return kOk;
}

}  // namespace

int SearchEyePairs(FaceContext& ctx, std::int32_t faceScore, std::int32_t minUnit,
                   EyePairList& list) {
    const ConfigStore& c = ctx.config;
    const PairParams p{c.readInt("param", "eye_det_steps_r"),
                       c.readReal("param", "eye_radi_search"), c.readReal("param", "Max_Rot"),
                       c.readReal("param", "Add_score")};
    PoolScratch scratch(ctx.pool);
    EyePosition left[20], right[20];
    int nl = 0, nr = 0;
    for (const int id : {kEyeLeft, kEyeRight}) {
        const int rc = FindEyeCandidates(ctx, scratch, id, id == kEyeLeft ? left : right,
                                         id == kEyeLeft ? nl : nr);
        if (rc == kNoEyeFound) return kGeometry;
        if (rc != kOk) return rc;
    }
    const ElementRecord face = ctx.face;
    const UnitRecord unit = ctx.unit;
    for (int i = 0; i < nl; ++i) {
        for (int j = 0; j < nr; ++j) {
            ctx.face = face;
            ctx.unit = unit;
            ctx.elements[kEyeLeft].xC = left[i].x;
            ctx.elements[kEyeLeft].yC = left[i].y;
            ctx.elements[kEyeRight].xC = right[j].x;
            ctx.elements[kEyeRight].yC = right[j].y;
            bool keep = false;
            std::int32_t score = 0;
            if (const int rc = tryPair(ctx, scratch, p, faceScore, minUnit, keep, score); rc != kOk)
                return rc;
            if (!keep) continue;
            const ElementRecord& l = ctx.elements[kEyeLeft];
            const ElementRecord& r = ctx.elements[kEyeRight];
            list.pairs[list.count++] = EyePair{l.xC, l.yC, r.xC, r.yC, score};
            if (list.full()) return kOk;
        }
    }
    return kOk;
}

}  // namespace ovfc
