#pragma once
// The Qt pieces of a preview: the capture window that shows live frames, and the painter
// that shows a frozen still in the caller's window.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "convert.h"

namespace vfw {

// Child of the caller's window; shows the latest preview image scaled to its size.
class CaptureWindow final : public QWidget {
  public:
    explicit CaptureWindow(QWidget* parent);
    void setImage(QImage image);
    // Fits the window into its parent at the frame's aspect ratio, centred.
    void fitToParent(int frameWidth, int frameHeight);
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QImage image_;
};

// Installed on the caller's window while it is frozen: paints the still, letterboxed and
// centred on the window's background colour, on every paint request.
class StillPainter final : public QObject {
  public:
    StillPainter(QWidget* window, Still still);
    ~StillPainter() override;
    StillPainter(const StillPainter&) = delete;
    StillPainter& operator=(const StillPainter&) = delete;
    const Still& still() const { return still_; }
    // Forgets a window that is being destroyed.
    void detach() { window_ = nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    Still still_;
    QImage image_;  // views still_.rgb
};

// Lives on the user-interface thread; carries work from the capture thread to it.
class GuiBridge final : public QObject {
  public:
    template <typename Fn>
    void post(Fn&& fn) {
        QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::QueuedConnection);
    }
};

}  // namespace vfw
