// The drawing of the face elements and the ellipse, and where a picture lands in a control.

#include <QImage>
#include <QPainter>
#include <set>

#include "element_painter.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

std::vector<FaceElementInfo> someElements() {
    return {{0, 128, 130, 60, 50}, {1, 108, 110, 10, 14}, {2, 148, 110, 10, 14},
            {3, 128, 135, 12, 12}, {4, 128, 160, 10, 22}, {7, 128, 185, 10, 30}};
}

QImage render(ui::ElementStyle style) {
    QImage image(256, 255, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    ui::paintElements(painter, ui::PictureMapping{0, 0, 1}, someElements(), style);
    return image;
}

int litPixels(const QImage& image, QRect where) {
    int n = 0;
    for (int y = where.top(); y <= where.bottom(); ++y)
        for (int x = where.left(); x <= where.right(); ++x) n += image.pixel(x, y) != qRgb(0, 0, 0);
    return n;
}

TEST(ElementPainter, EachStyleDrawsAtTheElementsAndDiffersFromTheOthers) {
    std::set<QByteArray> seen;
    for (int s = 1; s <= 6; ++s) {
        const QImage image = render(ui::elementStyle(s));
        // Something near each eye, nothing in the picture's corner.
        EXPECT_GT(litPixels(image, QRect(100, 102, 17, 17)), 0) << s;
        EXPECT_GT(litPixels(image, QRect(140, 102, 17, 17)), 0) << s;
        EXPECT_EQ(litPixels(image, QRect(0, 0, 40, 40)), 0) << s;
        seen.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST(ElementPainter, AnUnknownStyleNumberDrawsColourSpots) {
    EXPECT_EQ(ui::elementStyle(0), ui::ElementStyle::ColorSpots);
    EXPECT_EQ(ui::elementStyle(7), ui::ElementStyle::ColorSpots);
    EXPECT_EQ(ui::elementStyle(4), ui::ElementStyle::ColorEllipses);
}

TEST(ElementPainter, TheEllipseFollowsItsAngle) {
    // A tall ellipse turned by 90 degrees lies wide: its ends move from above and below the
    // centre to its left and right.
    auto draw = [](double angle) {
        QImage image(256, 255, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        ui::paintFaceEllipse(painter, ui::PictureMapping{0, 0, 1},
                             panels::OverlayEllipse{128, 128, 40, 120, angle});
        return image;
    };
    const QImage level = draw(0);
    const QImage turned = draw(1.5707963267948966);
    EXPECT_GT(litPixels(level, QRect(120, 64, 16, 8)), 0);
    EXPECT_EQ(litPixels(level, QRect(64, 120, 8, 16)), 0);
    EXPECT_EQ(litPixels(turned, QRect(120, 64, 16, 8)), 0);
    EXPECT_GT(litPixels(turned, QRect(64, 120, 8, 16)), 0);
}

TEST(ElementPainter, AnEmptyEllipseDrawsNothing) {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    ui::paintFaceEllipse(painter, ui::PictureMapping{0, 0, 1}, panels::OverlayEllipse{});
    painter.end();
    EXPECT_EQ(litPixels(image, image.rect()), 0);
}

TEST(PictureMapping, FitsThePictureAtItsAspectRatioCentred) {
    const ui::PictureMapping wide = ui::fitPicture(QRectF(0, 0, 612, 255), 256, 255);
    EXPECT_DOUBLE_EQ(wide.scale, 1.0);
    EXPECT_DOUBLE_EQ(wide.left, 178.0);
    EXPECT_DOUBLE_EQ(wide.top, 0.0);
    const ui::PictureMapping tall = ui::fitPicture(QRectF(10, 20, 128, 400), 256, 255);
    EXPECT_DOUBLE_EQ(tall.scale, 0.5);
    EXPECT_DOUBLE_EQ(tall.left, 10.0);
    EXPECT_DOUBLE_EQ(tall.top, 20 + (400 - 127.5) / 2);
    EXPECT_EQ(tall.map(256, 255), QPointF(138, tall.top + 127.5));
}

}  // namespace
}  // namespace ui_test
