#include "frame_bridge.h"

namespace ui {

void FrameBridge::registerWindow(void* window, Show show) {
    windows_[window] = std::move(show);
}

void FrameBridge::unregisterWindow(void* window) {
    windows_.erase(window);
}

capture::FrameSink FrameBridge::sink() {
    return [this](void* window, const std::uint8_t* frame) {
        QImage image(frame, capture::kFrameWidth, capture::kFrameHeight, capture::kFrameWidth,
                     QImage::Format_Grayscale8);
        QMetaObject::invokeMethod(
            this,
            [this, window, copy = image.copy()] {
                if (auto it = windows_.find(window); it != windows_.end()) it->second(copy);
            },
            Qt::QueuedConnection);
    };
}

}  // namespace ui
