#include "frame_buffer.h"

#include <algorithm>

#include "convert.h"

namespace vfw {

FrameBuffer::FrameBuffer() : bytes_(kBytes, 0) {}

bool FrameBuffer::store(const FrameView& frame) {
    if (frame.width <= 0 || frame.height <= 0 || frame.bytes() > kBytes) return false;
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(mutex_);
        mirrorFrame(frame, bytes_.data());
        format_ = frame.format;
        status_.width = frame.width;
        status_.height = frame.height;
        status_.bitsPerPixel = static_cast<int32_t>(
            frame.bytes() * 8 / (static_cast<size_t>(frame.width) * frame.height));
        status_.pixelFormat = pixelFormatCode(status_.bitsPerPixel);
        ++sequence_;
        if (sequence_ % 10 == 1) {
            if (sequence_ > 1) {
                const auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - tenthAgo_).count();
                status_.frameInterval = static_cast<int16_t>(std::min<int64_t>(ms / 10, 32767));
            }
            tenthAgo_ = now;
        }
    }
    changed_.notify_all();
    return true;
}

CaptureStatus FrameBuffer::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

uint64_t FrameBuffer::sequence() const {
    std::lock_guard lock(mutex_);
    return sequence_;
}

bool FrameBuffer::waitNewer(uint64_t seen, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return sequence_ > seen || !streaming_; });
    return sequence_ > seen;
}

void FrameBuffer::setStreaming(bool on) {
    {
        std::lock_guard lock(mutex_);
        streaming_ = on;
    }
    changed_.notify_all();
}

}  // namespace vfw
