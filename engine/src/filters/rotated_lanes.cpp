// Disc-aperture resampling, four output pixels of a row at a time. Each lane walks its own
// pixel's aperture box in the order of the plain loop (rows, then columns); where a lane's box
// is smaller than the widest of the four, the extra taps weigh +0, which leaves its sums
// unchanged. Every weight is computed with the same operations as the plain loop, so the
// output is bit for bit that of ResampleRotatedPlain.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "filters/resample.h"
#include "filters/resample_terms.h"

namespace ovfc {

namespace {

using Doubles = double __attribute__((vector_size(4 * sizeof(double))));
using Mask = std::int64_t __attribute__((vector_size(4 * sizeof(std::int64_t))));
constexpr int kLanes = 4;

using resample_terms::toByte;

inline bool any(const Mask& m) {
    return (m[0] | m[1] | m[2] | m[3]) != 0;
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void ResampleRotated(ImageView image, double ox, double oy, double g, double cx, double sx,
                     ImageSpan out) {
    const resample_terms::Aperture aperture = resample_terms::apertureOf(g);
    const double r = aperture.r, inner2 = aperture.inner2, outer2 = aperture.outer2;
    const Doubles rv = Doubles{} + r;
    const Doubles one = Doubles{} + 1.0;
    const Doubles zero = Doubles{};
    const int lastX = image.width - 1, lastY = image.height - 1;
    for (int i = 0; i < out.height; ++i) {
        std::uint8_t* o = out.row(i);
        const double bx = ox - i * sx, by = oy + i * cx;
        for (int j = 0; j < out.width; j += kLanes) {
            double x[kLanes], y[kLanes];
            int xa[kLanes], xb[kLanes], ya[kLanes], yb[kLanes];
            int nx = 0, ny = 0;
            for (int l = 0; l < kLanes; ++l) {
                x[l] = bx + (j + l) * cx - 0.5;
                y[l] = by + (j + l) * sx - 0.5;
                xa[l] = std::max(0, static_cast<int>(std::ceil(x[l] - r)));
                xb[l] = std::min(lastX, static_cast<int>(std::floor(x[l] + r)));
                ya[l] = std::max(0, static_cast<int>(std::ceil(y[l] - r)));
                yb[l] = std::min(lastY, static_cast<int>(std::floor(y[l] + r)));
                nx = std::max(nx, xb[l] - xa[l] + 1);
                ny = std::max(ny, yb[l] - ya[l] + 1);
            }
            const Doubles xv = {x[0], x[1], x[2], x[3]}, yv = {y[0], y[1], y[2], y[3]};
            const Doubles xav = {double(xa[0]), double(xa[1]), double(xa[2]), double(xa[3])};
            const Doubles xbv = {double(xb[0]), double(xb[1]), double(xb[2]), double(xb[3])};
            const Doubles yav = {double(ya[0]), double(ya[1]), double(ya[2]), double(ya[3])};
            const Doubles ybv = {double(yb[0]), double(yb[1]), double(yb[2]), double(yb[3])};
            Doubles sum = zero, wsum = zero;
            for (int dy = 0; dy < ny; ++dy) {
                const Doubles Y = yav + dy;
                const Mask rowIn = Y <= ybv;
                const std::uint8_t* src[kLanes];
                for (int l = 0; l < kLanes; ++l) src[l] = image.row(std::min(ya[l] + dy, lastY));
                const Doubles dy2 = (Y - yv) * (Y - yv);
                for (int dx = 0; dx < nx; ++dx) {
                    const Doubles X = xav + dx;
                    const Mask in = rowIn & (X <= xbv);
                    // Taps past a lane's box read inside the image and weigh 0 below.
                    Doubles px;
                    for (int l = 0; l < kLanes; ++l) px[l] = src[l][std::min(xa[l] + dx, lastX)];
                    const Doubles d2 = (X - xv) * (X - xv) + dy2;
                    const Mask full = d2 < inner2;
                    const Mask edge = ~full & (d2 <= outer2) & in;
                    Doubles w = full ? one : zero;
                    if (any(edge)) {
                        Doubles e = d2;
                        for (int l = 0; l < kLanes; ++l) e[l] = std::sqrt(e[l]);
                        const Doubles rest = rv - e;
                        const Doubles partial = rest >= one ? one : rest;
                        w = (edge & (e <= rv)) ? partial : w;
                    }
                    w = in ? w : zero;
                    sum += w * px;
                    wsum += w;
                }
            }
            const int lanes = std::min(kLanes, out.width - j);
            for (int l = 0; l < lanes; ++l) o[j + l] = wsum[l] > 0.0 ? toByte(sum[l] / wsum[l]) : 0;
        }
    }
}

}  // namespace ovfc
