#pragma once
// The capture thread: reads frames from an opened source and hands each to the frame
// callback until stopped or until the device is lost.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "capture_source.h"

namespace vfw {

class CaptureStream {
  public:
    using FrameCallback = std::function<void(const Frame&)>;
    using EndCallback = std::function<void()>;  // the device was lost (capture thread)

    // Takes an opened source and starts the thread.
    CaptureStream(std::unique_ptr<CaptureSource> source, FrameCallback onFrame, EndCallback onLost);
    // Stops the thread and waits for it.
    ~CaptureStream();
    CaptureStream(const CaptureStream&) = delete;
    CaptureStream& operator=(const CaptureStream&) = delete;

    bool lost() const { return lost_.load(); }
    const CaptureSource& source() const { return *source_; }

  private:
    void run();

    std::unique_ptr<CaptureSource> source_;
    FrameCallback onFrame_;
    EndCallback onLost_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> lost_{false};
    std::thread thread_;
};

}  // namespace vfw
