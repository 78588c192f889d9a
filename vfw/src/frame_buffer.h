#pragma once
// The frame buffer: the last frame (mirrored left to right) and the capture status, shared
// between the capture thread that stores frames and the callers that convert them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "frame.h"

namespace vfw {

struct CaptureStatus {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t pixelFormat = 0;
    int16_t frameInterval = 0;  // ms, measured over every 10 frames
};

class FrameBuffer {
  public:
    static constexpr size_t kBytes = 640 * 480 * 3;

    FrameBuffer();

    // Stores a frame mirrored left to right and updates the status; false (nothing stored)
    // when the frame does not fit the buffer.
    bool store(const FrameView& frame);

    // Runs fn(const FrameView&) under the lock; false when no frame was ever stored.
    template <typename Fn>
    bool withFrame(Fn&& fn) const {
        std::lock_guard lock(mutex_);
        if (sequence_ == 0) return false;
        fn(FrameView{bytes_.data(), status_.width, status_.height, format_});
        return true;
    }

    CaptureStatus status() const;
    uint64_t sequence() const;

    // Waits until a frame newer than `seen` is stored, the stream is closed or the time is up.
    bool waitNewer(uint64_t seen, std::chrono::milliseconds timeout) const;

    // Tells waiters whether a stream is feeding the buffer.
    void setStreaming(bool on);

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<uint8_t> bytes_;
    CaptureStatus status_;
    PixelFormat format_ = PixelFormat::Grey8;
    uint64_t sequence_ = 0;
    bool streaming_ = false;
    std::chrono::steady_clock::time_point tenthAgo_{};
};

}  // namespace vfw
