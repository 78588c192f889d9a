// Pixel conversions against hand-computed bytes.

#include "convert.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vfw;

namespace {

Frame makeFrame(int w, int h, PixelFormat f, std::vector<uint8_t> bytes) {
    Frame fr;
    fr.resize(w, h, f);
    EXPECT_EQ(fr.data.size(), bytes.size());
    fr.data = std::move(bytes);
    return fr;
}

std::vector<uint8_t> mirrored(const Frame& f) {
    std::vector<uint8_t> out(f.data.size(), 0xAA);
    mirrorFrame(f.view(), out.data());
    return out;
}

}  // namespace

TEST(PixelConversion, GreyOfEachFormat) {
    // 8-bit as it is, when some byte exceeds 63.
    const Frame g8 = makeFrame(2, 1, PixelFormat::Grey8, {64, 10});
    ASSERT_FALSE(isLowRange(g8.view()));
    EXPECT_EQ(greyAt(g8.view(), false, 0, 0), 64);
    EXPECT_EQ(greyAt(g8.view(), false, 1, 0), 10);

    // 8-bit low-range frames: times four, inverted.
    const Frame low = makeFrame(3, 1, PixelFormat::Grey8, {0, 10, 63});
    ASSERT_TRUE(isLowRange(low.view()));
    EXPECT_EQ(greyAt(low.view(), true, 0, 0), 255);
    EXPECT_EQ(greyAt(low.view(), true, 1, 0), 215);
    EXPECT_EQ(greyAt(low.view(), true, 2, 0), 3);

    // RGB555: (r + g + b) * 8 / 3. 0x7FFF: 93 * 8 / 3 = 248; r=1,g=2,b=4: 7 * 8 / 3 = 18.
    const uint16_t mixed = (1 << 10) | (2 << 5) | 4;
    const Frame c16 = makeFrame(
        2, 1, PixelFormat::Rgb555,
        {0xFF, 0x7F, static_cast<uint8_t>(mixed & 0xFF), static_cast<uint8_t>(mixed >> 8)});
    EXPECT_EQ(greyAt(c16.view(), false, 0, 0), 248);
    EXPECT_EQ(greyAt(c16.view(), false, 1, 0), 18);

    // YUYV: the luma of each pixel, whatever the chroma.
    const Frame yuyv = makeFrame(2, 1, PixelFormat::Yuyv, {100, 7, 200, 250});
    EXPECT_EQ(greyAt(yuyv.view(), false, 0, 0), 100);
    EXPECT_EQ(greyAt(yuyv.view(), false, 1, 0), 200);

    // 24-bit: the mean of the three bytes, truncated (either byte order).
    const Frame rgb = makeFrame(2, 1, PixelFormat::Rgb24, {10, 20, 31, 255, 255, 254});
    EXPECT_EQ(greyAt(rgb.view(), false, 0, 0), 20);
    EXPECT_EQ(greyAt(rgb.view(), false, 1, 0), 254);
    const Frame bgr = makeFrame(1, 1, PixelFormat::Bgr24, {1, 1, 2});
    EXPECT_EQ(greyAt(bgr.view(), false, 0, 0), 1);

    // 4-bit: both pixels of a byte from its inverted high nibble.
    const Frame n4 = makeFrame(2, 1, PixelFormat::Nibble4, {0x3C});
    EXPECT_EQ(greyAt(n4.view(), false, 0, 0), 0xC0);
    EXPECT_EQ(greyAt(n4.view(), false, 1, 0), 0xC0);
}

TEST(PixelConversion, MirrorReversesEachRowInEveryFormat) {
    EXPECT_EQ(mirrored(makeFrame(3, 2, PixelFormat::Grey8, {1, 2, 3, 4, 5, 6})),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(mirrored(makeFrame(2, 1, PixelFormat::Rgb555, {1, 2, 3, 4})),
              (std::vector<uint8_t>{3, 4, 1, 2}));
    EXPECT_EQ(mirrored(makeFrame(2, 1, PixelFormat::Rgb24, {1, 2, 3, 4, 5, 6})),
              (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
    // YUYV: pairs reversed and the lumas of a pair exchanged, chroma kept with its pair.
    EXPECT_EQ(mirrored(makeFrame(4, 1, PixelFormat::Yuyv, {10, 1, 20, 2, 30, 3, 40, 4})),
              (std::vector<uint8_t>{40, 3, 30, 4, 20, 1, 10, 2}));
    EXPECT_EQ(mirrored(makeFrame(3, 1, PixelFormat::Nibble4, {0x12, 0x30})),
              (std::vector<uint8_t>{0x32, 0x10}));
}

TEST(PixelConversion, CaptureCentresOnTheFrameWith192Outside) {
    // 4 x 2 frame into 6 x 4: rows from frame row 2 - (4 + 2) / 2 + j = j - 1, columns
    // from (4 - 6) / 2 + i = i - 1.
    const Frame f = makeFrame(4, 2, PixelFormat::Grey8, {100, 101, 102, 103, 110, 111, 112, 113});
    std::vector<uint8_t> out(24, 0);
    captureGrey(f.view(), out.data(), 6, 4);
    const std::vector<uint8_t> expected = {192, 192, 192, 192, 192, 192,  //
                                           192, 100, 101, 102, 103, 192,  //
                                           192, 110, 111, 112, 113, 192,  //
                                           192, 192, 192, 192, 192, 192};
    EXPECT_EQ(out, expected);

    // Smaller output: the centre of the frame (8 x 4 frame, 2 x 2 out: rows 1..2, cols 3..4).
    std::vector<uint8_t> big(32);
    for (int i = 0; i < 32; ++i) big[i] = static_cast<uint8_t>(64 + i);
    const Frame f2 = makeFrame(8, 4, PixelFormat::Grey8, big);
    std::vector<uint8_t> small(4);
    captureGrey(f2.view(), small.data(), 2, 2);
    EXPECT_EQ(small, (std::vector<uint8_t>{64 + 11, 64 + 12, 64 + 19, 64 + 20}));
}

TEST(PixelConversion, CaptureOfLowRangeAndColourFrames) {
    const Frame low = makeFrame(2, 1, PixelFormat::Grey8, {0, 63});
    uint8_t out[2];
    captureGrey(low.view(), out, 2, 1);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 3);
    const Frame rgb = makeFrame(1, 1, PixelFormat::Rgb24, {90, 60, 31});
    captureGrey(rgb.view(), out, 1, 1);
    EXPECT_EQ(out[0], 60);
}

TEST(PixelConversion, StillFitsTheWindowAtTheFrameAspect) {
    std::vector<uint8_t> bytes(8 * 4);
    for (int i = 0; i < 32; ++i) bytes[i] = static_cast<uint8_t>(100 + i);
    const Frame f = makeFrame(8, 4, PixelFormat::Grey8, bytes);

    // Window 10 x 10: width-limited 10 x 5, width rounded down to 8.
    Still s = buildStill(f.view(), 10, 10);
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.height, 5);
    ASSERT_EQ(s.rgb.size(), 8u * 5 * 3);
    // Pixel (x, y) samples frame (x * 8 / 8, y * 4 / 5); grey in all three bytes.
    EXPECT_EQ(s.rgb[0], 100);
    const size_t p = (4 * 8 + 7) * 3;  // still (7, 4) <- frame (7, 3)
    EXPECT_EQ(s.rgb[p], 100 + 3 * 8 + 7);
    EXPECT_EQ(s.rgb[p + 1], s.rgb[p]);
    EXPECT_EQ(s.rgb[p + 2], s.rgb[p]);

    // Window 100 x 4: height-limited 8 x 4.
    s = buildStill(f.view(), 100, 4);
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.height, 4);

    // A window too narrow for four pixels gives no still.
    EXPECT_EQ(buildStill(f.view(), 3, 3).width, 0);
}

TEST(PixelConversion, PreviewColours) {
    const Frame yuyv = makeFrame(2, 1, PixelFormat::Yuyv, {235, 128, 16, 128});
    uint32_t out[2];
    frameToRgb32(yuyv.view(), out);
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0xFF000000u);
    const Frame bgr = makeFrame(1, 1, PixelFormat::Bgr24, {1, 2, 3});
    frameToRgb32(bgr.view(), out);
    EXPECT_EQ(out[0], 0xFF030201u);
    const Frame c16 = makeFrame(1, 1, PixelFormat::Rgb555, {0x00, 0x7C});  // pure red
    frameToRgb32(c16.view(), out);
    EXPECT_EQ(out[0], 0xFFFF0000u);
}
