#include "registration/face_frames.h"

#include <algorithm>

#include "file_dialog.h"
#include "texts.h"

namespace ui {

namespace {

std::optional<identify::Probe> processed(PanelView& panel, int rc, QString* status) {
    if (rc == 0) rc = panel.panel().process();
    if (rc != 0) {
        if (status != nullptr) *status = faceErrorText(rc);
        return std::nullopt;
    }
    auto frame = panelFrame(panel.panel());
    if (!frame && status != nullptr) *status = faceErrorText(identify::kNoFaceFound);
    return frame;
}

}  // namespace

std::optional<identify::Probe> panelFrame(panels::ImagePanel& panel) {
    const panels::ImagePanel::Snapshot s = panel.snapshot();
    if (!s.pictureValid || !s.faceProcessed) return std::nullopt;
    identify::Probe frame;
    std::copy_n(s.picture.begin(), std::min(s.picture.size(), frame.picture.size()),
                frame.picture.begin());
    if (!panel.copyDescriptor(frame.descriptor.data())) return std::nullopt;
    return frame;
}

std::optional<identify::Probe> loadFrame(PanelView& panel, const QString& path, QString* status) {
    panel.stopLive();
    return processed(panel, panel.panel().loadFile(path.toStdString()), status);
}

std::optional<identify::Probe> acquireFrame(PanelView& panel, capture::CaptureDevice& device,
                                            QWidget* parent, QString& lastPath, QString* status) {
    if (device.kind() != capture::Kind::None) {
        panel.stopLive();
        return processed(panel, panel.panel().capture(&panel), status);
    }
    const auto path = askFileName(parent, FileMode::Open, FileKind::Image, lastPath);
    if (!path) return std::nullopt;
    lastPath = *path;
    return loadFrame(panel, *path, status);
}

}  // namespace ui
