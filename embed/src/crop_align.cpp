#include "crop_align.h"

#include <algorithm>
#include <cmath>

namespace ovem {
namespace {

constexpr double kRelX = 0.5;
constexpr double kRelY = 0.43;
constexpr double kRelScale = 0.45;

struct Centre {
    double x = 0, y = 0;
};

Centre mean(const float* points, int first, int last) {
    Centre c;
    for (int i = first; i < last; ++i) {
        c.x += points[2 * i];
        c.y += points[2 * i + 1];
    }
    const int n = last - first;
    c.x /= n;
    c.y /= n;
    return c;
}

uint8_t toGrey(double v) {
    if (v <= 0.0) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint8_t>(std::floor(v + 0.5));
}

// Bilinear at a frame position, black outside the frame.
double sample(const uint8_t* grey, int width, int height, double x, double y) {
    const double fx = std::floor(x), fy = std::floor(y);
    const long x0 = static_cast<long>(fx), y0 = static_cast<long>(fy);
    const double ax = x - fx, ay = y - fy;
    auto at = [&](long yy, long xx) -> double {
        if (xx < 0 || yy < 0 || xx >= width || yy >= height) return 0.0;
        return grey[yy * width + xx];
    };
    const double top = at(y0, x0) + (at(y0, x0 + 1) - at(y0, x0)) * ax;
    const double bottom = at(y0 + 1, x0) + (at(y0 + 1, x0 + 1) - at(y0 + 1, x0)) * ax;
    return top + (bottom - top) * ay;
}

void uprightCrop(const uint8_t* grey, int width, int height, const CropPlacement& p,
                 uint8_t* crop) {
    const long side = static_cast<long>(std::floor(p.side));
    const long left = static_cast<long>(std::floor(p.centreX - kRelX * side));
    const long top = static_cast<long>(std::floor(p.centreY - kRelY * side));
    const double ratio = static_cast<double>(side) / kCropSide;
    auto at = [&](long sy, long sx) -> double {
        const long fy = top + sy, fx = left + sx;
        if (fx < 0 || fy < 0 || fx >= width || fy >= height) return 0.0;
        return grey[fy * width + fx];
    };
    for (int v = 0; v < kCropSide; ++v) {
        const double sy = ratio * v;
        const long y0 = static_cast<long>(std::floor(sy));
        const long y1 = std::min(side - 1, static_cast<long>(std::ceil(sy)));
        const double ay = sy - y0;
        for (int u = 0; u < kCropSide; ++u) {
            const double sx = ratio * u;
            const long x0 = static_cast<long>(std::floor(sx));
            const long x1 = std::min(side - 1, static_cast<long>(std::ceil(sx)));
            const double ax = sx - x0;
            const double t = at(y0, x0) + (at(y0, x1) - at(y0, x0)) * ax;
            const double b = at(y1, x0) + (at(y1, x1) - at(y1, x0)) * ax;
            crop[v * kCropSide + u] = toGrey(t + (b - t) * ay);
        }
    }
}

void levelCrop(const uint8_t* grey, int width, int height, const CropPlacement& p,
               uint8_t* crop) {
    const double c = std::cos(p.angle), s = std::sin(p.angle);
    const double step = p.side / kCropSide;
    for (int v = 0; v < kCropSide; ++v) {
        const double dv = v * step - kRelY * p.side;
        for (int u = 0; u < kCropSide; ++u) {
            const double du = u * step - kRelX * p.side;
            const double x = p.centreX + c * du - s * dv;
            const double y = p.centreY + s * du + c * dv;
            crop[v * kCropSide + u] = toGrey(sample(grey, width, height, x, y));
        }
    }
}

}  // namespace

bool cropPlacement(const float points[136], CropPlacement& placement) {
    for (int i = 0; i < 136; ++i)
        if (!std::isfinite(points[i])) return false;
    const Centre left = mean(points, 36, 42);
    const Centre right = mean(points, 42, 48);
    const Centre mouth = mean(points, 48, 68);
    const double toMouth = (std::hypot(mouth.x - left.x, mouth.y - left.y) +
                            std::hypot(mouth.x - right.x, mouth.y - right.y)) / 2;
    placement.side = toMouth / kRelScale;
    placement.centreX = (left.x + right.x + mouth.x) / 3;
    placement.centreY = (left.y + right.y + mouth.y) / 3;
    placement.angle = std::atan2(right.y - left.y, right.x - left.x);
    return true;
}

void alignedCrop(const uint8_t* grey, int width, int height, const CropPlacement& placement,
                 CropAlignment alignment, uint8_t crop[kCropSide * kCropSide]) {
    if (alignment == CropAlignment::kUpright)
        uprightCrop(grey, width, height, placement, crop);
    else
        levelCrop(grey, width, height, placement, crop);
}

}  // namespace ovem
