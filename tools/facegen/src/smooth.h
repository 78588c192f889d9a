#pragma once
// Smooth ramps, bumps and lattice noise for the renderer. Only +, -, *, / and sqrt, so
// results do not depend on the maths library.

#include <cmath>
#include <cstdint>

namespace facegen {

constexpr double clamp01(double t) {
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}
constexpr double mix(double a, double b, double t) {
    return a + (b - a) * t;
}
constexpr double sq(double x) {
    return x * x;
}

// 0 below e0, 1 above e1, a cubic in between (e0 > e1 gives the falling ramp).
constexpr double smoothstep(double e0, double e1, double x) {
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

// Coverage of a shape by its signed distance (negative inside): 1 inside, 0 outside,
// smooth over a band of width w centred on the boundary.
constexpr double inside(double dist, double w) {
    return smoothstep(0.5 * w, -0.5 * w, dist);
}

// Bell of squared radius r2: 1 at 0, falling smoothly to 0 at 1 with zero slope.
constexpr double bump(double r2) {
    return r2 >= 1.0 ? 0.0 : (1.0 - r2) * (1.0 - r2);
}

// Approximate signed distance to the ellipse with semi-axes a, b about the origin
// (first order: implicit value over gradient length).
inline double ellipseDistance(double x, double y, double a, double b) {
    const double ia2 = 1.0 / (a * a), ib2 = 1.0 / (b * b);
    const double g = x * x * ia2 + y * y * ib2 - 1.0;
    const double grad = 2.0 * std::sqrt(x * x * ia2 * ia2 + y * y * ib2 * ib2);
    if (grad < 1e-9) return -(a < b ? a : b);
    return g / grad;
}

// sin and cos of small angles (|a| <= 0.5 rad) by their series, exact to about 1e-12.
struct SinCos {
    double s, c;
};
constexpr SinCos smallSinCos(double a) {
    const double a2 = a * a;
    const double s =
        a * (1.0 - a2 / 6.0 * (1.0 - a2 / 20.0 * (1.0 - a2 / 42.0 * (1.0 - a2 / 72.0))));
    const double c = 1.0 - a2 / 2.0 * (1.0 - a2 / 12.0 * (1.0 - a2 / 30.0 * (1.0 - a2 / 56.0)));
    return {s, c};
}

constexpr double kPi = 3.14159265358979323846;

// Value noise: random values on the integer lattice, smoothly interpolated; in [0, 1).
class LatticeNoise {
  public:
    explicit constexpr LatticeNoise(std::uint64_t seed)
        : seed_(static_cast<std::uint32_t>(seed ^ (seed >> 32))) {}

    double at(double x, double y) const {
        const std::int32_t ix = floorInt(x), iy = floorInt(y);
        const double fx = ix, fy = iy;
        const double tx = fade(x - fx), ty = fade(y - fy);
        const double v00 = lattice(ix, iy), v10 = lattice(ix + 1, iy);
        const double v01 = lattice(ix, iy + 1), v11 = lattice(ix + 1, iy + 1);
        return mix(mix(v00, v10, tx), mix(v01, v11, tx), ty);
    }

  private:
    static constexpr std::int32_t floorInt(double x) {
        if (!(x > -2e9 && x < 2e9)) return 0;  // NaN or far out: any lattice cell will do
        const auto i = static_cast<std::int32_t>(x);
        return x < i ? i - 1 : i;
    }
    static constexpr double fade(double t) { return t * t * (3.0 - 2.0 * t); }
    double lattice(std::int32_t ix, std::int32_t iy) const {
        std::uint32_t h = static_cast<std::uint32_t>(ix) * 0x9E3779B1u ^
                          static_cast<std::uint32_t>(iy) * 0x85EBCA77u ^ seed_;
        h ^= h >> 16;
        h *= 0x7FEB352Du;
        h ^= h >> 15;
        h *= 0x846CA68Bu;
        h ^= h >> 16;
        return static_cast<double>(h >> 8) * (1.0 / 16777216.0);
    }
    std::uint32_t seed_;
};

}  // namespace facegen
