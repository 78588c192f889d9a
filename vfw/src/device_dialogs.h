#pragma once
// The device's own dialogs, offered by the live dialog: video source (picture controls)
// and video format (frame size).

class QWidget;

namespace vfw {

void showSourceDialog(QWidget* parent);
void showFormatDialog(QWidget* parent);

}  // namespace vfw
