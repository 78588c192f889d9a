#pragma once
// Pieces shared by the plain resampling loops and their lane versions, so that both compute
// the same terms: a weighted sum clamped to a grey level, and the cover of area resampling.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ovfc::resample_terms {

// A weighted sum as a grey level: truncated, clamped to 0..255 (NaN gives 0).
inline std::uint8_t toByte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<std::uint8_t>(v);
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

}  // namespace ovfc::resample_terms
