#include "capture/preview_thread.h"

namespace capture {

PreviewThread::PreviewThread(CaptureLibraries& libraries, std::recursive_mutex& grabberLock,
                             PublishedFrame& published, const FrameSink& sink)
    : libraries_(libraries), lock_(grabberLock), published_(published), sink_(sink) {}

PreviewThread::~PreviewThread() {
    stop();
}

int PreviewThread::start(void* window, int intervalMs) {
    if (running()) return kFailed;
    window_ = window;
    intervalMs_ = intervalMs;
    buffer_ = std::make_unique<std::uint8_t[]>(kFrameBlock);
    stopFlag_.reset();
    ended_.reset();
    {
        std::lock_guard lock(lock_);
        published_ = PublishedFrame{buffer_.get(), false};
        const int result = libraries_.ovfStartCapture(kGrabberChannel);
        if (result != kOk) {
            withdraw();
            return result;
        }
    }
    thread_ = std::thread([this] { loop(); });
    return kOk;
}

void PreviewThread::stop() {
    if (!running()) return;
    stopFlag_.set();
    ended_.wait();
    thread_.join();
}

void PreviewThread::loop() {
    std::uint8_t* frame = buffer_.get();
    while (!stopFlag_.isSet()) {
        int result;
        {
            std::lock_guard lock(lock_);
            result = libraries_.ovfCaptureFrame(kGrabberChannel, frame, 0);
            if (result == kOk) published_.valid = true;
        }
        // Only this thread writes the buffer: the sink reads it without the lock.
        if (result == kOk && sink_) sink_(window_, frame);
        stopFlag_.waitFor(std::chrono::milliseconds(intervalMs_));
    }
    withdraw();
    ended_.set();
}

void PreviewThread::withdraw() {
    {
        std::lock_guard lock(lock_);
        published_ = PublishedFrame{};
    }
    buffer_.reset();
}

}  // namespace capture
