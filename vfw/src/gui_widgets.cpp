#include "gui_widgets.h"

#include <QEvent>
#include <QPainter>

namespace vfw {

CaptureWindow::CaptureWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName("OvVFWCaptureWindow");
    if (parent != nullptr) setGeometry(parent->rect());
}

void CaptureWindow::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void CaptureWindow::fitToParent(int frameWidth, int frameHeight) {
    QWidget* p = parentWidget();
    if (p == nullptr || frameWidth <= 0 || frameHeight <= 0) return;
    const int pw = p->width(), ph = p->height();
    int w = pw, h = ph;
    if (int64_t{pw} * frameHeight <= int64_t{ph} * frameWidth) {
        h = static_cast<int>(int64_t{pw} * frameHeight / frameWidth);
    } else {
        w = static_cast<int>(int64_t{ph} * frameWidth / frameHeight);
    }
    setGeometry((pw - w) / 2, (ph - h) / 2, w, h);
}

void CaptureWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (image_.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    p.drawImage(rect(), image_);
}

StillPainter::StillPainter(QWidget* window, Still still)
    : window_(window), still_(std::move(still)) {
    if (still_.width > 0) {
        image_ = QImage(still_.rgb.data(), still_.width, still_.height, still_.width * 3,
                        QImage::Format_RGB888);
    }
    window_->installEventFilter(this);
    window_->update();
}

StillPainter::~StillPainter() {
    if (window_) {
        window_->removeEventFilter(this);
        window_->update();
    }
}

bool StillPainter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::Paint) return false;
    QPainter p(window_);
    p.fillRect(window_->rect(), window_->palette().window());
    if (!image_.isNull()) {
        p.drawImage((window_->width() - image_.width()) / 2,
                    (window_->height() - image_.height()) / 2, image_);
    }
    return true;
}

}  // namespace vfw
