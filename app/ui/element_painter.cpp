#include "element_painter.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

namespace {

constexpr int kFullFace = 0;
constexpr int kFaceWindow = 255;

// One colour per element: eyes green and cyan, nose yellow, mouth red, the nostril corners
// orange and magenta, chin light blue; the face itself white.
QColor elementColour(int id) {
    switch (id) {
        case 1:
            return QColor(64, 255, 96);
        case 2:
            return QColor(64, 224, 255);
        case 3:
            return QColor(255, 232, 64);
        case 4:
            return QColor(255, 72, 72);
        case 5:
            return QColor(255, 160, 48);
        case 6:
            return QColor(240, 96, 255);
        case 7:
            return QColor(128, 160, 255);
        default:
            return QColor(255, 255, 255);
    }
}

bool isFace(const FaceElementInfo& e) {
    return e.id == kFullFace || e.id == kFaceWindow;
}

// The element's box on the widget; sizes of at least a few pixels so that a tiny mask stays
// visible.
QRectF elementBox(const PictureMapping& m, const FaceElementInfo& e) {
    const QPointF c = m.map(e.x + 0.5, e.y + 0.5);
    const double w = std::max(4.0, e.width * m.scale);
    const double h = std::max(4.0, e.height * m.scale);
    return {c.x() - w / 2, c.y() - h / 2, w, h};
}

void brightSpot(QPainter& p, const QRectF& box) {
    const double r = std::clamp(std::min(box.width(), box.height()) / 3, 3.0, 12.0);
    QRadialGradient glow(box.center(), r);
    glow.setColorAt(0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.35, QColor(255, 255, 230, 220));
    glow.setColorAt(1, QColor(255, 255, 200, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(box.center(), r, r);
}

void colourSpot(QPainter& p, const QRectF& box, const QColor& colour) {
    const double r = std::clamp(std::min(box.width(), box.height()) / 5, 3.0, 6.0);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.2));
    p.setBrush(colour);
    p.drawEllipse(box.center(), r, r);
}

void colourMap(QPainter& p, const QRectF& box, QColor colour) {
    QColor fill = colour;
    fill.setAlpha(80);
    colour.setAlpha(220);
    p.setPen(QPen(colour, 1));
    p.setBrush(fill);
    p.drawRect(box);
}

void colourEllipse(QPainter& p, const QRectF& box, const QColor& colour) {
    p.setPen(QPen(QColor(0, 0, 0, 140), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(box);
    p.setPen(QPen(colour, 1.6));
    p.drawEllipse(box);
}

// Nested rings, fainter towards the outside, like the contours of a potential well.
void potentialLines(QPainter& p, const QRectF& box, QColor colour) {
    constexpr int kRings = 4;
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < kRings; ++k) {
        const double f = 1.0 - k * 0.22;
        QRectF ring(0, 0, box.width() * f, box.height() * f);
        ring.moveCenter(box.center());
        colour.setAlpha(90 + k * 50);
        p.setPen(QPen(colour, 1));
        p.drawEllipse(ring);
    }
}

void preciseCross(QPainter& p, const QRectF& box, const QColor& colour) {
    const QPointF c = box.center();
    p.setBrush(Qt::NoBrush);
    for (const auto& [pen, width] : {std::pair{QColor(0, 0, 0, 160), 3.0}, {colour, 1.0}}) {
        p.setPen(QPen(pen, width));
        p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
        p.drawLine(QPointF(c.x(), box.top()), QPointF(c.x(), box.bottom()));
    }
    p.setPen(QPen(colour, 1));
    p.drawEllipse(c, 2.0, 2.0);
}

}  // namespace

ElementStyle elementStyle(int number) {
    return number >= 1 && number <= 6 ? static_cast<ElementStyle>(number)
                                      : ElementStyle::ColorSpots;
}

PictureMapping fitPicture(const QRectF& target, int width, int height) {
    if (width <= 0 || height <= 0 || target.isEmpty()) return {target.left(), target.top(), 1};
    const double scale = std::min(target.width() / width, target.height() / height);
    return {target.left() + (target.width() - width * scale) / 2,
            target.top() + (target.height() - height * scale) / 2, scale};
}

void paintFaceEllipse(QPainter& painter, const PictureMapping& m, const panels::OverlayEllipse& e) {
    if (e.width <= 0 || e.height <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m.map(e.x, e.y));
    // The angle is counter-clockwise in picture coordinates (y down).
    painter.rotate(-e.angle * 180.0 / std::numbers::pi);
    const QRectF box(-e.width * m.scale / 2, -e.height * m.scale / 2, e.width * m.scale,
                     e.height * m.scale);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 150), 4));
    painter.drawEllipse(box);
    painter.setPen(QPen(QColor(255, 230, 0), 2));
    painter.drawEllipse(box);
    painter.restore();
}

void paintElements(QPainter& painter, const PictureMapping& m,
                   const std::vector<FaceElementInfo>& elements, ElementStyle style) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const FaceElementInfo& e : elements) {
        // The face as a whole is shown by the ellipse; the area styles outline it too.
        if (isFace(e) && style != ElementStyle::ColorMap && style != ElementStyle::ColorEllipses)
            continue;
        const QRectF box = elementBox(m, e);
        const QColor colour = elementColour(e.id);
        switch (style) {
            case ElementStyle::BrightSpots:
                brightSpot(painter, box);
                break;
            case ElementStyle::ColorSpots:
                colourSpot(painter, box, colour);
                break;
            case ElementStyle::ColorMap:
                colourMap(painter, box, colour);
                break;
            case ElementStyle::ColorEllipses:
                colourEllipse(painter, box, colour);
                break;
            case ElementStyle::EqualPotentialLines:
                potentialLines(painter, box, colour);
                break;
            case ElementStyle::PreciseCrosses:
                preciseCross(painter, box, colour);
                break;
        }
    }
    painter.restore();
}

}  // namespace ui
