#pragma once
// Draws the located face elements and the face ellipse over a picture, in the six display
// styles of the options page.

#include <QPainter>
#include <QRectF>
#include <vector>

#include "ovfc32.h"
#include "panels/image_panel.h"

namespace ui {

enum class ElementStyle : int {
    BrightSpots = 1,
    ColorSpots = 2,
    ColorMap = 3,
    ColorEllipses = 4,
    EqualPotentialLines = 5,
    PreciseCrosses = 6,
};

// A style number from the settings; an unknown number draws as colour spots.
ElementStyle elementStyle(int number);

// Where a 256 x 255 picture lands on the widget: picture pixel (x, y) is drawn at
// (left + x * scale, top + y * scale).
struct PictureMapping {
    double left = 0, top = 0, scale = 1;
    QPointF map(double x, double y) const { return {left + x * scale, top + y * scale}; }
};

// The picture fitted into the rectangle at its aspect ratio, centred.
PictureMapping fitPicture(const QRectF& target, int width, int height);

void paintFaceEllipse(QPainter& painter, const PictureMapping& mapping,
                      const panels::OverlayEllipse& ellipse);
void paintElements(QPainter& painter, const PictureMapping& mapping,
                   const std::vector<FaceElementInfo>& elements, ElementStyle style);

}  // namespace ui
