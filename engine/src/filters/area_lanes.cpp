// Area resampling, eight output rows at a time. Every output row receives its source rows in
// ascending order, each weighted as in the plain loop; the eight lanes share the column walk,
// which depends only on the columns, and their two vectors give the walk two independent
// chains of sums. A lane with fewer source rows than the others is fed rows of weight 0,
// whose terms are +0 and leave its sums unchanged, so the output is bit for bit that of
// ResampleAreaPlain.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "filters/filter_codes.h"
#include "filters/resample.h"
#include "filters/resample_terms.h"

#if defined(OVFC_TARGET_CLONES)
#include <immintrin.h>
#define OVFC_AREA_AVX2 1
#endif

namespace ovfc {

namespace {

using Doubles = double __attribute__((vector_size(4 * sizeof(double))));
constexpr int kVector = 4;
constexpr int kLanes = 2 * kVector;  // output rows walked together: two vectors

using resample_terms::AreaSpan;
using resample_terms::areaSpanOf;
using resample_terms::Cover;
using resample_terms::coverOf;
using resample_terms::toByte;

// One weighted source row of an output row.
struct RowTerm {
    int row;
    double weight;
};

// The source rows of every output row in ascending order: terms[start[t] .. start[t + 1]).
void rowTerms(const Cover* rows, int nrows, int d, int* start, RowTerm* terms) {
    auto each = [&](auto&& f) {
        for (int k = 0; k < nrows; ++k) {
            const Cover rv = rows[k];
            f(rv.t, k, rv.share);
            if (k != 0 && k != nrows - 1 && rv.share < 1.0) f(rv.t + 1, k, 1.0 - rv.share);
        }
    };
    std::fill_n(start, d + 1, 0);
    each([&](int t, int, double) {
        if (t >= 0 && t < d) ++start[t + 1];
    });
    for (int t = 0; t < d; ++t) start[t + 1] += start[t];
    int* next = start;  // filled in place: start[t] advances to the end of row t - 1's terms
    each([&](int t, int k, double w) {
        if (t >= 0 && t < d) terms[next[t]++] = {k, w};
    });
    for (int t = d; t > 0; --t) start[t] = start[t - 1];
    start[0] = 0;
}

// Vector h of column x of a row of kLanes lanes (an accumulator row or a weighted row); a
// Scratch aligns only for double.
__attribute__((always_inline)) inline void load(const double* row, int x, int h, Doubles& v) {
    std::memcpy(&v, row + static_cast<std::ptrdiff_t>(x) * kLanes + h * kVector, sizeof v);
}
__attribute__((always_inline)) inline void store(double* row, int x, int h, const Doubles& v) {
    std::memcpy(row + static_cast<std::ptrdiff_t>(x) * kLanes + h * kVector, &v, sizeof v);
}

// weighted[k * kLanes + l] = pixel col0 + k of lane l's source row times w[l], k < ncols: the
// products of the plain loop, made once per source row.
void weightRowsPlain(const std::uint8_t* const* src, const double* w, int col0, int ncols,
                     double* weighted) {
    for (int k = 0; k < ncols; ++k)
        for (int l = 0; l < kLanes; ++l)
            weighted[static_cast<std::ptrdiff_t>(k) * kLanes + l] = src[l][col0 + k] * w[l];
}

#if defined(OVFC_AREA_AVX2)
// weightRowsPlain with eight columns of four rows turned from rows into columns by two byte
// and word unpacks; the last columns (fewer than eight) go the plain way.
__attribute__((target("avx2"))) void weightRowsAvx2(const std::uint8_t* const* src, const double* w,
                                                    int col0, int ncols, double* weighted) {
    int k = 0;
    for (; k + 8 <= ncols; k += 8) {
        for (int h = 0; h < 2; ++h) {
            const std::uint8_t* const* s = src + h * kVector;
            const __m256d wh = _mm256_loadu_pd(w + h * kVector);
            auto row = [&](int l) {
                std::int64_t v;
                std::memcpy(&v, s[l] + col0 + k, sizeof v);
                return _mm_cvtsi64_si128(v);
            };
            const __m128i r01 = _mm_unpacklo_epi8(row(0), row(1));
            const __m128i r23 = _mm_unpacklo_epi8(row(2), row(3));
            const __m128i cols[2] = {_mm_unpacklo_epi16(r01, r23), _mm_unpackhi_epi16(r01, r23)};
            for (int q = 0; q < 8; ++q) {
                __m128i c = cols[q / 4];
                switch (q % 4) {
                    case 1:
                        c = _mm_srli_si128(c, 4);
                        break;
                    case 2:
                        c = _mm_srli_si128(c, 8);
                        break;
                    case 3:
                        c = _mm_srli_si128(c, 12);
                        break;
                    default:
                        break;
                }
                const __m256d v = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_cvtepu8_epi32(c)), wh);
                _mm256_storeu_pd(
                    weighted + static_cast<std::ptrdiff_t>(k + q) * kLanes + h * kVector, v);
            }
        }
    }
    weightRowsPlain(src, w, col0 + k, ncols - k,
                    weighted + static_cast<std::ptrdiff_t>(k) * kLanes);
}
#endif

// Adds one weighted source row to each lane's output row: the column walk of the plain loop,
// on eight rows at once, as two vectors with sums of their own. The two output columns a
// source column feeds stay in registers while the walk is on them.
__attribute__((always_inline)) inline void addRows(const double* weighted, const Cover* cols,
                                                   int ncols, int c, double* dst) {
    // Output column x gets vector h of source column k times share.
    auto addTo = [&](int x, int k, double share) __attribute__((always_inline)) {
        for (int h = 0; h < 2; ++h) {
            Doubles a, p;
            load(dst, x, h, a);
            load(weighted, k, h, p);
            store(dst, x, h, a + p * share);
        }
    };
    addTo(0, 0, cols[0].share);
    int T = -1;  // output column held in r0 (r1 holds T + 1)
    Doubles r0a{}, r0b{}, r1a{}, r1b{};
    auto keep = [&]() __attribute__((always_inline)) {
        store(dst, T, 0, r0a);
        store(dst, T, 1, r0b);
        if (T + 1 < c) {
            store(dst, T + 1, 0, r1a);
            store(dst, T + 1, 1, r1b);
        }
    };
    for (int k = 1; k < ncols - 1; ++k) {
        const Cover cv = cols[k];
        if (cv.t >= c) break;  // t only grows with k
        if (cv.t != T) {
            if (T >= 0 && cv.t == T + 1) {
                store(dst, T, 0, r0a);
                store(dst, T, 1, r0b);
                r0a = r1a;
                r0b = r1b;
            } else {
                if (T >= 0) keep();
                load(dst, cv.t, 0, r0a);
                load(dst, cv.t, 1, r0b);
            }
            T = cv.t;
            r1a = Doubles{};
            r1b = Doubles{};
            if (T + 1 < c) {
                load(dst, T + 1, 0, r1a);
                load(dst, T + 1, 1, r1b);
            }
        }
        Doubles pa, pb;
        load(weighted, k, 0, pa);
        load(weighted, k, 1, pb);
        r0a += pa * cv.share;
        r0b += pb * cv.share;
        if (cv.share < 1.0) {
            const double rest = 1.0 - cv.share;
            r1a += pa * rest;
            r1b += pb * rest;
        }
    }
    if (T >= 0) keep();
    if (ncols > 1) {
        const Cover cv = cols[ncols - 1];
        if (cv.t < c) addTo(cv.t, ncols - 1, cv.share);
    }
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
int ResampleArea(Scratch& scratch, ImageView image, double ox, double oy, double g, ImageSpan out) {
    AreaSpan span;
    int status;
    if (!areaSpanOf(image, ox, oy, g, out, span, status)) return status;
    const int c = out.width, d = out.height;
    const int col0 = span.col0, col1 = span.col1, row0 = span.row0, row1 = span.row1;
    const int ncols = span.columns(), nrows = span.rows();

    ScratchArray<double> acc(scratch, static_cast<std::size_t>(c) * kLanes);
    ScratchArray<Cover> cols(scratch, ncols);
    ScratchArray<Cover> rows(scratch, nrows);
    ScratchArray<int> start(scratch, static_cast<std::size_t>(d) + 1);
    ScratchArray<RowTerm> terms(scratch, 2 * static_cast<std::size_t>(nrows));
    ScratchArray<double> weighted(scratch, static_cast<std::size_t>(ncols) * kLanes);
    if (!acc || !cols || !rows || !start || !terms || !weighted) return kFilterNoMemory;
    coverOf(ox, g, col0, col1, cols.get());
    coverOf(oy, g, row0, row1, rows.get());
    rowTerms(rows.get(), nrows, d, start.get(), terms.get());

    double* dst = acc.get();
#if defined(OVFC_AREA_AVX2)
    const bool avx2 = __builtin_cpu_supports("avx2");
#endif
    const std::uint8_t* src[kLanes];
    const double g2 = g * g;
    for (int t0 = 0; t0 < d; t0 += kLanes) {
        std::fill_n(acc.get(), static_cast<std::size_t>(c) * kLanes, 0.0);
        int depth = 0;
        for (int l = 0; l < kLanes && t0 + l < d; ++l)
            depth = std::max(depth, start[t0 + l + 1] - start[t0 + l]);
        for (int n = 0; n < depth; ++n) {
            double weight[kLanes];
            for (int l = 0; l < kLanes; ++l) {
                const int t = t0 + l;
                const bool fed = t < d && start[t] + n < start[t + 1];
                const RowTerm term = fed ? terms[start[t] + n] : RowTerm{0, 0.0};
                src[l] = image.row(row0 + term.row);
                weight[l] = term.weight;
            }
#if defined(OVFC_AREA_AVX2)
            if (avx2)
                weightRowsAvx2(src, weight, col0, ncols, weighted.get());
            else
#endif
                weightRowsPlain(src, weight, col0, ncols, weighted.get());
            addRows(weighted.get(), cols.get(), ncols, c, dst);
        }
        for (int l = 0; l < kLanes && t0 + l < d; ++l) {
            std::uint8_t* o = out.row(t0 + l);
            for (int x = 0; x < c; ++x) o[x] = toByte(dst[x * kLanes + l] * g2);
        }
    }
    return kFilterOk;
}

}  // namespace ovfc
