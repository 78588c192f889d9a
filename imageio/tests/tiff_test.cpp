// TIFF as written and as read.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

struct DirEntry {
    uint32_t tag, type, count, value;
};

std::vector<DirEntry> directory(const Bytes& f) {
    std::vector<DirEntry> out;
    const uint32_t at = get32(f, 4);
    const uint32_t n = get16(f, at);
    for (uint32_t i = 0; i < n; ++i) {
        const size_t e = at + 2 + 12 * i;
        out.push_back({get16(f, e), get16(f, e + 2), get32(f, e + 4), get32(f, e + 8)});
    }
    return out;
}

const DirEntry* findTag(const std::vector<DirEntry>& d, uint32_t tag) {
    for (const auto& e : d)
        if (e.tag == tag) return &e;
    return nullptr;
}

}  // namespace

TEST(TiffWrite, GreyFrameIs65378BytesAndReadsBack) {
    TempDir dir;
    const Bytes frame = randomPixels(65280, 10);
    const std::string name = dir.file("g.tif");
    ASSERT_EQ(OvWriteImage(name.c_str(), frame.data(), 4), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 98u + 65280u);
    EXPECT_EQ(f[0], 'I');
    EXPECT_EQ(f[1], 'I');
    EXPECT_EQ(get16(f, 2), 42u);
    EXPECT_EQ(get32(f, 4), 8u);
    EXPECT_EQ(get16(f, 8), 7u);
    EXPECT_EQ(get32(f, 94), 0u);  // no further directory
    const auto d = directory(f);
    for (size_t i = 1; i < d.size(); ++i) EXPECT_LT(d[i - 1].tag, d[i].tag);  // sorted
    ASSERT_NE(findTag(d, 256), nullptr);
    EXPECT_EQ(findTag(d, 256)->value, 256u);
    EXPECT_EQ(findTag(d, 257)->value, 255u);
    EXPECT_EQ(findTag(d, 258)->value, 8u);
    EXPECT_EQ(findTag(d, 262)->value, 1u);
    EXPECT_EQ(findTag(d, 273)->value, 98u);
    EXPECT_EQ(findTag(d, 273)->type, 4u);
    EXPECT_EQ(findTag(d, 277)->value, 1u);
    ASSERT_NE(findTag(d, 279), nullptr);
    EXPECT_EQ(findTag(d, 279)->value, 65280u);
    EXPECT_EQ(findTag(d, 259), nullptr);  // no compression entry
    EXPECT_EQ(Bytes(f.begin() + 98, f.end()), frame);

    Bytes back(65280);
    ASSERT_EQ(OvReadImage(name.c_str(), back.data(), 1), OVIO_OK);
    EXPECT_EQ(back, frame);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 1), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 255);
    EXPECT_EQ(info.bytesPerLine, 256);
    EXPECT_EQ(info.bitsPerPixel, 8);
    EXPECT_EQ(info.bgrOrder, 0);
    EXPECT_EQ(info.bottomUp, 0);
}

TEST(TiffWrite, ColourPixelsAt104WithBitsPerSampleAt98) {
    TempDir dir;
    const int w = 33, h = 7;
    const Bytes rgb = randomPixels(w * h * 3, 11);
    const uint32_t size = w | (h << 16);
    const std::string name = dir.file("c.tif");
    ASSERT_EQ(OvWriteClip(name.c_str(), rgb.data(), 4 | OVIO_COLOUR, &size), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 104u + rgb.size());
    const auto d = directory(f);
    ASSERT_EQ(d.size(), 7u);
    EXPECT_EQ(findTag(d, 258)->count, 3u);
    EXPECT_EQ(findTag(d, 258)->value, 98u);
    EXPECT_EQ(get16(f, 98), 8u);
    EXPECT_EQ(get16(f, 100), 8u);
    EXPECT_EQ(get16(f, 102), 8u);
    EXPECT_EQ(findTag(d, 262)->value, 2u);
    EXPECT_EQ(findTag(d, 273)->value, 104u);
    EXPECT_EQ(findTag(d, 277)->value, 3u);
    EXPECT_EQ(Bytes(f.begin() + 104, f.end()), rgb);

    ClipRect same{};
    same.outWidth = w;
    same.outHeight = h;
    same.srcWidth = w;
    same.srcHeight = h;
    int16_t st;
    EXPECT_EQ(readClip(name, 4 | OVIO_COLOUR, same, &st, 3), rgb);
    EXPECT_EQ(st, OVIO_OK);
    const Bytes grey = readClip(name, 4, same, &st);
    ASSERT_EQ(st, OVIO_OK);
    for (int i = 0; i < w * h; ++i)
        ASSERT_EQ(grey[i], (rgb[3 * i] + rgb[3 * i + 1] + rgb[3 * i + 2]) / 3) << i;
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 4), OVIO_OK);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.bytesPerLine, w * 3);
    EXPECT_EQ(info.bgrOrder, 0);
}

TEST(TiffWrite, ZeroOrNegativeSizeIsRefusedWithoutAFile) {
    TempDir dir;
    Bytes px(100);
    for (uint32_t size : {0u, 10u, 10u << 16, 0xFFFFu | (10u << 16)}) {
        EXPECT_EQ(OvWriteClip(dir.file("z.tif").c_str(), px.data(), 4, &size), OVIO_E_CONTENT)
            << size;
    }
    EXPECT_FALSE(fileExists(dir.file("z.tif")));
}

TEST(TiffWrite, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    const std::string name = dir.file("keep.tif");
    const Bytes frame = randomPixels(65280, 12);
    ASSERT_EQ(OvWriteImage(name.c_str(), frame.data(), 4), OVIO_OK);
    const Bytes before = readFile(name);
    // An unknown extension or refused code must not touch an existing file of that name.
    EXPECT_EQ(OvWriteImage(name.c_str(), frame.data(), 6), OVIO_E_FILE);
    EXPECT_EQ(readFile(name), before);
}

TEST(TiffRead, StripsPaletteAndIgnoredTags) {
    TempDir dir;
    const int w = 10, h = 9;
    const Bytes px = randomPixels(w * h, 13);
    // Three strips of 3 lines stored out of order, SHORT strip arrays, extra tags.
    TiffBuilder t;
    t.add(254, 4, 1, 0).add(255, 3, 1, 1).add(256, 4, 1, w).add(257, 4, 1, h);
    t.add(258, 3, 1, 8).add(259, 3, 1, 1).add(262, 3, 1, 1).add(270, 2, 4, 0x00616263);
    t.add(273, 3, 3, 0).add(274, 3, 1, 1).add(277, 3, 1, 1).add(278, 3, 1, 3);
    t.add(279, 3, 3, 0).add(282, 5, 1, 0).add(284, 3, 1, 1).add(999, 7, 1000000, 12345);
    const uint32_t base = t.extraOffset();
    t.extra.resize(12);
    const uint32_t s0 = base + 12 + 2 * 30, s1 = base + 12, s2 = base + 12 + 30;
    put16(t.extra, 0, s0);
    put16(t.extra, 2, s1);
    put16(t.extra, 4, s2);
    put16(t.extra, 6, 30);
    put16(t.extra, 8, 30);
    put16(t.extra, 10, 30);
    t.entries[8].value = base;
    t.entries[12].value = base + 6;
    t.extra.insert(t.extra.end(), px.begin() + 30, px.begin() + 60);  // strip 1
    t.extra.insert(t.extra.end(), px.begin() + 60, px.end());         // strip 2
    t.extra.insert(t.extra.end(), px.begin(), px.begin() + 30);       // strip 0
    writeFile(dir.file("strips.tif"), t.build());
    ClipRect same{};
    same.outWidth = w;
    same.outHeight = h;
    same.srcWidth = w;
    same.srcHeight = h;
    int16_t st;
    EXPECT_EQ(readClip(dir.file("strips.tif"), 4, same, &st), px);
    EXPECT_EQ(st, OVIO_OK);
    // A rectangle starting inside the second strip.
    ClipRect part{};
    part.outWidth = 4;
    part.outHeight = 3;
    part.srcX = 5;
    part.srcY = 4;
    part.srcWidth = 4;
    part.srcHeight = 3;
    const Bytes got = readClip(dir.file("strips.tif"), 4, part, &st);
    ASSERT_EQ(st, OVIO_OK);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(got[y * 4 + x], px[(y + 4) * w + x + 5]);
}

TEST(TiffRead, PaletteImagesGoThroughTheColorMap) {
    TempDir dir;
    const int w = 4, h = 2;
    const Bytes idx = {0, 1, 2, 3, 3, 2, 1, 0};
    TiffBuilder t;
    t.add(256, 3, 1, w).add(257, 3, 1, h).add(258, 3, 1, 8).add(262, 3, 1, 3);
    t.add(273, 4, 1, 0).add(277, 3, 1, 1).add(320, 3, 768, 0);
    const uint32_t base = t.extraOffset();
    t.entries[6].value = base;
    t.entries[4].value = base + 1536;
    t.extra.resize(1536);
    // Entry i: red 10 i, green 255 - i, blue 7 (16-bit values, high byte used).
    for (int i = 0; i < 256; ++i) {
        put16(t.extra, 2 * i, ((10 * i) & 0xFF) << 8 | 0x7F);
        put16(t.extra, 512 + 2 * i, (255 - i) << 8);
        put16(t.extra, 1024 + 2 * i, 7 << 8);
    }
    t.extra.insert(t.extra.end(), idx.begin(), idx.end());
    writeFile(dir.file("pal.tif"), t.build());
    ClipRect same{};
    same.outWidth = w;
    same.outHeight = h;
    same.srcWidth = w;
    same.srcHeight = h;
    int16_t st;
    const Bytes rgb = readClip(dir.file("pal.tif"), 4 | OVIO_COLOUR, same, &st, 3);
    ASSERT_EQ(st, OVIO_OK);
    const Bytes grey = readClip(dir.file("pal.tif"), 4, same, &st);
    ASSERT_EQ(st, OVIO_OK);
    for (int i = 0; i < w * h; ++i) {
        const int k = idx[i];
        EXPECT_EQ(rgb[3 * i], (10 * k) & 0xFF);
        EXPECT_EQ(rgb[3 * i + 1], 255 - k);
        EXPECT_EQ(rgb[3 * i + 2], 7);
        EXPECT_EQ(grey[i], (((10 * k) & 0xFF) + 255 - k + 7) / 3);
    }
    // The same color map with PhotometricInterpretation 1 is not used.
    t.entries[3].value = 1;
    writeFile(dir.file("nopal.tif"), t.build());
    EXPECT_EQ(readClip(dir.file("nopal.tif"), 4, same, &st), idx);
}

TEST(TiffRead, RefusedContent) {
    TempDir dir;
    const Bytes px = randomPixels(64, 14);
    const Bytes good = greyTiff(8, 8, px);
    Bytes frame(65280);
    auto status = [&](const Bytes& file) {
        writeFile(dir.file("t.tif"), file);
        return OvReadImage(dir.file("t.tif").c_str(), frame.data(), 4);
    };
    ASSERT_EQ(status(good), OVIO_OK);

    Bytes mm = good;
    mm[0] = mm[1] = 'M';
    EXPECT_EQ(status(mm), OVIO_E_CONTENT);
    Bytes noDir = good;
    put32(noDir, 4, 0);
    EXPECT_EQ(status(noDir), OVIO_E_CONTENT);

    auto withTag = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        TiffBuilder t;
        t.add(256, 3, 1, 8).add(257, 3, 1, 8).add(258, 3, 1, 8).add(tag, type, count, value);
        t.add(273, 4, 1, 0).add(279, 4, 1, 64);
        t.entries[4].value = t.extraOffset();
        t.extra = px;
        return t.build();
    };
    EXPECT_EQ(status(withTag(259, 3, 1, 5)), OVIO_E_CONTENT);  // LZW
    EXPECT_EQ(status(withTag(259, 3, 1, 2)), OVIO_E_CONTENT);
    EXPECT_EQ(status(withTag(259, 3, 1, 1)), OVIO_OK);
    EXPECT_EQ(status(withTag(255, 3, 1, 2)), OVIO_E_CONTENT);
    EXPECT_EQ(status(withTag(284, 3, 1, 2)), OVIO_E_CONTENT);
    EXPECT_EQ(status(withTag(284, 3, 1, 1)), OVIO_OK);
    EXPECT_EQ(status(withTag(320, 3, 4, 8)), OVIO_E_CONTENT);  // count not divisible by 3
    EXPECT_EQ(status(withTag(320, 4, 3, 8)), OVIO_E_CONTENT);  // not SHORT
    EXPECT_EQ(status(withTag(277, 3, 1, 2)), OVIO_E_CONTENT);  // two samples per pixel
    EXPECT_EQ(status(withTag(999, 3, 1, 2)), OVIO_OK);   // unknown tags are skipped

    TiffBuilder sixteen;
    sixteen.add(256, 3, 1, 4).add(257, 3, 1, 4).add(258, 3, 1, 16).add(273, 4, 1, 0);
    sixteen.entries[3].value = sixteen.extraOffset();
    sixteen.extra = Bytes(32, 1);
    EXPECT_EQ(status(sixteen.build()), OVIO_E_CONTENT);

    TiffBuilder noStrips;
    noStrips.add(256, 3, 1, 4).add(257, 3, 1, 4).add(258, 3, 1, 8);
    EXPECT_EQ(status(noStrips.build()), OVIO_E_CONTENT);

    TiffBuilder twoStripsNoCounts;
    twoStripsNoCounts.add(256, 3, 1, 4).add(257, 3, 1, 4).add(258, 3, 1, 8).add(273, 3, 2, 0);
    twoStripsNoCounts.entries[3].value = twoStripsNoCounts.extraOffset() | (1u << 16);
    twoStripsNoCounts.extra = Bytes(16, 1);
    EXPECT_EQ(status(twoStripsNoCounts.build()), OVIO_E_CONTENT);
}
