#pragma once
// One run of the frame-grabber preview in a window: a thread that captures a frame into its
// own 64 KiB buffer, hands it to the FrameSink and sleeps the window's interval, until it is
// stopped. The buffer is published (in a PublishedFrame guarded by the device's grabber lock)
// while the run lasts, so that other threads can copy the latest frame instead of capturing.
//
// Thread-safety: start, stop and the destructor from one thread (the user-interface thread).
// Every ovf32 call is made under the grabber lock.

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "capture/capture_device.h"
#include "platform/event.h"

namespace capture {

// The frame of the running preview; guarded by the grabber lock.
struct PublishedFrame {
    const std::uint8_t* frame = nullptr;  // null while no preview runs
    bool valid = false;                   // a capture into it has succeeded
};

class PreviewThread {
  public:
    PreviewThread(CaptureLibraries& libraries, std::recursive_mutex& grabberLock,
                  PublishedFrame& published, const FrameSink& sink);
    ~PreviewThread();  // stop()
    PreviewThread(const PreviewThread&) = delete;
    PreviewThread& operator=(const PreviewThread&) = delete;

    // Publishes a new buffer and calls OvfStartCapture(256); on 0 the capture loop starts.
    // Returns OvfStartCapture's result (the buffer is withdrawn again on failure), or kFailed
    // when a run is already going.
    int start(void* window, int intervalMs);
    // Sets the stop flag (waking the sleep) and waits for the end event. Does nothing when
    // no run is going.
    void stop();

    bool running() const { return thread_.joinable(); }
    void* window() const { return window_; }
    int intervalMs() const { return intervalMs_; }

  private:
    void loop();
    void withdraw();

    CaptureLibraries& libraries_;
    std::recursive_mutex& lock_;
    PublishedFrame& published_;
    const FrameSink& sink_;
    void* window_ = nullptr;
    int intervalMs_ = kDefaultIntervalMs;
    std::unique_ptr<std::uint8_t[]> buffer_;
    platform::ManualEvent stopFlag_;
    platform::ManualEvent ended_;
    std::thread thread_;
};

}  // namespace capture
