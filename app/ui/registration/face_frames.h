#pragma once
// Frames for the registration windows: the processed frame a panel holds, and a new one
// taken with the capture device or, without one, from an image file. UI thread only.

#include <QString>
#include <optional>

#include "identify/library_seams.h"
#include "panel_view.h"

class QWidget;

namespace ui {

// The panel's picture and descriptor; nothing when its face is not processed.
std::optional<identify::Probe> panelFrame(panels::ImagePanel& panel);

// Captures one frame into the panel with the device (or, without a device, loads the image
// file chosen in the file dialog, starting at lastPath, which is updated) and processes it.
// The processed frame; nothing when cancelled or failed, with the reason shown in status
// (may be null) and in the panel's label.
std::optional<identify::Probe> acquireFrame(PanelView& panel, capture::CaptureDevice& device,
                                            QWidget* parent, QString& lastPath, QString* status);

// Loads and processes an image file into the panel; the processed frame or nothing, the
// reason in status (may be null).
std::optional<identify::Probe> loadFrame(PanelView& panel, const QString& path, QString* status);

}  // namespace ui
