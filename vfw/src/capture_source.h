#pragma once
// A capture back-end: one opened device delivering frames.

#include <atomic>
#include <memory>
#include <string>

#include "frame.h"

namespace vfw {

// Timeout: no frame within two seconds (the device may still deliver later).
enum class ReadResult { Frame, Stopped, Gone, Timeout };

class CaptureSource {
  public:
    virtual ~CaptureSource() = default;
    // Opens the device and starts it; false when it cannot deliver frames.
    virtual bool open() = 0;
    // Blocks until the next frame (Frame), the stop flag (Stopped) or a lost device (Gone).
    virtual ReadResult next(Frame& out, const std::atomic<bool>& stop) = 0;
    // Frame pacing of sources that have no clock of their own.
    virtual void setInterval(int /*ms*/) {}
    virtual bool canOverlay() const { return false; }
    // Frame size as opened (0 before open).
    virtual int width() const = 0;
    virtual int height() const = 0;
};

}  // namespace vfw
