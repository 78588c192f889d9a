#include "landmark_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ovem {
namespace {

bool near(double v) {
    return std::isfinite(v) && std::fabs(v) <= kMaxBoxOffset;
}

}  // namespace

bool eyesUsable(const Eyes& e) {
    if (!near(e.xl) || !near(e.yl) || !near(e.xr) || !near(e.yr)) return false;
    const double d = std::hypot(e.xr - e.xl, e.yr - e.yl);
    return d >= kMinEyeDistance && d <= kMaxEyeDistance;
}

FaceBox boxFromEyes(const Eyes& e) {
    const double distance = std::hypot(e.xr - e.xl, e.yr - e.yl);
    const double mx = (e.xl + e.xr) / 2, my = (e.yl + e.yr) / 2;
    FaceBox box;
    box.width = box.height = static_cast<int>(std::lround(kBoxEyeDistances * distance));
    box.left = static_cast<int>(std::lround(mx - box.width / 2.0));
    box.top = static_cast<int>(std::lround(my - kBoxTopAboveEyes * box.width));
    return box;
}

bool boxUsable(const FaceBox& b, int width, int height) {
    if (b.width < kMinBoxSide || b.height < kMinBoxSide) return false;
    if (b.width > kMaxBoxSide || b.height > kMaxBoxSide) return false;
    if (std::abs(b.left) > kMaxBoxOffset || std::abs(b.top) > kMaxBoxOffset) return false;
    return b.left < width && b.top < height && b.left + b.width > 0 && b.top + b.height > 0;
}

Eyes landmarkEyes(const float points[136]) {
    Eyes e;
    for (int i = 36; i < 42; ++i) {
        e.xl += points[2 * i];
        e.yl += points[2 * i + 1];
    }
    for (int i = 42; i < 48; ++i) {
        e.xr += points[2 * i];
        e.yr += points[2 * i + 1];
    }
    e.xl /= 6;
    e.yl /= 6;
    e.xr /= 6;
    e.yr /= 6;
    return e;
}

double boxDrift(const FaceBox& box, const float points[136]) {
    const Eyes e = landmarkEyes(points);
    if (!eyesUsable(e)) return std::numeric_limits<double>::infinity();
    const FaceBox b = boxFromEyes(e);
    const int change = std::max({std::abs(b.left - box.left), std::abs(b.top - box.top),
                                 std::abs(b.width - box.width)});
    return static_cast<double>(change) / box.width;
}

}  // namespace ovem
