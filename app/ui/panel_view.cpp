#include "panel_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "file_dialog.h"
#include "frame_bridge.h"
#include "ovvfw32.h"
#include "settings/app_settings.h"
#include "texts.h"

namespace ui {

// Draws the face ellipse and the elements above everything else in the panel, the
// capture window of a video-capture preview included.
class PanelView::Overlay final : public QWidget {
  public:
    explicit Overlay(PanelView* view) : QWidget(view), view_(view) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setObjectName(view->objectName() + QStringLiteral(".overlay"));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const panels::ImagePanel& panel = view_->panel();
        if ((panel.options() & panels::kShowElements) == 0) return;
        const panels::ImagePanel::Snapshot s = panel.snapshot();
        if (s.elements.empty() && s.overlay.width == 0) return;
        QPainter painter(this);
        const PictureMapping m = view_->pictureMapping();
        paintElements(painter, m, s.elements, elementStyle(view_->env_.elementStyle()));
        paintFaceEllipse(painter, m, s.overlay);
    }

  private:
    PanelView* view_;
};

PanelView::PanelView(const QString& name, int id, std::uint8_t options, std::uint8_t menuMask,
                     PanelEnvironment environment, QWidget* parent)
    : QFrame(parent), env_(std::move(environment)), name_(name), id_(id) {
    setObjectName(name);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMinimumSize(capture::kFrameWidth + 2, capture::kFrameHeight + 2);
    setAttribute(Qt::WA_OpaquePaintEvent);
    panel_ = std::make_unique<panels::ImagePanel>(
        name.toStdString(), env_.device, env_.clipboard, options, menuMask, [this] {
            QMetaObject::invokeMethod(
                this, [this] { refresh(); }, Qt::QueuedConnection);
        });
    label_ = new QLabel(appText(903), parent);
    label_->setObjectName(name + QStringLiteral(".label"));
    label_->setAlignment(Qt::AlignCenter);
    overlay_ = new Overlay(this);
    env_.frames.registerWindow(this, [this](const QImage& frame) { showFrame(frame); });
    refresh();
}

PanelView::~PanelView() {
    env_.frames.unregisterWindow(this);
    const std::uint8_t options = panel_->options();
    panel_.reset();  // stops live video and the processing thread first
    if (attached_) settings::writeImageOptions(env_.registry, name_.toStdString(), options);
}

void PanelView::attach() {
    if (auto stored = settings::readImageOptions(env_.registry, name_.toStdString()))
        panel_->setOptions(*stored);
    attached_ = true;
}

int PanelView::startLive(bool process) {
    liveFrame_ = QImage();
    const int rc = panel_->startLive(this, process);
    overlay_->raise();  // above a capture window the preview may have made
    refresh();
    return rc;
}

void PanelView::stopLive() {
    panel_->stopLive();
    liveFrame_ = QImage();
    refresh();
}

void PanelView::showFace(const std::vector<std::uint8_t>& picture, const QString& label) {
    if (picture.empty()) {
        panel_->clear();
    } else {
        panel_->showPicture(picture.data(), nullptr, label.toStdString());
    }
}

std::vector<std::uint8_t> facePicture(const persons::FaceRecord& face) {
    if (!face.picture ||
        face.picture.size() < std::uint32_t{capture::kFrameWidth} * capture::kFrameHeight)
        return {};
    return {face.picture.data(), face.picture.data() + face.picture.size()};
}

void PanelView::refresh() {
    if (label_) label_->setText(QString::fromStdString(panel_->snapshot().label));
    update();
    overlay_->update();
}

void PanelView::showFrame(const QImage& frame) {
    if (!panel_->live()) return;
    liveFrame_ = frame;
    update();
}

QWidget* PanelView::captureWindow() const {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != overlay_ && child->isVisible()) return child;
    }
    return nullptr;
}

PictureMapping PanelView::pictureMapping() const {
    // A video-capture preview shows the whole frame in its capture window; the picture is
    // the 256 x 255 region at the frame's centre.
    if (panel_->live() && env_.device.kind() == capture::Kind::Vfw) {
        OvVFWCaps caps{};
        if (QWidget* cw = captureWindow();
            cw != nullptr && OvVFWGetFramegrabberCaps(&caps) == 0 && caps.width > 0) {
            const double scale = static_cast<double>(cw->width()) / caps.width;
            return {cw->x() + (caps.width - capture::kFrameWidth) / 2 * scale,
                    cw->y() + (caps.height - capture::kFrameHeight) / 2 * scale, scale};
        }
    }
    return fitPicture(contentsRect(), capture::kFrameWidth, capture::kFrameHeight);
}

void PanelView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(contentsRect(), Qt::black);
    if (panel_->options() & panels::kShowPicture) {
        const PictureMapping m = pictureMapping();
        const QRectF target(m.left, m.top, capture::kFrameWidth * m.scale,
                            capture::kFrameHeight * m.scale);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!liveFrame_.isNull()) {
            painter.drawImage(target, liveFrame_);
        } else if (const panels::ImagePanel::Snapshot s = panel_->snapshot();
                   s.pictureValid &&
                   s.picture.size() >= std::size_t{capture::kFrameWidth} * capture::kFrameHeight) {
            const QImage picture(s.picture.data(), capture::kFrameWidth, capture::kFrameHeight,
                                 capture::kFrameWidth, QImage::Format_Grayscale8);
            painter.drawImage(target, picture);
        }
    }
    QFrame::paintEvent(event);
}

void PanelView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    overlay_->setGeometry(rect());
}

void PanelView::contextMenuEvent(QContextMenuEvent* event) {
    const std::uint8_t allowed = panel_->menuMask();
    const bool valid = panel_->snapshot().pictureValid;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("IMAGEMENU"));
    auto toggle = [this](std::uint8_t bit) {
        panel_->setOptions(panel_->options() ^ bit);
        refresh();
    };
    if (allowed & panels::kAllowImage) {
        QAction* a = menu.addAction(QStringLiteral("Image"), [=] { toggle(panels::kShowPicture); });
        a->setCheckable(true);
        a->setChecked(panel_->options() & panels::kShowPicture);
    }
    if (allowed & panels::kAllowElements) {
        QAction* a =
            menu.addAction(QStringLiteral("Elements"), [=] { toggle(panels::kShowElements); });
        a->setCheckable(true);
        a->setChecked(panel_->options() & panels::kShowElements);
    }
    if (valid) menu.addAction(QStringLiteral("Copy"), [this] { panel_->copy(); });
    if (allowed & panels::kAllowPaste) {
        QAction* paste = menu.addAction(QStringLiteral("Paste"), [this] {
            if (!panel_->paste()) return;
            refresh();
            if (command_) command_(id_, panels::kPasteNotification);
        });
        paste->setEnabled(panel_->canPaste());
        if (panel_->canPaste()) menu.setDefaultAction(paste);
    }
    if (valid) {
        menu.addAction(QStringLiteral("Save as..."), [this] {
            const auto path = askFileName(this, FileMode::Save, FileKind::Image, QString());
            if (!path) return;
            if (const int rc = panel_->saveAs(path->toStdString()); rc != 0)
                QMessageBox::warning(this, QStringLiteral("Error"), faceErrorText(rc));
        });
    }
    if (!menu.isEmpty()) menu.exec(event->globalPos());
}

}  // namespace ui
