#pragma once
// The face ellipse drawn over live video and the scaling of the element records that the
// panels draw, both from the two eye centres of a processed face. Pure functions,
// thread-safe.

#include <cstdint>

#include "ovfc32.h"

namespace panels {

// Centre and size in picture pixels (truncated toward zero), angle in radians.
struct OverlayEllipse {
    std::int16_t x = 0, y = 0, width = 0, height = 0;
    double angle = 0;
    friend bool operator==(const OverlayEllipse&, const OverlayEllipse&) = default;
};

// Element ids of the two eyes in the records of the face library.
inline constexpr std::int16_t kLeftEyeId = 1;
inline constexpr std::int16_t kRightEyeId = 2;
// Fewer records than this are not drawn.
inline constexpr int kMinElements = 3;

// The ellipse around the face from the eye centres (xl, yl) and (xr, yr): dx = xr - xl,
// dy = yr - yl, d = sqrt(dx^2 + dy^2); centre = eye midpoint + (-dy/d, dx/d) * 0.3 * dx (below
// the eyes), width |dx|, height 1.5 |dx|, angle -atan(dy/dx) (0 when dx is 0). Coinciding
// eyes (d = 0) give the midpoint with size 0 and angle 0. Sizes are never negative:
// swapped eyes give the same ellipse.
OverlayEllipse overlayFromEyes(double xl, double yl, double xr, double yr);

// The record of element id among the first count records; null when absent.
const FaceElementInfo* findElement(const FaceElementInfo* records, int count, std::int16_t id);

// Multiplies each record's height and width by 0.025 * |xR - xL|, the horizontal distance
// of the eye centres (the records with the eye ids; in the library's table records 1 and
// 2). Returns false and leaves the records unchanged when count < kMinElements or an eye
// is missing.
bool scaleElements(FaceElementInfo* records, int count);

}  // namespace panels
