#pragma once
// Pieces shared by the plain resampling loops and their lane versions, so that both compute
// the same terms: a weighted sum clamped to a grey level, the span and cover of area
// resampling, and the aperture of rotated resampling.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "filters/filter_codes.h"
#include "filters/image_view.h"

namespace ovfc::resample_terms {

// A weighted sum as a grey level: truncated, clamped to 0..255 (NaN gives 0).
inline std::uint8_t toByte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<std::uint8_t>(v);
}

// The source columns and rows that area resampling of `out` reads: col0 .. col1, row0 .. row1.
struct AreaSpan {
    int col0, col1, row0, row1;
    int columns() const { return col1 - col0 + 1; }
    int rows() const { return row1 - row0 + 1; }
};

// Clears `out` and finds its span. False when there is nothing more to do, with `status` the
// call's result: kFilterOk for an empty output or span, kFilterBadGeometry for a scale that is
// not positive or a negative origin.
inline bool areaSpanOf(ImageView image, double ox, double oy, double g, ImageSpan out,
                       AreaSpan& span, int& status) {
    const int c = out.width, d = out.height;
    status = kFilterOk;
    if (c <= 0 || d <= 0) return false;
    for (int y = 0; y < d; ++y) std::fill_n(out.row(y), c, std::uint8_t{0});
    if (!(g > 0.0) || ox < 0.0 || oy < 0.0) {
        status = kFilterBadGeometry;
        return false;
    }
    span.col0 = static_cast<int>(ox);
    span.col1 = std::min(static_cast<int>(c / g + ox - 0.00001), image.width - 1);
    span.row0 = static_cast<int>(oy);
    span.row1 = std::min(static_cast<int>(d / g + oy - 0.00001), image.height - 1);
    return span.col1 >= span.col0 && span.row1 >= span.row0;
}

// Output index and share of one source column (or row) of area resampling.
struct Cover {
    int t;
    double share;
};

// Fills cover[0 .. last-first] for source indices first..last.
inline void coverOf(double origin, double g, int first, int last, Cover* cover) {
    cover[0] = {0, 1.0 - origin + std::trunc(origin)};
    for (int i = first + 1; i <= last; ++i) {
        const int t = static_cast<int>(g * (i - origin) + 0.00001);
        cover[i - first] = {t, std::min(1.0, origin + (t + 1) / g - i)};
    }
}

// The disc aperture of rotated resampling at scale g: radius r; squared distances below inner2
// are clearly inside the full-weight disc and those above outer2 clearly outside the aperture,
// so both skip the square root, while those near either edge take the exact test and get the
// same weights as with the root everywhere.
struct Aperture {
    double r, inner2, outer2;
};

inline Aperture apertureOf(double g) {
    const double r = 0.5 / g + 0.5;
    const double inner = r - 1.0;
    return {r, inner > 0.0 ? inner * inner * (1.0 - 1e-9) : -1.0, r * r * (1.0 + 1e-9)};
}

}  // namespace ovfc::resample_terms
