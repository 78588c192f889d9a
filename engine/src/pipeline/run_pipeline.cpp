// The processing pipeline: face, eye pair, nose, mouth and the further elements, in
// creation mode (default masks) or matching mode (the person's masks for the elements).
#include <algorithm>
#include <cstdlib>

#include "compare/comparison_vector.h"
#include "config_store.h"
#include "descriptor/build_masks.h"
#include "elements/element_search.h"
#include "eyes/eye_search.h"
#include "face/find_faces.h"
#include "filters/smooth.h"
#include "geometry/face_geometry.h"
#include "library_state.h"
#include "pipeline.h"
#include "pipeline/base_file.h"
#include "pool_scratch.h"
#include "score.h"
#include "status.h"

namespace ovfc {

namespace {

constexpr int kFaceCapacity = 11;

bool matching(const FaceContext& ctx) {
    return ctx.mode == Mode::Matching;
}

// Puts the eyes at the given centres and derives the face and element windows from them.
void placeEyes(FaceContext& ctx, std::int32_t xl, std::int32_t yl, std::int32_t xr,
               std::int32_t yr) {
    ctx.elements[kEyeLeft].xC = xl;
    ctx.elements[kEyeLeft].yC = yl;
    ctx.elements[kEyeRight].xC = xr;
    ctx.elements[kEyeRight].yC = yr;
    CentreEyeWindows(ctx, 2.0);
    DeriveFaceSize(ctx);
    SetElementWindows(ctx);
}

void fixNose(FaceContext& ctx) {
    ElementRecord& n = ctx.elements[kNose];
    n.xMin = n.xMax = n.xC;
    n.yMin = n.yMax = n.yC;
    n.xFixed = n.yFixed = 1;
}

// Steps B.1 to B.7: face candidates, their eye pairs and the best pair.
int searchFaceAndEyes(FaceContext& ctx, std::int32_t minUnit) {
    const ConfigStore& c = ctx.config;
    int x[kFaceCapacity], y[kFaceCapacity], score[kFaceCapacity], unit[kFaceCapacity];
    int count = 0;
    if (const int rc = FindFaces(ctx, kFaceCapacity, x, y, score, unit, count); rc != kOk)
        return rc;
    if (count <= 0) return kNoFace;
    const int wanted = std::max(0, c.readInt("param", "Face_cand_num"));
    const int use = std::min(count, wanted);
    const double add = c.readReal("param", "add_face_score");

    EyePairList pairs;
    int firstError = kOk;
    for (int s = 0; s < use && !pairs.full(); ++s) {
        ctx.unit.unit = unit[s];
        ctx.face.xC = x[s];
        ctx.face.yC = y[s];
        const auto adjusted = static_cast<std::int32_t>((400 - score[s]) * add + 200);
        CentreFaceWindow(ctx, 1.5);
        DeriveFaceSize(ctx);
        SetElementWindows(ctx);
        const int rc = SearchEyePairs(ctx, adjusted, minUnit, pairs);
        if (rc == kNoMemory || rc == kBadDescriptor) return rc;
        // A candidate whose eyes cannot be searched gives no pairs; the next one may.
        if (rc != kOk && firstError == kOk) firstError = rc;
    }
    int best = -1, bestScore = -1;
    for (int i = 0; i < pairs.count; ++i)
        if (pairs.pairs[i].score >= 0 && pairs.pairs[i].score > bestScore) {
            bestScore = pairs.pairs[i].score;
            best = i;
        }
    if (best < 0) return firstError != kOk ? firstError : kNoFace;
    if (bestScore < c.readInt("param", "FirstTR")) return kNoFace;
    const EyePair& p = pairs.pairs[best];
    placeEyes(ctx, p.xl, p.yl, p.xr, p.yr);
    return kOk;
}

// Similarity of the context's own masks at the current positions.
int scoreAtEyes(FaceContext& ctx, std::int32_t* vector, std::int32_t& score) {
    CopyFaceToFullFace(ctx);
    if (const int rc = BuildScoredVector(ctx, vector); rc != kOk) return rc;
    score = SimilarityScore(ctx.config, ctx.elementCount, ctx.filterMask, vector);
    return kOk;
}

// Step B.10: the eyes refined with the person's eye masks, kept only if they fit better.
// Refined eyes the comparison cannot use (a unit below the smallest, a steep eye line) are
// dropped as well: the comparison then runs at the eyes the search found, as without the
// refinement.
int refineWithPerson(FaceContext& ctx, int steps, std::int32_t minUnit) {
    const std::uint32_t elements = ctx.elementCount;
    ctx.elementCount = 3;
    struct Restore {
        FaceContext& ctx;
        std::uint32_t n;
        ~Restore() { ctx.elementCount = n; }
    } restore{ctx, elements};
    PoolBlock block = ctx.pool.take(kVectorEntries * sizeof(std::int32_t));
    if (!block) return kNoMemory;
    std::int32_t* vector = block.as<std::int32_t>();
    std::int32_t s0 = 0, s1 = 0;
    if (const int rc = scoreAtEyes(ctx, vector, s0); rc != kOk) return rc;
    const ElementRecord l0 = ctx.elements[kEyeLeft], r0 = ctx.elements[kEyeRight];
    const UnitRecord unit0 = ctx.unit;
    const ElementRecord face0 = ctx.face;
    const auto unrefined = [&] {
        ctx.elements[kEyeLeft] = l0;
        ctx.elements[kEyeRight] = r0;
        ctx.unit = unit0;
        ctx.face = face0;
        DeriveFaceSize(ctx);
        SetElementWindows(ctx);
        return kOk;
    };
    for (int i = 0; i < steps; ++i) {
        const int rc = RefineEyesWithPerson(ctx, 1.0);
        if (rc == kGeometry) return unrefined();
        if (rc != kOk) return rc;
    }
    const ElementRecord& l = ctx.elements[kEyeLeft];
    const ElementRecord& r = ctx.elements[kEyeRight];
    if (ctx.unit.unit < minUnit || std::abs(r.yC - l.yC) >= r.xC - l.xC) return unrefined();
    DeriveFaceSize(ctx);
    SetElementWindows(ctx);
    const int rc = scoreAtEyes(ctx, vector, s1);
    if (rc == kGeometry) return unrefined();
    if (rc != kOk) return rc;
    if (s1 < s0) {
        placeEyes(ctx, l0.xC, l0.yC, r0.xC, r0.yC);
    } else {
        ctx.eyesRefined = true;
    }
    return kOk;
}

// Step C: nose, mouth, further elements.
int searchElements(FaceContext& ctx, int manual) {
    const ConfigStore& c = ctx.config;
    if (manual != 3) {
        if (const int rc = SearchElement(ctx, kNose); rc != kOk) return rc;
    }
    ElementRecord& nose = ctx.elements[kNose];
    ElementRecord& mouth = ctx.elements[kMouth];
    ElementRecord& chin = ctx.elements[kChin];
    const std::int32_t u = ctx.unit.unit;
    const double mouthMid = c.readReal("model", "mout_yc_mid");
    const auto d1 =
        static_cast<std::int32_t>((mouthMid - c.readReal("model", "nose_yc_mid")) * u / 3);
    if (mouth.yMin - nose.yC < d1) mouth.yMin = nose.yC + d1;
    if (ctx.elementCount > 4) {
        if (const int rc = SearchElement(ctx, kMouth); rc != kOk) return rc;
    }
    const auto d2 =
        static_cast<std::int32_t>((c.readReal("model", "chin_yc_mid") - mouthMid) * u / 3);
    if (chin.yMin - mouth.yC < d2) chin.yMin = mouth.yC + d2;
    const std::int32_t last = matching(ctx) ? c.readInt("param", "Number_of_face_elements")
                                            : static_cast<std::int32_t>(ctx.elementCount);
    for (std::int32_t id = 5; id < last && id < kElementCount; ++id)
        if (const int rc = SearchElement(ctx, id); rc != kOk) return rc;
    CopyFaceToFullFace(ctx);
    return kOk;
}

}  // namespace

int RunPipeline(FaceContext& ctx) {
    const ConfigStore& c = ctx.config;
    const int usebase = c.readInt("param", "usebase");
    const int manual = c.readInt("param", "r_manual");

    if (manual != 0) {
        if (manual == 1) {
            CopyFaceToFullFace(ctx);
            return kOk;
        }
        for (std::uint32_t id = 3; id < ctx.elementCount && id < kElementCount; ++id)
            ctx.elements[id].xFixed = ctx.elements[id].yFixed = 0;
        CentreFaceWindow(ctx, 1.5);
        CentreEyeWindows(ctx, 2.0);
        if (manual == 3) fixNose(ctx);
        SetElementWindows(ctx);
        if (usebase > 0) WriteBaseFile(ctx);
        return searchElements(ctx, manual);
    }

    const auto minUnit = static_cast<std::int32_t>(c.readInt("param", "face_start_unit") *
                                                   c.readReal("param", "face_un_tr"));
    const bool found = matching(ctx) && ReadBaseFile(ctx, usebase);
    if (!found) {
        // The searches up to the eye pair depend only on the image, the default masks and the
        // configuration; an identification brings the same probe again and again.
        ProbeSearchCache& cache = ctx.library.probeCache;
        const bool cacheable = matching(ctx) && usebase == 0;
        int rc = kOk;
        if (!(cacheable && cache.restore(ctx, rc))) {
            ResetRecords(ctx);
            SetFacePriors(ctx);
            SetElementWindows(ctx);
            rc = searchFaceAndEyes(ctx, minUnit);
            if (cacheable && rc != kNoMemory) cache.store(ctx, rc);
        }
        if (rc != kOk) return rc;
    }
    if (!(found && usebase >= 2)) {
        if (usebase > 0) WriteBaseFile(ctx);
    }
    DeriveFaceSize(ctx);
    SetElementWindows(ctx);

    const int steps = c.readInt("param", "base2_eye_step");
    if (matching(ctx) && steps > 0 && ctx.refineEyes) {
        if (const int rc = refineWithPerson(ctx, steps, minUnit); rc != kOk) return rc;
    }
    return searchElements(ctx, manual);
}

int ProcessForDescriptor(FaceContext& ctx) {
    ctx.mode = Mode::Creation;
    ctx.elementCount = kElementCount;
    if (const int rc = RunPipeline(ctx); rc != kOk) return rc;
    const double m = ctx.config.readReal("param", "mask_filt");
    if (m != 1.0) {
        PoolScratch scratch(ctx.pool);
        const ImageSpan image{ctx.image.data(), ctx.image.width, ctx.image.height, ctx.image.width};
        if (const int rc = SmoothImage(scratch, image, m); rc != kOk) return rc;
    }
    return BuildMasks(ctx);
}

int ProcessForMatching(FaceContext& ctx) {
    ctx.mode = Mode::Matching;
    return RunPipeline(ctx);
}

}  // namespace ovfc
