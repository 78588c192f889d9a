#pragma once
// The window of an image panel: draws the panel's picture (or the live frames of a
// frame-grabber preview) scaled into the control, the face ellipse and the elements over
// it, and offers the panel's context menu (Image, Elements, Copy, Paste, Save as...).
// Its label, the control that follows the panel, shows the panel's state.
//
// The panel's display options byte is read from the registry ("Images options", value
// named after the panel) when the view is attached and written back when an attached view
// is destroyed.
// UI thread only; the panel's threads reach the view through queued calls.

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <functional>
#include <memory>

#include "capture/capture_device.h"
#include "element_painter.h"
#include "panels/image_panel.h"
#include "persons/face_record.h"
#include "platform/registry.h"

namespace ui {

class FrameBridge;

struct PanelEnvironment {
    capture::CaptureDevice& device;
    panels::PanelClipboard& clipboard;
    FrameBridge& frames;
    platform::RegistryFile& registry;
    // The element display style of the options page (1..6), read at each paint.
    std::function<int()> elementStyle;
};

class PanelView final : public QFrame {
  public:
    // name: "Main.live", "Search.capture", ...; id: the control's identifier, sent with
    // the paste notification.
    PanelView(const QString& name, int id, std::uint8_t options, std::uint8_t menuMask,
              PanelEnvironment environment, QWidget* parent);
    ~PanelView() override;

    // Takes the stored display options; from now on they are stored again at the end.
    void attach();

    panels::ImagePanel& panel() { return *panel_; }
    QLabel* label() const { return label_; }
    int id() const { return id_; }

    // Live video in this window, with the processing thread when process is set; 0 live.
    int startLive(bool process);
    void stopLive();

    // Shows a stored face's picture (from facePicture) with its label; no picture clears.
    void showFace(const std::vector<std::uint8_t>& picture, const QString& label);

    // Called with (id, 2104) after a paste.
    void setCommandHandler(std::function<void(int id, int code)> handler) {
        command_ = std::move(handler);
    }

    // How picture pixels land on the widget now (the live capture window's place while a
    // video-capture preview runs).
    PictureMapping pictureMapping() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    class Overlay;
    void refresh();
    void showFrame(const QImage& frame);
    QWidget* captureWindow() const;

    PanelEnvironment env_;
    QString name_;
    int id_;
    std::unique_ptr<panels::ImagePanel> panel_;
    QPointer<QLabel> label_;
    Overlay* overlay_ = nullptr;  // child, owned by Qt
    QImage liveFrame_;            // the latest frame-grabber frame while live
    bool attached_ = false;
    std::function<void(int, int)> command_;
};

// The picture of a stored face as a copy the panels take; empty when it has none.
std::vector<std::uint8_t> facePicture(const persons::FaceRecord& face);

}  // namespace ui
