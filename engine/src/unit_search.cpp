// The score step of a comparison: the score at the pipeline's unit, improved for a
// borderline score by trying neighbouring units.
#include "block_pool.h"
#include "config_store.h"
#include "face_context.h"
#include "score.h"
#include "status.h"

namespace ovfc {

namespace {
struct Scorer {
    FaceContext& ctx;
    VectorBuilder build;
    std::int32_t* vector;

    int at(std::int32_t unit, std::int32_t& score) const {
        ctx.unit.unit = unit;
        const int rc = build(ctx, vector);
        if (rc != kOk) return rc;
        score = SimilarityScore(ctx.config, ctx.elementCount, ctx.filterMask, vector);
        return kOk;
    }
};
}  // namespace

int BestScore(FaceContext& ctx, UnitSearchResult& out, VectorBuilder build) {
    const std::int32_t u0 = ctx.unit.unit;
    const std::int32_t range = ctx.config.readInt("param", "UnitRange");
    PoolBlock block = ctx.pool.take(kVectorEntries * sizeof(std::int32_t));
    if (!block) return kNoMemory;
    const Scorer scorer{ctx, build, block.as<std::int32_t>()};

    std::int32_t s = 0;
    if (const int rc = scorer.at(u0, s); rc != kOk) return rc;
    out.atUnit = s;
    out.best = s;
    out.shift = 0;

    const std::int32_t smax = ctx.config.readInt("param", "ScoreMax");
    const std::int32_t smin = ctx.config.readInt("param", "ScoreMin");
    if (static_cast<long long>(smax) - smin < s && s < smax) {
        int lastJ = 1;
        for (const int direction : {-1, +1}) {
            if (direction == +1 && !(lastJ < 3 || range == 2)) break;
            int misses = 0;
            int j = 1;
            for (; j <= range; ++j) {
                const std::int32_t unit = u0 + j * direction;
                if (const int rc = scorer.at(unit, s); rc != kOk) return rc;
                if (s > smax) break;
                if (s < out.best) {
                    ++misses;
                } else {
                    out.best = s;
                    out.shift = unit - u0;
                    misses = 1;
                }
                if (misses > 1) break;
            }
            lastJ = j;
        }
    }
    if (ctx.config.readInt("debug", "OutputCompVec") != 0) {
        if (const int rc = scorer.at(u0 + out.shift, s); rc != kOk) return rc;
    }
    return kOk;
}

}  // namespace ovfc
