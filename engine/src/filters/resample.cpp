// The plain resampling loops, one output pixel at a time: the reference of the lane versions.
#include "filters/resample.h"

#include <algorithm>
#include <cmath>

#include "filters/filter_codes.h"
#include "filters/resample_terms.h"

namespace ovfc {

using resample_terms::AreaSpan;
using resample_terms::areaSpanOf;
using resample_terms::Cover;
using resample_terms::coverOf;
using resample_terms::toByte;

int ResampleAreaPlain(Scratch& scratch, ImageView image, double ox, double oy, double g,
                      ImageSpan out) {
    AreaSpan span;
    int status;
    if (!areaSpanOf(image, ox, oy, g, out, span, status)) return status;
    const int c = out.width, d = out.height;
    const int col0 = span.col0, col1 = span.col1, row0 = span.row0, row1 = span.row1;
    const int ncols = span.columns(), nrows = span.rows();

    ScratchArray<double> acc(scratch, static_cast<std::size_t>(c) * d);
    ScratchArray<Cover> cols(scratch, ncols);
    ScratchArray<Cover> rows(scratch, nrows);
    if (!acc || !cols || !rows) return kFilterNoMemory;
    std::fill_n(acc.get(), static_cast<std::size_t>(c) * d, 0.0);
    coverOf(ox, g, col0, col1, cols.get());
    coverOf(oy, g, row0, row1, rows.get());

    // Adds one source row with weight w to output row t. The two output columns a source
    // column feeds are kept in registers while the scan stays on them; every output pixel
    // still receives its terms one by one in source order, so the sums are those of adding
    // each term to memory directly.
    auto addRow = [&](const std::uint8_t* src, double w, int t) {
        if (t < 0 || t >= d) return;
        double* dst = acc.get() + static_cast<std::size_t>(t) * c;
        dst[0] += src[col0] * w * cols[0].share;
        int T = -1;  // output column held in r0 (r1 holds T + 1)
        double r0 = 0.0, r1 = 0.0;
        auto flush = [&] {
            if (T < 0) return;
            dst[T] = r0;
            if (T + 1 < c) dst[T + 1] = r1;
        };
        for (int k = 1; k < ncols - 1; ++k) {
            const Cover cv = cols[k];
            if (cv.t >= c) break;  // t only grows with k
            if (cv.t != T) {
                if (T >= 0 && cv.t == T + 1) {
                    dst[T] = r0;
                    r0 = r1;
                } else {
                    flush();
                    r0 = dst[cv.t];
                }
                T = cv.t;
                r1 = T + 1 < c ? dst[T + 1] : 0.0;
            }
            const double p = src[col0 + k] * w;
            r0 += p * cv.share;
            if (cv.share < 1.0) r1 += p * (1.0 - cv.share);
        }
        flush();
        if (ncols > 1) {
            const Cover cv = cols[ncols - 1];
            if (cv.t < c) dst[cv.t] += src[col1] * w * cv.share;
        }
    };

    for (int k = 0; k < nrows; ++k) {
        const Cover rv = rows[k];
        const std::uint8_t* src = image.row(row0 + k);
        if (k == 0 || k == nrows - 1) {
            addRow(src, rv.share, rv.t);
        } else {
            addRow(src, rv.share, rv.t);
            if (rv.share < 1.0) addRow(src, 1.0 - rv.share, rv.t + 1);
        }
    }

    const double g2 = g * g;
    for (int y = 0; y < d; ++y) {
        const double* a = acc.get() + static_cast<std::size_t>(y) * c;
        std::uint8_t* o = out.row(y);
        for (int x = 0; x < c; ++x) o[x] = toByte(a[x] * g2);
    }
    return kFilterOk;
}

void ResampleRotatedPlain(ImageView image, double ox, double oy, double g, double cx, double sx,
                          ImageSpan out) {
    const resample_terms::Aperture aperture = resample_terms::apertureOf(g);
    const double r = aperture.r, inner2 = aperture.inner2, outer2 = aperture.outer2;
    for (int i = 0; i < out.height; ++i) {
        std::uint8_t* o = out.row(i);
        for (int j = 0; j < out.width; ++j) {
            const double x = ox - i * sx + j * cx - 0.5;
            const double y = oy + i * cx + j * sx - 0.5;
            const int xa = std::max(0, static_cast<int>(std::ceil(x - r)));
            const int xb = std::min(image.width - 1, static_cast<int>(std::floor(x + r)));
            const int ya = std::max(0, static_cast<int>(std::ceil(y - r)));
            const int yb = std::min(image.height - 1, static_cast<int>(std::floor(y + r)));
            double sum = 0.0, wsum = 0.0;
            for (int Y = ya; Y <= yb; ++Y) {
                const std::uint8_t* src = image.row(Y);
                const double dy2 = (Y - y) * (Y - y);
                for (int X = xa; X <= xb; ++X) {
                    const double d2 = (X - x) * (X - x) + dy2;
                    if (d2 > outer2) continue;
                    if (d2 < inner2) {
                        sum += src[X];
                        wsum += 1.0;
                        continue;
                    }
                    const double e = std::sqrt(d2);
                    if (e > r) continue;
                    const double w = (r - e >= 1.0) ? 1.0 : r - e;
                    sum += w * src[X];
                    wsum += w;
                }
            }
            o[j] = wsum > 0.0 ? toByte(sum / wsum) : 0;
        }
    }
}

}  // namespace ovfc
