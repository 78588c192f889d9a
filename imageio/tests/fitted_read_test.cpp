// The fitted read: source rectangle, scaling by repetition and omission, padding with 63.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

// Source index of each output item: item i of S repeated floor((i+1)D/S) - floor(iD/S)
// times.
std::vector<int> sampled(long S, long D) {
    std::vector<int> out;
    for (long i = 0; i < S; ++i)
        for (long k = (i + 1) * D / S - i * D / S; k > 0; --k) out.push_back(static_cast<int>(i));
    return out;
}

// Expected grey output for a rectangle lying inside the image.
Bytes expected(const Bytes& img, int w, int x, int y, int sw, int sh, int ow, int oh) {
    const auto cols = sampled(sw, ow);
    const auto rows = sampled(sh, oh);
    Bytes out(static_cast<size_t>(ow) * oh);
    for (int r = 0; r < oh; ++r)
        for (int c = 0; c < ow; ++c) out[r * ow + c] = img[(y + rows[r]) * w + x + cols[c]];
    return out;
}

ClipRect clip(int ow, int oh, int x, int y, int sw, int sh) {
    ClipRect c{};
    c.outWidth = static_cast<int16_t>(ow);
    c.outHeight = static_cast<int16_t>(oh);
    c.srcX = static_cast<int16_t>(x);
    c.srcY = static_cast<int16_t>(y);
    c.srcWidth = static_cast<int16_t>(sw);
    c.srcHeight = static_cast<int16_t>(sh);
    return c;
}

std::string writeTiff(const TempDir& dir, const char* name, int w, int h, const Bytes& px) {
    const std::string path = dir.file(name);
    const uint32_t size = w | (h << 16);
    EXPECT_EQ(OvWriteClip(path.c_str(), px.data(), 4, &size), OVIO_OK);
    return path;
}

}  // namespace

TEST(FittedRead, Grey512x512FillsTheFirst255ColumnsAndPadsTheLast) {
    TempDir dir;
    const Bytes img = randomPixels(512 * 512, 30);
    const std::string name = writeTiff(dir, "big.tif", 512, 512, img);
    Bytes out(65280, 0);
    ASSERT_EQ(OvReadImage(name.c_str(), out.data(), 1), OVIO_OK);
    // 512 lines onto 255, source width 514 of which 512 are covered: 255 columns.
    const auto rows = sampled(512, 255);
    const auto cols = sampled(512, 255);
    ASSERT_EQ(rows.size(), 255u);
    for (int r = 0; r < 255; ++r) {
        for (int c = 0; c < 255; ++c) ASSERT_EQ(out[r * 256 + c], img[rows[r] * 512 + cols[c]]);
        ASSERT_EQ(out[r * 256 + 255], 63) << r;
    }
}

TEST(FittedRead, StandardFrameIsCopiedUnchanged) {
    TempDir dir;
    const Bytes img = randomPixels(65280, 31);
    const std::string name = writeTiff(dir, "std.tif", 256, 255, img);
    Bytes out(65280);
    ASSERT_EQ(OvReadImage(name.c_str(), out.data(), 4), OVIO_OK);
    EXPECT_EQ(out, img);
}

TEST(FittedRead, NarrowImageKeepsItsScaleAndIsPaddedRight) {
    TempDir dir;
    const Bytes img = randomPixels(200 * 255, 32);
    const std::string name = writeTiff(dir, "narrow.tif", 200, 255, img);
    Bytes out(65280);
    ASSERT_EQ(OvReadImage(name.c_str(), out.data(), 4), OVIO_OK);
    for (int r = 0; r < 255; ++r) {
        for (int c = 0; c < 200; ++c) ASSERT_EQ(out[r * 256 + c], img[r * 200 + c]);
        for (int c = 200; c < 256; ++c) ASSERT_EQ(out[r * 256 + c], 63);
    }
}

TEST(FittedRead, WideImageIsPaddedBelow) {
    TempDir dir;
    const int w = 300, h = 100;
    const Bytes img = randomPixels(w * h, 33);
    const std::string name = writeTiff(dir, "wide.tif", w, h, img);
    Bytes out(65280);
    ASSERT_EQ(OvReadImage(name.c_str(), out.data(), 4), OVIO_OK);
    // The width is taken whole (300 onto 256); the derived height 300 * 255 / 256 = 298
    // covers 100 lines, giving 255 * 100 / 298 = 85 output lines.
    const Bytes top = expected(img, w, 0, 0, w, h, 256, 85);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 85 * 256), top);
    for (size_t i = 85 * 256; i < out.size(); ++i) ASSERT_EQ(out[i], 63) << i;
}

TEST(FittedRead, PercentagesSelectTheLeftHalf) {
    TempDir dir;
    const int w = 120, h = 90;
    const Bytes img = randomPixels(w * h, 34);
    const std::string name = writeTiff(dir, "half.tif", w, h, img);
    int16_t st;
    const Bytes got = readClip(name, 4, clip(0, 0, 0, 0, -50, -100), &st);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(got, expected(img, w, 0, 0, 60, 90, 256, 255));
    // Position as percentages too: the lower right quarter.
    const Bytes quarter = readClip(name, 4, clip(30, 45, -50, -50, -50, -50), &st);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(quarter, expected(img, w, 60, 45, 60, 45, 30, 45));
}

TEST(FittedRead, DerivedSourceSideFollowsTheOutputShape) {
    TempDir dir;
    const int w = 200, h = 160;
    const Bytes img = randomPixels(w * h, 35);
    const std::string name = writeTiff(dir, "d.tif", w, h, img);
    int16_t st;
    // Width 90 given, height derived: 90 * 40 / 60 = 60.
    EXPECT_EQ(readClip(name, 4, clip(60, 40, 10, 20, 90, 0), &st),
              expected(img, w, 10, 20, 90, 60, 60, 40));
    EXPECT_EQ(st, OVIO_OK);
    // Height 33 given, width derived: 33 * 70 / 50 = 46.
    EXPECT_EQ(readClip(name, 4, clip(70, 50, 5, 7, 0, 33), &st),
              expected(img, w, 5, 7, 46, 33, 70, 50));
}

TEST(FittedRead, RepetitionAndOmissionMatchTheClosedForm) {
    TempDir dir;
    const int w = 97, h = 61;
    const Bytes img = randomPixels(w * h, 36);
    const std::string tif = writeTiff(dir, "m.tif", w, h, img);
    // The same picture as a bottom-up BMP must give the same output.
    const std::string bmp = dir.file("m.bmp");
    const uint32_t size = w | (h << 16);
    ASSERT_EQ(OvWriteClip(bmp.c_str(), img.data(), 5, &size), OVIO_OK);
    const int cases[][6] = {
        {97, 61, 0, 0, 97, 61},  {50, 30, 0, 0, 97, 61}, {200, 150, 0, 0, 97, 61},
        {13, 7, 40, 20, 41, 29}, {64, 64, 3, 5, 17, 11}, {7, 100, 90, 0, 7, 61},
        {255, 3, 0, 58, 97, 3},  {1, 1, 50, 30, 1, 1},   {120, 40, 1, 1, 95, 59},
    };
    for (const auto& c : cases) {
        const Bytes want = expected(img, w, c[2], c[3], c[4], c[5], c[0], c[1]);
        int16_t st;
        EXPECT_EQ(readClip(tif, 4, clip(c[0], c[1], c[2], c[3], c[4], c[5]), &st), want)
            << c[0] << "x" << c[1] << " from " << c[2] << "," << c[3] << " " << c[4] << "x" << c[5];
        EXPECT_EQ(st, OVIO_OK);
        EXPECT_EQ(readClip(bmp, 5, clip(c[0], c[1], c[2], c[3], c[4], c[5]), &st), want)
            << "bmp " << c[0] << "x" << c[1];
        EXPECT_EQ(st, OVIO_OK);
    }
}

TEST(FittedRead, RectanglePastTheImageIsCutAndPadded) {
    TempDir dir;
    const int w = 40, h = 30;
    const Bytes img = randomPixels(w * h, 37);
    const std::string name = writeTiff(dir, "cut.tif", w, h, img);
    int16_t st;
    // 30 wide from x 25: 15 covered -> (60 * 15 + 15) / 30 = 30 columns (rounded);
    // 20 high from y 20: 10 covered -> 40 * 10 / 20 = 20 lines.
    const Bytes got = readClip(name, 4, clip(60, 40, 25, 20, 30, 20), &st);
    ASSERT_EQ(st, OVIO_OK);
    const Bytes inner = expected(img, w, 25, 20, 15, 10, 30, 20);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 60; ++c)
            ASSERT_EQ(got[r * 60 + c], r < 20 && c < 30 ? inner[r * 30 + c] : 63) << r << "," << c;
    // The width rounds: 7 covered of 9 onto 10 columns is (70 + 4) / 9 = 8 columns.
    const Bytes round = readClip(name, 4, clip(10, 1, 33, 0, 9, 1), &st);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(round[7], img[33 + sampled(7, 8)[7]]);
    EXPECT_EQ(round[8], 63);
    // Position beyond the image is clamped to the last pixel and line.
    const Bytes corner = readClip(name, 4, clip(2, 2, 500, 500, 1, 1), &st);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(corner, (Bytes{img[w * h - 1], img[w * h - 1], img[w * h - 1], img[w * h - 1]}));
}

TEST(FittedRead, ColourOutputAndPlainGreyToColour) {
    TempDir dir;
    const int w = 31, h = 17;
    const Bytes img = randomPixels(w * h, 38);
    const std::string name = writeTiff(dir, "gc.tif", w, h, img);
    int16_t st;
    const Bytes rgb = readClip(name, 4 | OVIO_COLOUR, clip(50, 20, 2, 3, 25, 10), &st, 3);
    ASSERT_EQ(st, OVIO_OK);
    const Bytes want = expected(img, w, 2, 3, 25, 10, 50, 20);
    for (size_t i = 0; i < want.size(); ++i)
        for (int k = 0; k < 3; ++k) ASSERT_EQ(rgb[3 * i + k], want[i]);
    // Padding in colour output is 63 in every byte.
    const Bytes padded = readClip(name, 4 | OVIO_COLOUR, clip(64, 64, 0, 0, 62, 34), &st, 3);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(padded[3 * 63], 63);
    EXPECT_EQ(padded[3 * 63 + 2], 63);
    EXPECT_EQ(padded.back(), 63);
}

TEST(FittedRead, MemoryImagesTopDownAndBottomUp) {
    const int w = 21, h = 13, stride = 24;
    const Bytes img = randomPixels(w * h, 39);
    Bytes topDown(stride * h, 0xAB), bottomUp(stride * h, 0xAB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            topDown[y * stride + x] = img[y * w + x];
            bottomUp[(h - 1 - y) * stride + x] = img[y * w + x];
        }
    ImageInfo info{};
    info.width = w;
    info.height = h;
    info.bytesPerLine = stride;
    info.bitsPerPixel = 8;
    info.lineAddress = reinterpret_cast<intptr_t>(topDown.data());
    const ClipRect c = clip(40, 9, 3, 2, 15, 9);
    const Bytes want = expected(img, w, 3, 2, 15, 9, 40, 9);
    Bytes out(40 * 9);
    ASSERT_EQ(OvReadClip(reinterpret_cast<const char*>(&info), out.data(), 0, &c), OVIO_OK);
    EXPECT_EQ(out, want);
    info.bottomUp = 1;
    info.lineAddress = reinterpret_cast<intptr_t>(bottomUp.data());
    ASSERT_EQ(OvReadClip(reinterpret_cast<const char*>(&info), out.data(), 0, &c), OVIO_OK);
    EXPECT_EQ(out, want);
    // The description of a memory image reports no address.
    ImageInfo back{};
    ASSERT_EQ(OvGetImageInfo(reinterpret_cast<const char*>(&info), &back, 0), OVIO_OK);
    EXPECT_EQ(back.width, w);
    EXPECT_EQ(back.bytesPerLine, stride);
    EXPECT_EQ(back.bottomUp, 1);
    EXPECT_EQ(back.lineAddress, 0);
    // A line size shorter than the pixels is inconsistent.
    info.bytesPerLine = 20;
    EXPECT_EQ(OvReadClip(reinterpret_cast<const char*>(&info), out.data(), 0, &c), OVIO_E_CONTENT);
}

TEST(FittedRead, LengthPrefixedFormTakesTheFieldsAsWords) {
    TempDir dir;
    const int w = 50, h = 40;
    const Bytes img = randomPixels(w * h, 40);
    const std::string name = writeTiff(dir, "p.tif", w, h, img);
    const Bytes pname = prefixed(name);
    Bytes out(30 * 20);
    ASSERT_EQ(OvReadClipP(pname.data(), out.data(), 4, 30 | (20 << 16), 4 | (6 << 16),
                          15 | (10 << 16), 0, 0),
              OVIO_OK);
    EXPECT_EQ(out, expected(img, w, 4, 6, 15, 10, 30, 20));
    // Negative fields in the high half: -50 % width from x 0, height 100 %.
    Bytes out2(25 * 40);
    const int32_t size = static_cast<int32_t>((uint32_t(uint16_t(-100)) << 16) | uint16_t(-50));
    ASSERT_EQ(OvReadClipP(pname.data(), out2.data(), 4, 25 | (40 << 16), 0, size, 0, 0), OVIO_OK);
    EXPECT_EQ(out2, expected(img, w, 0, 0, 25, 40, 25, 40));
}

TEST(FittedRead, BadRequestsAndEmptyImages) {
    TempDir dir;
    const Bytes img = randomPixels(100, 41);
    const std::string name = writeTiff(dir, "s.tif", 10, 10, img);
    int16_t st;
    Bytes out(256 * 255, 0x11);
    ClipRect negative = clip(-5, 10, 0, 0, 0, 0);
    EXPECT_EQ(OvReadClip(name.c_str(), out.data(), 4, &negative), OVIO_E_FILE);
    EXPECT_EQ(out[0], 0x11);
    // A source rectangle that comes out empty: 1 % of 10 pixels wide, nothing high.
    readClip(name, 4, clip(10, 1, 0, 0, -1, 0), &st);
    EXPECT_EQ(st, OVIO_E_CONTENT);
    EXPECT_EQ(OvReadClip(name.c_str(), nullptr, 4, nullptr), OVIO_E_FILE);
    // A null request reads the whole image into the standard frame.
    ASSERT_EQ(OvReadClip(name.c_str(), out.data(), 4, nullptr), OVIO_OK);
    EXPECT_EQ(out[0], img[0]);
}
