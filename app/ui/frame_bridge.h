#pragma once
// Carries the frames of the frame-grabber preview thread to the windows they were captured
// for. The sink runs on the preview thread and posts a copy of the frame; on the
// user-interface thread the frame goes to the window only while that window is still
// registered, so a window closed meanwhile is never touched.

#include <QImage>
#include <QObject>
#include <functional>
#include <unordered_map>

#include "capture/capture_device.h"

namespace ui {

class FrameBridge final : public QObject {
  public:
    using Show = std::function<void(const QImage& frame)>;

    // UI thread: the window receives frames through show until unregistered.
    void registerWindow(void* window, Show show);
    void unregisterWindow(void* window);

    // A sink for the capture object; safe on any thread while this object lives.
    capture::FrameSink sink();

  private:
    std::unordered_map<void*, Show> windows_;
};

}  // namespace ui
