#include "convert.h"

#include <algorithm>
#include <cstring>

namespace vfw {

namespace {

uint8_t nibbleAt(const uint8_t* row, int x) {
    const uint8_t b = row[x / 2];
    return (x & 1) ? (b & 0x0F) : (b >> 4);
}

void setNibble(uint8_t* row, int x, uint8_t v) {
    uint8_t& b = row[x / 2];
    b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | v)
                : static_cast<uint8_t>((b & 0x0F) | (v << 4));
}

// Grey conversions, one per format; the format is chosen outside the pixel loops.
template <PixelFormat F>
uint8_t grey(const uint8_t* row, int x, bool lowRange) {
    if constexpr (F == PixelFormat::Nibble4) {
        // Both pixels of a byte come from its high four bits, inverted.
        return static_cast<uint8_t>(~row[x / 2] & 0xF0);
    } else if constexpr (F == PixelFormat::Grey8) {
        const uint8_t v = row[x];
        return lowRange ? static_cast<uint8_t>(255 - 4 * v) : v;
    } else if constexpr (F == PixelFormat::Rgb555) {
        const unsigned p = row[2 * x] | (row[2 * x + 1] << 8);
        const unsigned sum = ((p >> 10) & 31) + ((p >> 5) & 31) + (p & 31);
        return static_cast<uint8_t>(sum * 8 / 3);
    } else if constexpr (F == PixelFormat::Yuyv) {
        return row[2 * x];
    } else {
        const uint8_t* p = row + 3 * x;
        return static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
    }
}

template <typename Fn>
void dispatch(PixelFormat f, Fn&& fn) {
    switch (f) {
        case PixelFormat::Nibble4:
            fn.template operator()<PixelFormat::Nibble4>();
            break;
        case PixelFormat::Grey8:
            fn.template operator()<PixelFormat::Grey8>();
            break;
        case PixelFormat::Rgb555:
            fn.template operator()<PixelFormat::Rgb555>();
            break;
        case PixelFormat::Yuyv:
            fn.template operator()<PixelFormat::Yuyv>();
            break;
        case PixelFormat::Rgb24:
            fn.template operator()<PixelFormat::Rgb24>();
            break;
        case PixelFormat::Bgr24:
            fn.template operator()<PixelFormat::Bgr24>();
            break;
    }
}

uint8_t clamp255(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

uint32_t yuvToRgb32(int y, int u, int v) {
    const int c = y - 16, d = u - 128, e = v - 128;
    const int r = (298 * c + 409 * e + 128) >> 8;
    const int g = (298 * c - 100 * d - 208 * e + 128) >> 8;
    const int b = (298 * c + 516 * d + 128) >> 8;
    return 0xFF000000u | (clamp255(r) << 16) | (clamp255(g) << 8) | clamp255(b);
}

uint32_t greyToRgb32(uint8_t g) {
    return 0xFF000000u | (g << 16) | (g << 8) | g;
}

}  // namespace

void mirrorFrame(const FrameView& src, uint8_t* dst) {
    const int w = src.width;
    const size_t stride = src.stride();
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* s = src.data + stride * y;
        uint8_t* d = dst + stride * y;
        switch (src.format) {
            case PixelFormat::Nibble4:
                std::memset(d, 0, stride);
                for (int x = 0; x < w; ++x) setNibble(d, x, nibbleAt(s, w - 1 - x));
                break;
            case PixelFormat::Grey8:
                for (int x = 0; x < w; ++x) d[x] = s[w - 1 - x];
                break;
            case PixelFormat::Rgb555:
                for (int x = 0; x < w; ++x) {
                    d[2 * x] = s[2 * (w - 1 - x)];
                    d[2 * x + 1] = s[2 * (w - 1 - x) + 1];
                }
                break;
            case PixelFormat::Yuyv: {
                // Pairs in reverse order, the two lumas of each pair exchanged.
                const int pairs = w / 2;
                for (int p = 0; p < pairs; ++p) {
                    const uint8_t* sp = s + 4 * (pairs - 1 - p);
                    uint8_t* dp = d + 4 * p;
                    dp[0] = sp[2];
                    dp[1] = sp[1];
                    dp[2] = sp[0];
                    dp[3] = sp[3];
                }
                break;
            }
            case PixelFormat::Rgb24:
            case PixelFormat::Bgr24:
                for (int x = 0; x < w; ++x) std::memcpy(d + 3 * x, s + 3 * (w - 1 - x), 3);
                break;
        }
    }
}

bool isLowRange(const FrameView& frame) {
    if (frame.format != PixelFormat::Grey8) return false;
    const uint8_t* end = frame.data + frame.bytes();
    return std::none_of(frame.data, end, [](uint8_t v) { return v > 63; });
}

uint8_t greyAt(const FrameView& frame, bool lowRange, int x, int y) {
    const uint8_t* row = frame.data + frame.stride() * y;
    uint8_t v = 0;
    dispatch(frame.format, [&]<PixelFormat F>() { v = grey<F>(row, x, lowRange); });
    return v;
}

void captureGrey(const FrameView& frame, uint8_t* out, int width, int height) {
    const int fw = frame.width, fh = frame.height;
    const bool low = isLowRange(frame);
    // Frames are addressed bottom-up: output row j is frame row (height + fh) / 2 - 1 - j
    // counted from the bottom, i.e. fh - (height + fh) / 2 + j from the top.
    const int top = fh - (height + fh) / 2;
    const int left = (fw - width) / 2;
    const size_t stride = frame.stride();
    dispatch(frame.format, [&]<PixelFormat F>() {
        for (int j = 0; j < height; ++j) {
            uint8_t* o = out + static_cast<size_t>(width) * j;
            const int fy = top + j;
            if (fy < 0 || fy >= fh) {
                std::memset(o, kOutsideGrey, static_cast<size_t>(width));
                continue;
            }
            const uint8_t* row = frame.data + stride * fy;
            const int x0 = std::clamp(-left, 0, width);
            const int x1 = std::clamp(fw - left, x0, width);
            std::memset(o, kOutsideGrey, static_cast<size_t>(x0));
            for (int i = x0; i < x1; ++i) o[i] = grey<F>(row, left + i, low);
            std::memset(o + x1, kOutsideGrey, static_cast<size_t>(width - x1));
        }
    });
}

Still buildStill(const FrameView& frame, int winWidth, int winHeight) {
    Still still;
    if (frame.width <= 0 || frame.height <= 0 || winWidth <= 0 || winHeight <= 0) return still;
    int64_t w = winWidth, h = winHeight;
    if (w * frame.height <= h * frame.width) {
        h = w * frame.height / frame.width;
    } else {
        w = h * frame.width / frame.height;
    }
    w &= ~int64_t{3};
    if (w <= 0 || h <= 0) return still;
    still.width = static_cast<int>(w);
    still.height = static_cast<int>(h);
    still.rgb.resize(static_cast<size_t>(w * h * 3));
    const bool low = isLowRange(frame);
    const size_t stride = frame.stride();
    dispatch(frame.format, [&]<PixelFormat F>() {
        uint8_t* o = still.rgb.data();
        for (int y = 0; y < still.height; ++y) {
            const uint8_t* row = frame.data + stride * (y * int64_t{frame.height} / h);
            for (int x = 0; x < still.width; ++x) {
                const uint8_t g = grey<F>(row, static_cast<int>(x * int64_t{frame.width} / w), low);
                o[0] = o[1] = o[2] = g;
                o += 3;
            }
        }
    });
    return still;
}

void frameToRgb32(const FrameView& frame, uint32_t* out) {
    const size_t stride = frame.stride();
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t* s = frame.data + stride * y;
        uint32_t* o = out + static_cast<size_t>(frame.width) * y;
        switch (frame.format) {
            case PixelFormat::Nibble4:
                for (int x = 0; x < frame.width; ++x) o[x] = greyToRgb32(nibbleAt(s, x) * 17);
                break;
            case PixelFormat::Grey8:
                for (int x = 0; x < frame.width; ++x) o[x] = greyToRgb32(s[x]);
                break;
            case PixelFormat::Rgb555:
                for (int x = 0; x < frame.width; ++x) {
                    const unsigned p = s[2 * x] | (s[2 * x + 1] << 8);
                    const unsigned r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
                    o[x] = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) |
                           (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
                }
                break;
            case PixelFormat::Yuyv:
                for (int x = 0; x < frame.width; ++x) {
                    const uint8_t* pair = s + 4 * (x / 2);
                    o[x] = yuvToRgb32(s[2 * x], pair[1], pair[3]);
                }
                break;
            case PixelFormat::Rgb24:
                for (int x = 0; x < frame.width; ++x) {
                    const uint8_t* p = s + 3 * x;
                    o[x] = 0xFF000000u | (p[0] << 16) | (p[1] << 8) | p[2];
                }
                break;
            case PixelFormat::Bgr24:
                for (int x = 0; x < frame.width; ++x) {
                    const uint8_t* p = s + 3 * x;
                    o[x] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
                }
                break;
        }
    }
}

}  // namespace vfw
