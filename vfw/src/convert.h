#pragma once
// Pixel conversions of the frame buffer: mirroring, grey frames, stills, preview colour.

#include <cstdint>
#include <vector>

#include "frame.h"

namespace vfw {

// Grey value used for output pixels that lie outside the frame.
inline constexpr uint8_t kOutsideGrey = 192;

// Copies the frame into dst (same format and size) mirrored left to right.
void mirrorFrame(const FrameView& src, uint8_t* dst);

// True when the frame is 8-bit and no byte of it exceeds 63: such frames are shown and
// captured multiplied by 4 and inverted.
bool isLowRange(const FrameView& frame);

// Grey of one pixel: 4-bit high nibble inverted, 8-bit as is (or 255 - 4v for low-range
// frames), RGB555 (r + g + b) * 8 / 3, YUYV the luma, 24-bit the mean of the three bytes.
uint8_t greyAt(const FrameView& frame, bool lowRange, int x, int y);

// width x height grey bytes centred on the frame; pixels outside the frame are 192.
void captureGrey(const FrameView& frame, uint8_t* out, int width, int height);

// A frozen still: 24-bit top-down, grey in all three bytes, width a multiple of 4.
struct Still {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The still for a window of winWidth x winHeight, at the frame's aspect ratio.
Still buildStill(const FrameView& frame, int winWidth, int winHeight);

// The frame in colour, 0xFFRRGGBB per pixel, width * height entries.
void frameToRgb32(const FrameView& frame, uint32_t* out);

}  // namespace vfw
