#include "filters/window_sums.h"

#include <cstring>

namespace ovfc::detail {

namespace {

using Doubles = double __attribute__((vector_size(kBatch * sizeof(double))));
using Bits = std::uint64_t __attribute__((vector_size(kBatch * sizeof(std::uint64_t))));
using Bytes = std::uint8_t __attribute__((vector_size(kBatch)));
using Ints = std::int32_t __attribute__((vector_size(kBatch * sizeof(std::int32_t))));
static_assert(kBatch == 4, "the lanes below are written out for four windows");

}  // namespace

// One lane per window: the same IEEE operations as the one-window loop, four at a time.
// Built for AVX2 beside the baseline where the compiler can choose at load time.
#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void BatchDistances(const double* values, int mw, int mh, const std::uint8_t* p,
                    std::ptrdiff_t stride, const double* mean, const double* sd,
                    const double* start, double limit, double* out) {
    Doubles m, s, total;
    std::memcpy(&m, mean, sizeof m);
    std::memcpy(&s, sd, sizeof s);
    std::memcpy(&total, start, sizeof total);
    const Bits magnitude = Bits{} + 0x7FFFFFFFFFFFFFFFull;
    const double* v = values;
    for (int r = 0; r < mh; ++r, p += stride, v += mw) {
        for (int c = 0; c < mw; ++c) {
            Bytes b;
            std::memcpy(&b, p + c, sizeof b);
            const Doubles g = __builtin_convertvector(__builtin_convertvector(b, Ints), Doubles);
            const Doubles d = Doubles{v[c], v[c], v[c], v[c]} - (g - m) / s;
            // |d|: the sign bit cleared (a vector cast reinterprets the bits).
            total += (Doubles)((Bits)d & magnitude);
        }
        bool all = true;
        for (int k = 0; k < kBatch; ++k) all = all && total[k] > limit;
        if (all) break;
    }
    std::memcpy(out, &total, sizeof total);
}

void NormalisedLevels(int lo, int count, const double* mean, const double* sd, double* levels) {
    Doubles m, s;
    std::memcpy(&m, mean, sizeof m);
    std::memcpy(&s, sd, sizeof s);
    for (int g = 0; g < count; ++g) {
        const double level = lo + g;
        const Doubles n = (Doubles{level, level, level, level} - m) / s;
        std::memcpy(levels + g * kBatch, &n, sizeof n);
    }
}

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void BatchDistancesByLevel(const double* values, int mw, int mh, const std::uint8_t* p,
                           std::ptrdiff_t stride, const double* levels, int lo,
                           const double* start, double limit, double* out) {
    Doubles total;
    std::memcpy(&total, start, sizeof total);
    const Bits magnitude = Bits{} + 0x7FFFFFFFFFFFFFFFull;
    const double* v = values;
    const double* base = levels - static_cast<std::ptrdiff_t>(lo) * kBatch;
    for (int r = 0; r < mh; ++r, p += stride, v += mw) {
        for (int c = 0; c < mw; ++c) {
            const Doubles n = {base[p[c] * kBatch], base[p[c + 1] * kBatch + 1],
                               base[p[c + 2] * kBatch + 2], base[p[c + 3] * kBatch + 3]};
            const Doubles d = Doubles{v[c], v[c], v[c], v[c]} - n;
            total += (Doubles)((Bits)d & magnitude);
        }
        bool all = true;
        for (int k = 0; k < kBatch; ++k) all = all && total[k] > limit;
        if (all) break;
    }
    std::memcpy(out, &total, sizeof total);
}

}  // namespace ovfc::detail
