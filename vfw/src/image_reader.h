#pragma once
// How the image folder camera reads its files.

#include <memory>
#include <optional>
#include <string>

#include "frame.h"

namespace vfw {

inline constexpr int kMaxFrameWidth = 640;
inline constexpr int kMaxFrameHeight = 480;
// Images larger than 640 x 480 are fitted into this size.
inline constexpr int kFittedWidth = 320;
inline constexpr int kFittedHeight = 240;

class ImageReader {
  public:
    virtual ~ImageReader() = default;
    // The image as a grey or RGB frame of at most 640 x 480; nothing when unreadable.
    virtual std::optional<Frame> read(const std::string& path) = 0;
};

// Reads through the image file library when it can be loaded, else raw 320 x 240 ".PIC"
// frames (76 800 bytes grey, 230 400 bytes RGB).
std::shared_ptr<ImageReader> defaultImageReader();

std::shared_ptr<ImageReader> rawPicReader();

}  // namespace vfw
