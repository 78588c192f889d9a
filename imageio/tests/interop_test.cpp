// Files exchanged with tools written elsewhere: libtiff's tiffinfo and ImageMagick's
// convert. Skipped only where a tool is missing (scripts/setup installs both).
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

#define REQUIRE_TOOL(name)                                                   \
    if (!haveTool(name))                                                     \
    GTEST_SKIP() << "'" name                                                 \
                    "' is not installed (Debian packages libtiff-tools and " \
                    "imagemagick; scripts/setup installs them)"

// A picture with smooth areas and noise, more telling than either alone.
Bytes picture(int w, int h, int channels, uint32_t seed) {
    Bytes noise = randomPixels(size_t(w) * h * channels, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                uint8_t& v = noise[(size_t(y) * w + x) * channels + c];
                if ((x / 8 + y / 8) % 2) v = static_cast<uint8_t>((x * 3 + y * 5 + c * 70) & 0xFF);
            }
    return noise;
}

void expectConvertsTo(const std::string& file, const std::string& pnm, int w, int h, int channels,
                      const Bytes& pixels) {
    std::string out;
    ASSERT_EQ(runCommand("convert '" + file + "' -depth 8 '" + pnm + "'", &out), 0) << out;
    EXPECT_EQ(out.find("arning"), std::string::npos) << out;
    Netpbm p;
    ASSERT_TRUE(readNetpbm(pnm, p)) << pnm;
    EXPECT_EQ(p.width, w);
    EXPECT_EQ(p.height, h);
    EXPECT_EQ(p.channels, channels);
    EXPECT_TRUE(p.pixels == pixels) << file << ": pixels differ";
}

void expectTiffinfoClean(const std::string& file) {
    std::string out;
    ASSERT_EQ(runCommand("tiffinfo -D '" + file + "'", &out), 0) << out;
    EXPECT_EQ(out.find("arning"), std::string::npos) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    EXPECT_NE(out.find("TIFF Directory"), std::string::npos) << out;
}

// The pixels ImageMagick itself decodes from a file it wrote.
Bytes decodedByConvert(const std::string& file, const std::string& pnm, int channels) {
    std::string out;
    EXPECT_EQ(runCommand("convert '" + file + "' -depth 8 '" + pnm + "'", &out), 0) << out;
    Netpbm p;
    EXPECT_TRUE(readNetpbm(pnm, p)) << out;
    EXPECT_EQ(p.channels, channels);
    return p.pixels;
}

}  // namespace

TEST(Interop, TiffWeWriteIsCleanForLibtiffAndConvertsToTheSamePixels) {
    REQUIRE_TOOL("tiffinfo");
    REQUIRE_TOOL("convert");
    TempDir dir;
    struct Case {
        int w, h, channels;
    };
    for (const Case c : {Case{256, 255, 1}, Case{250, 3, 1}, Case{37, 21, 3}, Case{512, 512, 1}}) {
        const Bytes px = picture(c.w, c.h, c.channels, 70 + c.w);
        const std::string name = dir.file("ours" + std::to_string(c.w) + ".tif");
        const uint32_t size = c.w | (c.h << 16);
        ASSERT_EQ(
            OvWriteClip(name.c_str(), px.data(), 4 | (c.channels == 3 ? OVIO_COLOUR : 0), &size),
            OVIO_OK);
        expectTiffinfoClean(name);
        expectConvertsTo(name, dir.file(c.channels == 3 ? "o.ppm" : "o.pgm"), c.w, c.h, c.channels,
                         px);
    }
    // A clip that grew by appending is still a clean file.
    const std::string clip = dir.file("clip.tif");
    const Bytes a = picture(64, 20, 1, 80), b = picture(64, 9, 1, 81);
    const uint32_t sa = 64 | (20 << 16), sb = 64 | (9 << 16);
    ASSERT_EQ(OvWriteClip(clip.c_str(), a.data(), 4, &sa), OVIO_OK);
    ASSERT_EQ(OvAppendClip(clip.c_str(), b.data(), 4, &sb), OVIO_OK);
    expectTiffinfoClean(clip);
    Bytes ab = a;
    ab.insert(ab.end(), b.begin(), b.end());
    expectConvertsTo(clip, dir.file("clip.pgm"), 64, 29, 1, ab);
}

TEST(Interop, BmpWeWriteConvertsToTheSamePixels) {
    REQUIRE_TOOL("convert");
    TempDir dir;
    struct Case {
        int w, h, channels;
    };
    for (const Case c : {Case{256, 255, 1}, Case{250, 7, 1}, Case{33, 19, 3}, Case{4, 4, 3}}) {
        const Bytes px = picture(c.w, c.h, c.channels, 90 + c.w);
        const std::string name = dir.file("ours" + std::to_string(c.w) + ".bmp");
        const uint32_t size = c.w | (c.h << 16);
        ASSERT_EQ(
            OvWriteClip(name.c_str(), px.data(), 5 | (c.channels == 3 ? OVIO_COLOUR : 0), &size),
            OVIO_OK);
        if (c.channels == 1) {
            expectConvertsTo(name, dir.file("o.pgm"), c.w, c.h, 1, px);
        } else {
            expectConvertsTo(name, dir.file("o.ppm"), c.w, c.h, 3, px);
        }
    }
}

TEST(Interop, TiffWrittenByImageMagickReadsPixelExactly) {
    REQUIRE_TOOL("convert");
    TempDir dir;
    const int w = 61, h = 47;
    const Bytes grey = picture(w, h, 1, 100);
    const Bytes rgb = picture(w, h, 3, 101);
    writeNetpbm(dir.file("g.pgm"), w, h, 1, grey);
    writeNetpbm(dir.file("c.ppm"), w, h, 3, rgb);
    // A colour picture of few colours for the palette file.
    Bytes few(size_t(w) * h * 3);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const int k = grey[i] % 40;  // more than 16 colours: an 8-bit palette
        few[3 * i] = static_cast<uint8_t>(k * 6);
        few[3 * i + 1] = static_cast<uint8_t>(255 - k * 4);
        few[3 * i + 2] = static_cast<uint8_t>(k * k % 256);
    }
    writeNetpbm(dir.file("p.ppm"), w, h, 3, few);
    const std::string common = " -alpha off -depth 8 -compress none -endian LSB ";
    struct Case {
        const char* in;
        const char* options;
        const char* out;
        bool colour;
        const Bytes* want;
    };
    const Case cases[] = {
        {"g.pgm", "-type Grayscale", "g1.tif", false, &grey},
        {"g.pgm", "-type Grayscale -define tiff:rows-per-strip=5", "g5.tif", false, &grey},
        {"c.ppm", "-type TrueColor", "c1.tif", true, &rgb},
        {"c.ppm", "-type TrueColor -define tiff:rows-per-strip=4", "c4.tif", true, &rgb},
        {"p.ppm", "-type Palette", "p.tif", true, &few},
        {"p.ppm", "-type Palette -define tiff:rows-per-strip=3", "p3.tif", true, &few},
    };
    for (const Case& c : cases) {
        std::string out;
        const std::string file = dir.file(c.out);
        ASSERT_EQ(
            runCommand("convert '" + dir.file(c.in) + "'" + common + c.options + " '" + file + "'",
                       &out),
            0)
            << out;
        int16_t st;
        const Bytes got = readClip(file, 1 | (c.colour ? OVIO_COLOUR : 0), exactClip(w, h), &st,
                                   c.colour ? 3 : 1);
        ASSERT_EQ(st, OVIO_OK) << c.out;
        EXPECT_TRUE(got == *c.want) << c.out << ": pixels differ";
        EXPECT_TRUE(
            got == decodedByConvert(file, dir.file(c.colour ? "d.ppm" : "d.pgm"), c.colour ? 3 : 1))
            << c.out;
        ImageInfo info{};
        ASSERT_EQ(OvGetImageInfo(file.c_str(), &info, 1), OVIO_OK);
        EXPECT_EQ(info.width, w);
        EXPECT_EQ(info.height, h);
    }
    // The palette file really is one, and converts to grey through its palette.
    std::string kind;
    runCommand("tiffinfo '" + dir.file("p.tif") + "'", &kind);
    EXPECT_NE(kind.find("palette"), std::string::npos) << kind;
    int16_t st;
    const Bytes pgrey = readClip(dir.file("p.tif"), 4, exactClip(w, h), &st);
    ASSERT_EQ(st, OVIO_OK);
    for (size_t i = 0; i < pgrey.size(); ++i)
        ASSERT_EQ(pgrey[i], (few[3 * i] + few[3 * i + 1] + few[3 * i + 2]) / 3) << i;

    // Big-endian and LZW files are refused.
    for (const char* options :
         {"-compress none -define tiff:endian=msb", "-compress LZW -endian LSB"}) {
        const std::string file = dir.file("refused.tif");
        std::string out;
        ASSERT_EQ(runCommand(
                      "convert '" + dir.file("g.pgm") + "' -depth 8 " + options + " '" + file + "'",
                      &out),
                  0)
            << out;
        Bytes frame(65280);
        EXPECT_EQ(OvReadImage(file.c_str(), frame.data(), 1), OVIO_E_CONTENT) << options;
        ImageInfo info{};
        EXPECT_EQ(OvGetImageInfo(file.c_str(), &info, 1), OVIO_E_CONTENT) << options;
    }
}

TEST(Interop, BmpWrittenByImageMagickReadsPixelExactly) {
    REQUIRE_TOOL("convert");
    TempDir dir;
    const int w = 45, h = 29;  // odd width: padded lines
    const Bytes grey = picture(w, h, 1, 110);
    const Bytes rgb = picture(w, h, 3, 111);
    Bytes few(size_t(w) * h * 3);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const int k = grey[i] % 70;
        few[3 * i] = static_cast<uint8_t>(250 - k * 3);
        few[3 * i + 1] = static_cast<uint8_t>(k * 2);
        few[3 * i + 2] = static_cast<uint8_t>(100 + k);
    }
    writeNetpbm(dir.file("g.pgm"), w, h, 1, grey);
    writeNetpbm(dir.file("c.ppm"), w, h, 3, rgb);
    writeNetpbm(dir.file("p.ppm"), w, h, 3, few);
    struct Case {
        const char* in;
        const char* options;
        const char* out;
        bool colour;
        const Bytes* want;
        int bits;
    };
    const Case cases[] = {
        {"g.pgm", "-type Palette -compress none", "g.bmp", false, &grey, 8},
        {"p.ppm", "-type Palette -compress none", "p.bmp", true, &few, 8},
        {"c.ppm", "-type TrueColor -compress none", "c.bmp", true, &rgb, 24},
    };
    for (const Case& c : cases) {
        const std::string file = dir.file(c.out);
        std::string out;
        ASSERT_EQ(runCommand("convert '" + dir.file(c.in) + "' -alpha off -depth 8 " + c.options +
                                 " 'BMP3:" + file + "'",
                             &out),
                  0)
            << out;
        ImageInfo info{};
        ASSERT_EQ(OvGetImageInfo(file.c_str(), &info, 1), OVIO_OK) << c.out;
        EXPECT_EQ(info.bitsPerPixel, c.bits) << c.out;
        EXPECT_EQ(info.bottomUp, 1);
        int16_t st;
        const Bytes got = readClip(file, 1 | (c.colour ? OVIO_COLOUR : 0), exactClip(w, h), &st,
                                   c.colour ? 3 : 1);
        ASSERT_EQ(st, OVIO_OK) << c.out;
        // What ImageMagick stored (its grey conversion may move values) ...
        EXPECT_TRUE(
            got == decodedByConvert(file, dir.file(c.colour ? "d.ppm" : "d.pgm"), c.colour ? 3 : 1))
            << c.out << ": pixels differ";
        // ... and for the colour files exactly the picture given.
        if (c.colour) {
            EXPECT_TRUE(got == *c.want) << c.out;
        }
    }

    // Run-length encoded files are refused rather than misread.
    const std::string rle = dir.file("rle.bmp");
    std::string out;
    ASSERT_EQ(runCommand("convert '" + dir.file("p.ppm") +
                             "' -type Palette -compress RLE 'BMP3:" + rle + "'",
                         &out),
              0)
        << out;
    ImageInfo info{};
    EXPECT_EQ(OvGetImageInfo(rle.c_str(), &info, 1), OVIO_E_CONTENT);
}
