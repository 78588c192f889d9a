#include "filters/window_sums.h"

#include <algorithm>
#include <cstring>

#include "filters/quotient_lanes.h"

#if defined(OVFC_TARGET_CLONES) && defined(OVFC_QUOTIENT_LANES)
#define OVFC_FMA_SUMS 1
#endif

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
static void
batchDistancesDivided(const double* values, int mw, int mh, const std::uint8_t* p,
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

static void normalisedLevelsDivided(const std::uint8_t* list, int count, int lo, const double* mean,
                                    const double* sd, double* levels) {
    Doubles m, s;
    std::memcpy(&m, mean, sizeof m);
    std::memcpy(&s, sd, sizeof s);
    for (int i = 0; i < count; ++i) {
        const double level = list[i];
        const Doubles n = (Doubles{level, level, level, level} - m) / s;
        std::memcpy(levels + (list[i] - lo) * kBatch, &n, sizeof n);
    }
}

#if defined(OVFC_FMA_SUMS)

namespace {

// Read once at load: the sums ask for every batch of four windows.
const bool kHasFma = [] {
    __builtin_cpu_init();  // may run before the CPU model's own constructor
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}();

// batchDistancesDivided with each quotient from the window's reciprocal (QuotientLanes).
__attribute__((target("avx2,fma"))) void batchDistancesFma(
    const double* values, int mw, int mh, const std::uint8_t* p, std::ptrdiff_t stride,
    const double* mean, const double* sd, const double* start, double limit, double* out) {
    const __m256d m = _mm256_loadu_pd(mean), s = _mm256_loadu_pd(sd);
    const __m256d y = _mm256_div_pd(_mm256_set1_pd(1.0), s);
    const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFll));
    const __m256d bound = _mm256_set1_pd(limit);
    __m256d total = _mm256_loadu_pd(start);
    const double* v = values;
    for (int r = 0; r < mh; ++r, p += stride, v += mw) {
        for (int c = 0; c < mw; ++c) {
            std::int32_t four;
            std::memcpy(&four, p + c, sizeof four);
            const __m256d g = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(four)));
            const __m256d q = QuotientLanes(_mm256_sub_pd(g, m), s, y);
            const __m256d d = _mm256_sub_pd(_mm256_set1_pd(v[c]), q);
            total = _mm256_add_pd(total, _mm256_and_pd(d, magnitude));
        }
        if (_mm256_movemask_pd(_mm256_cmp_pd(total, bound, _CMP_GT_OQ)) == 0xF) break;
    }
    _mm256_storeu_pd(out, total);
}

__attribute__((target("avx2,fma"))) void normalisedLevelsFma(const std::uint8_t* list, int count,
                                                             int lo, const double* mean,
                                                             const double* sd, double* levels) {
    const __m256d m = _mm256_loadu_pd(mean), s = _mm256_loadu_pd(sd);
    const __m256d y = _mm256_div_pd(_mm256_set1_pd(1.0), s);
    for (int i = 0; i < count; ++i) {
        const __m256d n = QuotientLanes(_mm256_sub_pd(_mm256_set1_pd(list[i]), m), s, y);
        _mm256_storeu_pd(levels + (list[i] - lo) * kBatch, n);
    }
}

}  // namespace

#endif

void BatchDistances(const double* values, int mw, int mh, const std::uint8_t* p,
                    std::ptrdiff_t stride, const double* mean, const double* sd,
                    const double* start, double limit, double* out) {
#if defined(OVFC_FMA_SUMS)
    if (kHasFma) return batchDistancesFma(values, mw, mh, p, stride, mean, sd, start, limit, out);
#endif
    batchDistancesDivided(values, mw, mh, p, stride, mean, sd, start, limit, out);
}

void NormalisedLevels(const std::uint8_t* list, int count, int lo, const double* mean,
                      const double* sd, double* levels) {
#if defined(OVFC_FMA_SUMS)
    if (kHasFma) return normalisedLevelsFma(list, count, lo, mean, sd, levels);
#endif
    normalisedLevelsDivided(list, count, lo, mean, sd, levels);
}

void PadMask(const double* values, int mw, int mh, double* padded) {
    const int pw = PaddedWidth(mw);
    for (int r = 0; r < mh; ++r) {
        double* row = padded + static_cast<std::ptrdiff_t>(r) * pw;
        std::fill_n(row, pw, 0.0);
        std::copy_n(values + static_cast<std::ptrdiff_t>(r) * mw, mw, row + kBatch - 1);
    }
}

namespace {

// BatchDistancesByLevel for G batches: G sums in flight, so that each add waits less for the
// one before it.
template <int G>
__attribute__((always_inline)) inline void byLevel(const double* padded, int mw, int mh,
                                                   const std::uint8_t* p, std::ptrdiff_t stride,
                                                   const double* levels, std::ptrdiff_t tableStride,
                                                   int lo, const int* offset, const double* start,
                                                   double limit, double* out) {
    // Lane L holds window kBatch - 1 - L: at pixel q of a row it needs mask column
    // q - (kBatch - 1) + L, so the four mask values are one contiguous load of the padded row.
    Doubles total[G];
    const double* base[G];
    for (int b = 0; b < G; ++b) {
        for (int L = 0; L < kBatch; ++L) total[b][L] = start[b * kBatch + kBatch - 1 - L];
        base[b] = levels + b * tableStride - static_cast<std::ptrdiff_t>(lo) * kBatch;
    }
    const Bits magnitude = Bits{} + 0x7FFFFFFFFFFFFFFFull;
    const int pw = PaddedWidth(mw), span = mw + kBatch - 1;
    // Pixels 0 .. kBatch - 2 and mw .. span - 1 of a row have lanes whose column lies outside
    // the mask (q - 3 + L < 0 or >= mw): their terms are cleared to +0.
    const int head = kBatch - 1, tail = std::max(head, mw);
    Bits keep[2 * (kBatch - 1)];
    int e = 0;
    for (int q = 0; q < span; ++q) {
        if (q == head) q = tail;
        for (int L = 0; L < kBatch; ++L) {
            const int c = q - (kBatch - 1) + L;
            keep[e][L] = c >= 0 && c < mw ? magnitude[L] : 0;
        }
        ++e;
    }
    for (int r = 0; r < mh; ++r, p += stride) {
        const double* v = padded + static_cast<std::ptrdiff_t>(r) * pw;
        auto add = [&](int q, const Bits& k) __attribute__((always_inline)) {
            Doubles m;
            std::memcpy(&m, v + q, sizeof m);
            for (int b = 0; b < G; ++b) {
                Doubles n;
                std::memcpy(&n, base[b] + p[offset[b] + q] * kBatch, sizeof n);
                total[b] += (Doubles)((Bits)(m - n) & k);
            }
        };
        e = 0;
        for (int q = 0; q < head; ++q, ++e) add(q, keep[e]);
        for (int q = head; q < mw; ++q) add(q, magnitude);
        for (int q = tail; q < span; ++q, ++e) add(q, keep[e]);
        bool all = true;
        for (int b = 0; b < G; ++b)
            for (int k = 0; k < kBatch; ++k) all = all && total[b][k] > limit;
        if (all) break;
    }
    for (int b = 0; b < G; ++b)
        for (int k = 0; k < kBatch; ++k) out[b * kBatch + k] = total[b][kBatch - 1 - k];
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void BatchDistancesByLevel(const double* padded, int mw, int mh, const std::uint8_t* p,
                           std::ptrdiff_t stride, const double* levels, std::ptrdiff_t tableStride,
                           int lo, const int* offset, int groups, const double* start,
                           double limit, double* out) {
    switch (groups) {
        case 1:
            return byLevel<1>(padded, mw, mh, p, stride, levels, tableStride, lo, offset, start,
                              limit, out);
        case 2:
            return byLevel<2>(padded, mw, mh, p, stride, levels, tableStride, lo, offset, start,
                              limit, out);
        case 3:
            return byLevel<3>(padded, mw, mh, p, stride, levels, tableStride, lo, offset, start,
                              limit, out);
        default:
            return byLevel<kMaxGroups>(padded, mw, mh, p, stride, levels, tableStride, lo, offset,
                                       start, limit, out);
    }
}

}  // namespace ovfc::detail
