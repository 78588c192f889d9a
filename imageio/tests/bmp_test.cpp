// BMP as written and as read.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

// An 8-bit BMP with the given palette (R, G, B triples), bottom-up lines.
Bytes paletteBmp(int w, int h, const Bytes& rgbPalette, const Bytes& topDownIndexes,
                 uint32_t coloursUsed) {
    const size_t entries = rgbPalette.size() / 3;
    const size_t line = (w + 3) & ~3;
    const uint32_t dataOffset = static_cast<uint32_t>(54 + 4 * entries);
    Bytes b(dataOffset + line * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, dataOffset);
    put32(b, 14, 40);
    put32(b, 18, w);
    put32(b, 22, h);
    put16(b, 26, 1);
    put16(b, 28, 8);
    put32(b, 46, coloursUsed);
    for (size_t i = 0; i < entries; ++i) {
        b[54 + 4 * i] = rgbPalette[3 * i + 2];
        b[54 + 4 * i + 1] = rgbPalette[3 * i + 1];
        b[54 + 4 * i + 2] = rgbPalette[3 * i];
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b[dataOffset + (h - 1 - y) * line + x] = topDownIndexes[y * w + x];
    return b;
}

}  // namespace

TEST(BmpWrite, GreyFrameLayout) {
    TempDir dir;
    const Bytes frame = randomPixels(65280, 20);
    const std::string name = dir.file("g.bmp");
    ASSERT_EQ(OvWriteImage(name.c_str(), frame.data(), 5), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 1078u + 65280u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(get32(f, 2), f.size());
    EXPECT_EQ(get32(f, 10), 1078u);
    EXPECT_EQ(get32(f, 14), 40u);
    EXPECT_EQ(get32(f, 18), 256u);
    EXPECT_EQ(get32(f, 22), 255u);
    EXPECT_EQ(get16(f, 26), 1u);
    EXPECT_EQ(get16(f, 28), 8u);
    EXPECT_EQ(get32(f, 30), 0u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(f[54 + 4 * i], i);
        EXPECT_EQ(f[54 + 4 * i + 2], i);
        EXPECT_EQ(f[54 + 4 * i + 3], 0);
    }
    // The first stored line is the bottom line.
    EXPECT_EQ(Bytes(f.begin() + 1078, f.begin() + 1078 + 256),
              Bytes(frame.end() - 256, frame.end()));
    Bytes back(65280);
    ASSERT_EQ(OvReadImage(name.c_str(), back.data(), 1), OVIO_OK);
    EXPECT_EQ(back, frame);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 5), OVIO_OK);
    EXPECT_EQ(info.bottomUp, 1);
    EXPECT_EQ(info.bgrOrder, 0);
    EXPECT_EQ(info.bitsPerPixel, 8);
    EXPECT_EQ(info.bytesPerLine, 256);
}

TEST(BmpWrite, LinesArePaddedTo252ForWidth250) {
    TempDir dir;
    const int w = 250, h = 3;
    const Bytes px = randomPixels(w * h, 21);
    const uint32_t size = w | (h << 16);
    const std::string name = dir.file("p.bmp");
    ASSERT_EQ(OvWriteClip(name.c_str(), px.data(), 5, &size), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 1078u + 252u * h);
    for (int line = 0; line < h; ++line) {
        EXPECT_EQ(f[1078 + line * 252 + 250], 0);
        EXPECT_EQ(f[1078 + line * 252 + 251], 0);
        EXPECT_EQ(f[1078 + line * 252], px[(h - 1 - line) * w]);
    }
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 1), OVIO_OK);
    EXPECT_EQ(info.bytesPerLine, 252);
    int16_t st;
    EXPECT_EQ(readClip(name, 5, exactClip(w, h), &st), px);
    EXPECT_EQ(st, OVIO_OK);
}

TEST(BmpWrite, ColourIsStoredBgrAndReadBackRgb) {
    TempDir dir;
    const int w = 5, h = 3;  // 15 bytes a line, padded to 16
    const Bytes rgb = randomPixels(w * h * 3, 22);
    const uint32_t size = w | (h << 16);
    const std::string name = dir.file("c.bmp");
    ASSERT_EQ(OvWriteClip(name.c_str(), rgb.data(), 5 | OVIO_COLOUR, &size), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 54u + 16u * h);
    EXPECT_EQ(get32(f, 10), 54u);
    EXPECT_EQ(get16(f, 28), 24u);
    // Bottom line, first pixel, stored B, G, R.
    const size_t last = (h - 1) * w * 3;
    EXPECT_EQ(f[54], rgb[last + 2]);
    EXPECT_EQ(f[55], rgb[last + 1]);
    EXPECT_EQ(f[56], rgb[last]);
    EXPECT_EQ(f[54 + 15], 0);
    int16_t st;
    EXPECT_EQ(readClip(name, 5 | OVIO_COLOUR, exactClip(w, h), &st, 3), rgb);
    EXPECT_EQ(st, OVIO_OK);
    const Bytes grey = readClip(name, 5, exactClip(w, h), &st);
    for (int i = 0; i < w * h; ++i)
        EXPECT_EQ(grey[i], (rgb[3 * i] + rgb[3 * i + 1] + rgb[3 * i + 2]) / 3);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 5), OVIO_OK);
    EXPECT_EQ(info.bgrOrder, 1);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.bytesPerLine, 16);
}

TEST(BmpRead, GreyRampPaletteIsNotConvertedColourPaletteIs) {
    TempDir dir;
    const int w = 6, h = 4;
    const Bytes idx = randomPixels(w * h, 23);
    Bytes ramp(768);
    for (int i = 0; i < 256; ++i) ramp[3 * i] = ramp[3 * i + 1] = ramp[3 * i + 2] = i;
    writeFile(dir.file("ramp.bmp"), paletteBmp(w, h, ramp, idx, 0));
    int16_t st;
    EXPECT_EQ(readClip(dir.file("ramp.bmp"), 5, exactClip(w, h), &st), idx);
    EXPECT_EQ(st, OVIO_OK);

    Bytes colours(768);
    for (int i = 0; i < 256; ++i) {
        colours[3 * i] = 255 - i;
        colours[3 * i + 1] = i / 2;
        colours[3 * i + 2] = 200;
    }
    writeFile(dir.file("pal.bmp"), paletteBmp(w, h, colours, idx, 256));
    const Bytes rgb = readClip(dir.file("pal.bmp"), 5 | OVIO_COLOUR, exactClip(w, h), &st, 3);
    ASSERT_EQ(st, OVIO_OK);
    const Bytes grey = readClip(dir.file("pal.bmp"), 5, exactClip(w, h), &st);
    for (int i = 0; i < w * h; ++i) {
        const int k = idx[i];
        EXPECT_EQ(rgb[3 * i], 255 - k);
        EXPECT_EQ(rgb[3 * i + 1], k / 2);
        EXPECT_EQ(rgb[3 * i + 2], 200);
        EXPECT_EQ(grey[i], (255 - k + k / 2 + 200) / 3);
    }

    // A short palette (colours-used 4): indexes beyond it keep their grey value.
    const Bytes few = {0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    const Bytes small = {0, 1, 2, 3, 200, 201};
    writeFile(dir.file("few.bmp"), paletteBmp(6, 1, few, small, 4));
    const Bytes fewGrey = readClip(dir.file("few.bmp"), 5, exactClip(6, 1), &st);
    ASSERT_EQ(st, OVIO_OK);
    EXPECT_EQ(fewGrey, (Bytes{85, 20, 50, 80, 200, 201}));
}

TEST(BmpRead, RefusedHeaders) {
    TempDir dir;
    const Bytes idx(16, 3);
    Bytes ramp(768);
    const Bytes good = paletteBmp(4, 4, ramp, idx, 0);
    Bytes frame(65280);
    auto status = [&](const Bytes& f) {
        writeFile(dir.file("b.bmp"), f);
        return OvReadImage(dir.file("b.bmp").c_str(), frame.data(), 5);
    };
    ASSERT_EQ(status(good), OVIO_OK);
    Bytes sig = good;
    sig[1] = 'A';
    EXPECT_EQ(status(sig), OVIO_E_CONTENT);
    Bytes v4 = good;
    put32(v4, 14, 108);
    EXPECT_EQ(status(v4), OVIO_E_CONTENT);
    Bytes four = good;
    put16(four, 28, 4);
    EXPECT_EQ(status(four), OVIO_E_CONTENT);
    Bytes thirtyTwo = good;  // 32-bit pixels are described but not read
    put16(thirtyTwo, 28, 32);
    ImageInfo info{};
    writeFile(dir.file("b.bmp"), thirtyTwo);
    ASSERT_EQ(OvGetImageInfo(dir.file("b.bmp").c_str(), &info, 5), OVIO_OK);
    EXPECT_EQ(info.bitsPerPixel, 32);
    EXPECT_EQ(status(thirtyTwo), OVIO_E_CONTENT);
    EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 53)), OVIO_E_FILE);  // header cut short
}
