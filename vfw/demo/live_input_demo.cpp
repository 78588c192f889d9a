// ovvfw-live: opens the "Live Input" dialog on a capture device.
//   ovvfw-live [--device N] [--screenshot FILE]
//   ovvfw-live --make-frames DIR
// --make-frames only writes a few 320 x 240 colour test frames into DIR (for the image
// folder camera) and ends; --screenshot saves the screen area of the dialog after a second of live
// video and closes it.

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ovio32.h"
#include "ovvfw32.h"

namespace {

bool makeFrames(const std::string& dir) {
    for (int n = 0; n < 12; ++n) {
        QImage img(320, 240, QImage::Format_RGB888);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                img.setPixel(x, y, qRgb(40 + x / 3, 60 + y / 3, 120 + (x + y) / 8));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const double a = n * 2 * M_PI / 12;
        p.setBrush(QColor(230, 200, 170));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(160 + 40 * std::cos(a), 120 + 20 * std::sin(a)), 55, 70);
        p.setBrush(QColor(40, 40, 40));
        for (int side : {-1, 1}) {
            p.drawEllipse(QPointF(160 + 40 * std::cos(a) + side * 22, 105 + 20 * std::sin(a)), 7,
                          5);
        }
        p.end();
        std::vector<uint8_t> rgb(320 * 240 * 3);
        for (int y = 0; y < 240; ++y) std::memcpy(&rgb[y * 960], img.constScanLine(y), 960);
        const uint32_t size = 320 | (240u << 16);
        char name[64];
        std::snprintf(name, sizeof name, "/frame%02d.bmp", n);
        if (OvWriteClip((dir + name).c_str(), rgb.data(), OVIO_FORMAT_BY_NAME | OVIO_COLOUR,
                        &size) != 0)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int device = -1;
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc) {
            device = std::atoi(argv[++i]);
        } else if (a == "--make-frames" && i + 1 < argc) {
            if (!makeFrames(argv[++i])) {
                std::fprintf(stderr, "ovvfw-live: cannot write frames into %s\n", argv[i]);
                return 1;
            }
            return 0;
        } else if (a == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            std::fprintf(
                stderr, "usage: ovvfw-live [--device N] [--make-frames DIR] [--screenshot FILE]\n");
            return 2;
        }
    }
    OvVFWInit();
    if (device >= 0) {
        char name[80];
        if (OvVFWGetDeviceName(device, name, nullptr) != 0 || OvVFWSelectFramegrabber(name) != 0) {
            std::fprintf(stderr, "ovvfw-live: no capture device %d\n", device);
            OvVFWDone();
            return 1;
        }
    }
    bool saved = screenshot.empty();
    if (!screenshot.empty()) {
        QTimer::singleShot(1500, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            const QRect r = dialog->frameGeometry();
            QScreen* screen = dialog->screen();
            const QPixmap shot = screen->grabWindow(0, r.x(), r.y(), r.width(), r.height());
            saved = shot.save(QString::fromStdString(screenshot));
            dialog->reject();
        });
    }
    std::vector<uint8_t> frame(256 * 255);
    const int32_t result = OvVFWLiveDialog(nullptr, frame.data(),
                                           OVVFW_DLG_KEEP_OPEN | OVVFW_DLG_CENTRE_MARK, nullptr);
    OvVFWDone();
    std::printf("Live Input: %d\n", result);
    return saved ? 0 : 1;
}
