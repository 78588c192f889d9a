// Eye score of a pair: how well the default eye masks fit at the two eye centres.
#include "compare/comparison_vector.h"
#include "eyes/eye_region.h"
#include "eyes/eye_search.h"
#include "status.h"

namespace ovfc {

namespace {

// Puts the context's filter selection back when the score is done.
class FilterOverride {
  public:
    FilterOverride(FaceContext& ctx, std::uint32_t mask, std::uint32_t count)
        : ctx_(ctx), mask_(ctx.filterMask), count_(ctx.filterCount) {
        ctx.filterMask = mask;
        ctx.filterCount = count;
    }
    ~FilterOverride() {
        ctx_.filterMask = mask_;
        ctx_.filterCount = count_;
    }
    FilterOverride(const FilterOverride&) = delete;
    FilterOverride& operator=(const FilterOverride&) = delete;

  private:
    FaceContext& ctx_;
    std::uint32_t mask_, count_;
};

}  // namespace

int EyeScore(FaceContext& ctx, Scratch& scratch, double& score) {
    std::int32_t entries[6] = {};
    const FilterOverride filters(ctx, 7, 3);
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        const int rc = ComputeElementEntries(ctx, scratch, id, DefaultEyeMask(ctx, id),
                                             entries + 3 * (id - 1));
        if (rc != kOk) return rc;
    }
    long long sum = 0;
    for (const std::int32_t e : entries) sum += e;
    score = static_cast<double>(sum - 6 * 200) / 6.0;
    return kOk;
}

}  // namespace ovfc
