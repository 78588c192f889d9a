#pragma once
// Measuring helpers for the generator's tests: face coordinates to pixels, sampling and
// region means on a frame.

#include <cmath>
#include <cstdint>
#include <vector>

#include "facegen.h"

namespace facegen_test {

struct Point {
    double x, y;
};

// Image point of face point (u, v) of a frame with these eye centres.
inline Point toImage(const facegen::EyeCentres& e, double u, double v) {
    const double dx = e.xr - e.xl, dy = e.yr - e.yl;
    const double ox = 0.5 * (e.xl + e.xr), oy = 0.5 * (e.yl + e.yr);
    return {ox + u * dx - v * dy, oy + u * dy + v * dx};
}

inline double eyeDistance(const facegen::EyeCentres& e) {
    return std::hypot(e.xr - e.xl, e.yr - e.yl);
}

// Bilinear sample, edges clamped.
inline double sample(const std::vector<std::uint8_t>& img, double x, double y) {
    using facegen::kHeight;
    using facegen::kWidth;
    x = std::fmin(std::fmax(x, 0.0), kWidth - 1.001);
    y = std::fmin(std::fmax(y, 0.0), kHeight - 1.001);
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    const double tx = x - ix, ty = y - iy;
    const auto at = [&](int cx, int cy) { return static_cast<double>(img[cy * kWidth + cx]); };
    return (at(ix, iy) * (1 - tx) + at(ix + 1, iy) * tx) * (1 - ty) +
           (at(ix, iy + 1) * (1 - tx) + at(ix + 1, iy + 1) * tx) * ty;
}

// Mean over the pixels whose centres lie at a distance in [r0, r1] from (cx, cy).
inline double ringMean(const std::vector<std::uint8_t>& img, double cx, double cy, double r0,
                       double r1) {
    double sum = 0;
    int n = 0;
    for (int y = static_cast<int>(cy - r1) - 1; y <= cy + r1 + 1; ++y) {
        for (int x = static_cast<int>(cx - r1) - 1; x <= cx + r1 + 1; ++x) {
            if (x < 0 || y < 0 || x >= facegen::kWidth || y >= facegen::kHeight) continue;
            const double r = std::hypot(x - cx, y - cy);
            if (r < r0 || r > r1) continue;
            sum += img[y * facegen::kWidth + x];
            ++n;
        }
    }
    return n ? sum / n : -1.0;
}

// Mean over a disc of radius r in face units around face point (u, v).
inline double faceMean(const facegen::Frame& f, double u, double v, double r) {
    const Point p = toImage(f.eyes, u, v);
    return ringMean(f.pixels, p.x, p.y, 0.0, r * eyeDistance(f.eyes));
}

}  // namespace facegen_test
