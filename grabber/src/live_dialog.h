#pragma once
// The "Live Input" dialog (TfLiveGrab) behind OvfLiveDialog.
//
// runLiveDialog returns the dialog result: 0 accepted (and, with frame memory, the frame
// captured into it), 10 closed or no dialog possible (no QApplication, or called off its
// thread), 12 when a dialog is already open, or the capture's code (1 driver not ready,
// 3 no strip memory) when the final capture failed. The caller owns frame (at least the
// frame size of the flags: 256 x 255 or 512 x 512, times 3 for colour) and keeps it; the
// owner window is a QWidget* or null. Not thread-safe: call on the QApplication's thread.

#include <cstdint>

namespace ovf {

int16_t runLiveDialog(void* owner, int16_t left, int16_t top, int16_t channel, void* frame,
                      int16_t flags, const char* caption);

}  // namespace ovf
