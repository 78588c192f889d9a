#pragma once
// A video frame as a capture source delivers it: packed rows from top to bottom.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vfw {

enum class PixelFormat : uint8_t {
    Nibble4,  // 4 bits a pixel, two pixels a byte (high nibble first)
    Grey8,
    Rgb555,  // 16 bits little-endian: x rrrrr ggggg bbbbb
    Yuyv,    // 16 bits a pixel: Y0 U Y1 V for each pair
    Rgb24,
    Bgr24,
};

int bitsPerPixel(PixelFormat f);

// 0 for 4 bits, 1 for 8, 2 for 16, 3 for 24 bits a pixel.
int32_t pixelFormatCode(int bits);

// Bytes of one packed row.
size_t rowBytes(PixelFormat f, int width);

struct FrameView {
    const uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    PixelFormat format = PixelFormat::Grey8;

    size_t stride() const { return rowBytes(format, width); }
    size_t bytes() const { return stride() * static_cast<size_t>(height); }
};

struct Frame {
    int width = 0;
    int height = 0;
    PixelFormat format = PixelFormat::Grey8;
    std::vector<uint8_t> data;  // rowBytes(format, width) * height bytes

    void resize(int w, int h, PixelFormat f) {
        width = w;
        height = h;
        format = f;
        data.resize(rowBytes(f, w) * static_cast<size_t>(h));
    }
    FrameView view() const { return {data.data(), width, height, format}; }
};

}  // namespace vfw
