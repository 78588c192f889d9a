#include "frame.h"

namespace vfw {

int bitsPerPixel(PixelFormat f) {
    switch (f) {
        case PixelFormat::Nibble4:
            return 4;
        case PixelFormat::Grey8:
            return 8;
        case PixelFormat::Rgb555:
        case PixelFormat::Yuyv:
            return 16;
        case PixelFormat::Rgb24:
        case PixelFormat::Bgr24:
            return 24;
    }
    return 8;
}

int32_t pixelFormatCode(int bits) {
    if (bits <= 4) return 0;
    if (bits <= 8) return 1;
    if (bits <= 16) return 2;
    return 3;
}

size_t rowBytes(PixelFormat f, int width) {
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    return (w * static_cast<size_t>(bitsPerPixel(f)) + 7) / 8;
}

}  // namespace vfw
