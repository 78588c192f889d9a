// Preview, freeze and stop of CaptureDevice: the stack of preview windows, the frame-grabber
// preview thread that runs for its top, and the video library's previews it mirrors.

#include <algorithm>

#include "capture/capture_device.h"
#include "capture/preview_thread.h"

namespace capture {

std::vector<CaptureDevice::PreviewEntry>::iterator CaptureDevice::findEntry(void* window) {
    return std::find_if(stack_.begin(), stack_.end(),
                        [window](const PreviewEntry& e) { return e.window == window; });
}

std::vector<void*> CaptureDevice::previewStack() const {
    std::vector<void*> windows;
    windows.reserve(stack_.size());
    for (const PreviewEntry& e : stack_) windows.push_back(e.window);
    return windows;
}

std::optional<CaptureDevice::PreviewEntry> CaptureDevice::livePreview() const {
    if (preview_ == nullptr) return std::nullopt;
    return PreviewEntry{preview_->window(), preview_->intervalMs()};
}

int CaptureDevice::startPreview(void* window, int intervalMs, OvVFWNotifyProc notify,
                                std::intptr_t value) {
    if (window == nullptr) return kFailed;
    // A window not on the stack needs a free place; a refused request changes nothing.
    if (findEntry(window) == stack_.end() && stack_.size() >= kMaxPreviews) return kFailed;
    intervalMs = std::clamp(intervalMs, 0, kMaxIntervalMs);
    switch (kind_.load()) {
        case Kind::Grabber:
            return startGrabberPreview(window, intervalMs);
        case Kind::Vfw:
            return startVfwPreview(window, intervalMs, notify, value);
        case Kind::None:
            break;
    }
    return kFailed;
}

int CaptureDevice::freezePreview(void* window) {
    switch (kind_.load()) {
        case Kind::Grabber:
            if (preview_ != nullptr && preview_->window() == window) stopGrabberThread();
            return kOk;
        case Kind::Vfw:
            return libraries_.vfwFreezePreview(window);
        case Kind::None:
            break;
    }
    return kFailed;
}

int CaptureDevice::stopPreview(void* window) {
    switch (kind_.load()) {
        case Kind::Grabber:
            return stopGrabberPreview(window);
        case Kind::Vfw:
            return stopVfwPreview(window);
        case Kind::None:
            break;
    }
    return kOk;
}

void CaptureDevice::stopAllPreviews() {
    if (kind_ == Kind::Grabber) {
        stopGrabberThread();
        if (!stack_.empty()) {
            std::lock_guard lock(grabberLock_);
            libraries_.ovfStopCapture();
        }
    } else if (kind_ == Kind::Vfw) {
        // Bottom first: the live window goes last, so the library restarts none of them.
        for (const PreviewEntry& e : stack_) libraries_.vfwStopPreview(e.window);
    }
    stack_.clear();
}

int CaptureDevice::startGrabberPreview(void* window, int intervalMs) {
    stopGrabberThread();  // the live window freezes
    if (auto it = findEntry(window); it != stack_.end()) stack_.erase(it);
    stack_.push_back({window, intervalMs});
    const int result = runGrabberThread(stack_.back());
    if (result != kOk) {
        stack_.pop_back();
        if (!stack_.empty()) runGrabberThread(stack_.back());
    }
    return result;
}

int CaptureDevice::stopGrabberPreview(void* window) {
    const auto it = findEntry(window);
    if (it == stack_.end()) return kOk;
    if (it + 1 != stack_.end()) {  // a frozen window below the live one
        stack_.erase(it);
        return kOk;
    }
    stopGrabberThread();
    {
        std::lock_guard lock(grabberLock_);
        libraries_.ovfStopCapture();
    }
    stack_.pop_back();
    if (!stack_.empty()) runGrabberThread(stack_.back());
    return kOk;
}

int CaptureDevice::runGrabberThread(const PreviewEntry& entry) {
    stopGrabberThread();
    auto thread = std::make_unique<PreviewThread>(libraries_, grabberLock_, *published_, sink_);
    const int result = thread->start(entry.window, entry.intervalMs);
    if (result == kOk) preview_ = std::move(thread);
    return result;
}

void CaptureDevice::stopGrabberThread() {
    if (preview_ == nullptr) return;
    preview_->stop();
    preview_.reset();
}

int CaptureDevice::startVfwPreview(void* window, int intervalMs, OvVFWNotifyProc notify,
                                   std::intptr_t value) {
    const int result = libraries_.vfwStartPreviewEx(window, static_cast<std::uint16_t>(intervalMs),
                                                    0, 1, notify, value);
    // The library drops the window's old entry either way.
    if (auto it = findEntry(window); it != stack_.end()) stack_.erase(it);
    if (result == kOk) stack_.push_back({window, intervalMs});
    return result;
}

int CaptureDevice::stopVfwPreview(void* window) {
    const int result = libraries_.vfwStopPreview(window);
    if (auto it = findEntry(window); it != stack_.end()) stack_.erase(it);
    return result;
}

}  // namespace capture
