#include "panels/face_overlay.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace panels {

namespace {

constexpr double kCentreDrop = 0.3;   // centre below the eye line, in eye distances
constexpr double kHeightRatio = 1.5;  // ellipse height per eye distance
constexpr double kElementScale = 0.025;

// Truncation toward zero into the 16-bit range.
std::int16_t toInt16(double v) {
    if (!(v == v)) return 0;  // NaN
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::trunc(v < lo ? lo : (v > hi ? hi : v)));
}

}  // namespace

OverlayEllipse overlayFromEyes(double xl, double yl, double xr, double yr) {
    const double dx = xr - xl;
    const double dy = yr - yl;
    const double d = std::sqrt(dx * dx + dy * dy);
    double cx = (xl + xr) / 2;
    double cy = (yl + yr) / 2;
    if (d > 0) {
        cx -= dy / d * kCentreDrop * dx;
        cy += dx / d * kCentreDrop * dx;
    }
    OverlayEllipse e;
    e.x = toInt16(cx);
    e.y = toInt16(cy);
    e.width = toInt16(std::abs(dx));
    e.height = toInt16(kHeightRatio * std::abs(dx));
    e.angle = dx != 0 ? -std::atan(dy / dx) : 0.0;
    return e;
}

const FaceElementInfo* findElement(const FaceElementInfo* records, int count, std::int16_t id) {
    for (int i = 0; i < count; ++i)
        if (records[i].id == id) return &records[i];
    return nullptr;
}

bool scaleElements(FaceElementInfo* records, int count) {
    if (records == nullptr || count < kMinElements) return false;
    const FaceElementInfo* left = findElement(records, count, kLeftEyeId);
    const FaceElementInfo* right = findElement(records, count, kRightEyeId);
    if (left == nullptr || right == nullptr) return false;
    const double factor = kElementScale * std::abs(right->x - left->x);
    for (int i = 0; i < count; ++i) {
        records[i].height = toInt16(records[i].height * factor);
        records[i].width = toInt16(records[i].width * factor);
    }
    return true;
}

}  // namespace panels
