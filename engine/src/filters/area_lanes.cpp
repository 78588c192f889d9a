// Area resampling, four output rows at a time. Every output row receives its source rows in
// ascending order, each weighted as in the plain loop; the four lanes share the column walk,
// which depends only on the columns. A lane with fewer source rows than the others is fed
// rows of weight 0, whose terms are +0 and leave its sums unchanged, so the output is bit for
// bit that of ResampleAreaPlain.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "filters/filter_codes.h"
#include "filters/resample.h"
#include "filters/resample_terms.h"

namespace ovfc {

namespace {

using Doubles = double __attribute__((vector_size(4 * sizeof(double))));
constexpr int kLanes = 4;

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

// The four lanes of output column x in an accumulator row (a Scratch aligns only for double).
__attribute__((always_inline)) inline void load(const double* acc, int x, Doubles& v) {
    std::memcpy(&v, acc + static_cast<std::ptrdiff_t>(x) * kLanes, sizeof v);
}
__attribute__((always_inline)) inline void store(double* acc, int x, const Doubles& v) {
    std::memcpy(acc + static_cast<std::ptrdiff_t>(x) * kLanes, &v, sizeof v);
}

// Pixel x of the four lanes' source rows.
__attribute__((always_inline)) inline void lanePixels(const std::uint8_t* const* src, int x,
                                                      Doubles& p) {
    p = Doubles{static_cast<double>(src[0][x]), static_cast<double>(src[1][x]),
                static_cast<double>(src[2][x]), static_cast<double>(src[3][x])};
}

// Adds one source row to each lane's output row (weight w[l]): the column walk of the plain
// loop, on four rows at once. The two output columns a source column feeds stay in registers
// while the walk is on them.
__attribute__((always_inline)) inline void addRows(const std::uint8_t* const* src, const Doubles& w,
                                                   const Cover* cols, int ncols, int col0, int col1,
                                                   int c, double* dst) {
    Doubles px, a;
    lanePixels(src, col0, px);
    load(dst, 0, a);
    store(dst, 0, a + px * w * cols[0].share);
    int T = -1;  // output column held in r0 (r1 holds T + 1)
    Doubles r0{}, r1{};
    for (int k = 1; k < ncols - 1; ++k) {
        const Cover cv = cols[k];
        if (cv.t >= c) break;  // t only grows with k
        if (cv.t != T) {
            if (T >= 0 && cv.t == T + 1) {
                store(dst, T, r0);
                r0 = r1;
            } else {
                if (T >= 0) {
                    store(dst, T, r0);
                    if (T + 1 < c) store(dst, T + 1, r1);
                }
                load(dst, cv.t, r0);
            }
            T = cv.t;
            r1 = Doubles{};
            if (T + 1 < c) load(dst, T + 1, r1);
        }
        lanePixels(src, col0 + k, px);
        const Doubles p = px * w;
        r0 += p * cv.share;
        if (cv.share < 1.0) r1 += p * (1.0 - cv.share);
    }
    if (T >= 0) {
        store(dst, T, r0);
        if (T + 1 < c) store(dst, T + 1, r1);
    }
    if (ncols > 1) {
        const Cover cv = cols[ncols - 1];
        if (cv.t < c) {
            lanePixels(src, col1, px);
            load(dst, cv.t, a);
            store(dst, cv.t, a + px * w * cv.share);
        }
    }
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
int ResampleArea(Scratch& scratch, ImageView image, double ox, double oy, double g, ImageSpan out) {
    const int c = out.width, d = out.height;
    if (c <= 0 || d <= 0) return kFilterOk;
    for (int y = 0; y < d; ++y) std::fill_n(out.row(y), c, std::uint8_t{0});
    if (!(g > 0.0) || ox < 0.0 || oy < 0.0) return kFilterBadGeometry;

    const int col0 = static_cast<int>(ox);
    const int col1 = std::min(static_cast<int>(c / g + ox - 0.00001), image.width - 1);
    const int row0 = static_cast<int>(oy);
    const int row1 = std::min(static_cast<int>(d / g + oy - 0.00001), image.height - 1);
    if (col1 < col0 || row1 < row0) return kFilterOk;
    const int ncols = col1 - col0 + 1, nrows = row1 - row0 + 1;

    ScratchArray<double> acc(scratch, static_cast<std::size_t>(c) * kLanes);
    ScratchArray<Cover> cols(scratch, ncols);
    ScratchArray<Cover> rows(scratch, nrows);
    ScratchArray<int> start(scratch, static_cast<std::size_t>(d) + 1);
    ScratchArray<RowTerm> terms(scratch, 2 * static_cast<std::size_t>(nrows));
    if (!acc || !cols || !rows || !start || !terms) return kFilterNoMemory;
    coverOf(ox, g, col0, col1, cols.get());
    coverOf(oy, g, row0, row1, rows.get());
    rowTerms(rows.get(), nrows, d, start.get(), terms.get());

    double* dst = acc.get();
    const std::uint8_t* src[kLanes];
    const double g2 = g * g;
    for (int t0 = 0; t0 < d; t0 += kLanes) {
        std::fill_n(acc.get(), static_cast<std::size_t>(c) * kLanes, 0.0);
        int depth = 0;
        for (int l = 0; l < kLanes && t0 + l < d; ++l)
            depth = std::max(depth, start[t0 + l + 1] - start[t0 + l]);
        for (int n = 0; n < depth; ++n) {
            Doubles w{};
            for (int l = 0; l < kLanes; ++l) {
                const int t = t0 + l;
                const bool fed = t < d && start[t] + n < start[t + 1];
                const RowTerm term = fed ? terms[start[t] + n] : RowTerm{0, 0.0};
                src[l] = image.row(row0 + term.row);
                w[l] = term.weight;
            }
            addRows(src, w, cols.get(), ncols, col0, col1, c, dst);
        }
        for (int l = 0; l < kLanes && t0 + l < d; ++l) {
            std::uint8_t* o = out.row(t0 + l);
            for (int x = 0; x < c; ++x) o[x] = toByte(dst[x * kLanes + l] * g2);
        }
    }
    return kFilterOk;
}

}  // namespace ovfc
