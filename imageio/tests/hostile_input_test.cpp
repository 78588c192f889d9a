// Damaged and hostile files: every read ends with a status, inside the file's data and
// the caller's output.
#include <gtest/gtest.h>

#include <random>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

constexpr size_t kGuard = 256;
constexpr uint8_t kGuardByte = 0xC5;

// Reads into an output of exactly the requested size followed by guard bytes; fails the
// test when a guard byte changed.
int16_t guardedRead(const std::string& path, uint16_t flags, ClipRect clip = {}) {
    const size_t px = (flags & OVIO_COLOUR) ? 3 : 1;
    const size_t n = size_t(clip.outWidth ? clip.outWidth : 256) *
                     size_t(clip.outHeight ? clip.outHeight : 255) * px;
    Bytes out(n + kGuard, kGuardByte);
    const int16_t st = OvReadClip(path.c_str(), out.data(), flags, &clip);
    for (size_t i = n; i < out.size(); ++i) {
        if (out[i] != kGuardByte) {
            ADD_FAILURE() << "output overrun at " << i - n << " past the end, status " << st;
            break;
        }
    }
    ImageInfo info{};
    OvGetImageInfo(path.c_str(), &info, flags);
    return st;
}

Bytes paletteTiff(int w, int h, const Bytes& px, int rowsPerStrip) {
    TiffBuilder t;
    const int strips = (h + rowsPerStrip - 1) / rowsPerStrip;
    t.add(256, 3, 1, w).add(257, 3, 1, h).add(258, 3, 1, 8).add(262, 3, 1, 3);
    t.add(273, 4, strips, 0).add(277, 3, 1, 1).add(279, 4, strips, 0).add(320, 3, 768, 0);
    const uint32_t base = t.extraOffset();
    t.entries[4].value = base;
    t.entries[6].value = base + 4 * strips;
    t.entries[7].value = base + 8 * strips;
    t.extra.resize(8 * strips + 1536);
    uint32_t at = base + 8 * strips + 1536;
    for (int s = 0; s < strips; ++s) {
        const int rows = std::min(rowsPerStrip, h - s * rowsPerStrip);
        put32(t.extra, 4 * s, at);
        put32(t.extra, 4 * strips + 4 * s, rows * w);
        at += rows * w;
    }
    for (int i = 0; i < 768; ++i) put16(t.extra, 8 * strips + 2 * i, (i * 37 % 256) << 8);
    t.extra.insert(t.extra.end(), px.begin(), px.end());
    return t.build();
}

}  // namespace

TEST(HostileInput, EveryTruncationFailsCleanly) {
    TempDir dir;
    const int w = 13, h = 11;
    const Bytes px = randomPixels(w * h * 3, 60);
    const uint32_t size = w | (h << 16);
    const std::string grey = dir.file("g.bmp"), rgb = dir.file("c.bmp"), ctif = dir.file("c.tif");
    ASSERT_EQ(OvWriteClip(grey.c_str(), px.data(), 5, &size), OVIO_OK);
    ASSERT_EQ(OvWriteClip(rgb.c_str(), px.data(), 5 | OVIO_COLOUR, &size), OVIO_OK);
    ASSERT_EQ(OvWriteClip(ctif.c_str(), px.data(), 4 | OVIO_COLOUR, &size), OVIO_OK);
    const std::vector<std::pair<Bytes, uint16_t>> files = {
        {readFile(grey), 5},
        {readFile(rgb), 5 | OVIO_COLOUR},
        {readFile(ctif), 4},
        {paletteTiff(w, h, Bytes(px.begin(), px.begin() + w * h), 4), 4 | OVIO_COLOUR},
    };
    const std::string cut = dir.file("cut");
    for (const auto& [whole, flags] : files) {
        writeFile(cut, whole);
        ASSERT_EQ(guardedRead(cut, flags), OVIO_OK);
        for (size_t len = 0; len < whole.size(); ++len) {
            writeFile(cut, Bytes(whole.begin(), whole.begin() + static_cast<long>(len)));
            const int16_t st = guardedRead(cut, flags);
            ASSERT_TRUE(st == 1 || st == 20)
                << "length " << len << " of " << whole.size() << " gave " << st;
        }
    }
}

TEST(HostileInput, OffsetsAndPalettesBeyondTheEnd) {
    TempDir dir;
    const std::string name = dir.file("h");
    const Bytes px = randomPixels(64, 61);

    Bytes tif = greyTiff(8, 8, px);
    put32(tif, 10 + 4 * 12 + 8, 0x7FFFFFF0);  // strip offset far beyond the end
    writeFile(name, tif);
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_FILE);

    tif = greyTiff(8, 8, px);
    put32(tif, 10 + 6 * 12 + 8, 0xFFFFFFFF);  // byte count larger than the file
    put32(tif, 10 + 1 * 12 + 8, 0xFFFF);      // and a height to need it
    writeFile(name, tif);
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_FILE);

    tif = greyTiff(8, 8, px);
    put32(tif, 4, 0x10000000);  // directory beyond the end
    writeFile(name, tif);
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_FILE);

    // A colour map whose values lie beyond the end.
    TiffBuilder t;
    t.add(256, 3, 1, 8).add(257, 3, 1, 8).add(258, 3, 1, 8).add(262, 3, 1, 3);
    t.add(273, 4, 1, 0).add(320, 3, 768, 0x00FFFF00);
    t.entries[4].value = t.extraOffset();
    t.extra = px;
    t.extra.resize(4000);  // the file could hold the map, but not there
    writeFile(name, t.build());
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_FILE);
    // Arrays longer than the whole file are refused before anything is taken.
    t.entries[5] = {320, 3, 3u * 0x50000000u, 0};
    writeFile(name, t.build());
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_CONTENT);
    t.entries[5] = {273, 4, 0x40000000, 0};
    t.entries[4] = {277, 3, 1, 1};
    writeFile(name, t.build());
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_CONTENT);

    // BMP: palette cut short, and pixel data beyond the end.
    Bytes bmp(54 + 100, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(bmp, 10, 1078);
    put32(bmp, 14, 40);
    put32(bmp, 18, 4);
    put32(bmp, 22, 4);
    put16(bmp, 28, 8);
    writeFile(name, bmp);
    EXPECT_EQ(guardedRead(name, 5), OVIO_E_FILE);
    put32(bmp, 46, 0xFFFFFFFF);  // more colours than a palette holds
    writeFile(name, bmp);
    EXPECT_EQ(guardedRead(name, 5), OVIO_E_FILE);
    put32(bmp, 46, 20);
    put32(bmp, 10, 0xFFFFFF00);
    writeFile(name, bmp);
    EXPECT_EQ(guardedRead(name, 5), OVIO_E_FILE);
}

TEST(HostileInput, ImpossibleSizes) {
    TempDir dir;
    const std::string name = dir.file("s");
    const Bytes px = randomPixels(64, 62);
    auto tiffWith = [&](uint32_t w, uint32_t h) {
        Bytes t = greyTiff(8, 8, px);
        put32(t, 10 + 0 * 12 + 8, w);
        put32(t, 10 + 1 * 12 + 8, h);
        writeFile(name, t);
        return guardedRead(name, 4);
    };
    EXPECT_EQ(tiffWith(0, 8), OVIO_E_CONTENT);
    EXPECT_EQ(tiffWith(8, 0), OVIO_E_CONTENT);
    EXPECT_EQ(tiffWith(0xFFFFFFF8, 8), OVIO_E_CONTENT);  // negative
    EXPECT_EQ(tiffWith(65536, 65536), OVIO_E_CONTENT);   // width x height overflows 32 bits
    EXPECT_EQ(tiffWith(0x7FFFFFFF, 0x7FFFFFFF), OVIO_E_CONTENT);
    EXPECT_EQ(tiffWith(100000, 1), OVIO_E_NO_MEMORY);  // a line longer than any read buffer
    EXPECT_EQ(tiffWith(8, 9), OVIO_E_FILE);       // one line more than stored

    Bytes bmp(54 + 1024 + 16, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(bmp, 10, 1078);
    put32(bmp, 14, 40);
    put16(bmp, 28, 8);
    auto bmpWith = [&](uint32_t w, uint32_t h) {
        put32(bmp, 18, w);
        put32(bmp, 22, h);
        writeFile(name, bmp);
        return guardedRead(name, 5);
    };
    ASSERT_EQ(bmpWith(4, 4), 0);
    EXPECT_EQ(bmpWith(4, static_cast<uint32_t>(-4)), 20);  // top-down files are not read
    EXPECT_EQ(bmpWith(static_cast<uint32_t>(-4), 4), 20);
    EXPECT_EQ(bmpWith(0, 4), 20);
    EXPECT_EQ(bmpWith(0x40000000, 0x40000000), 20);
}

TEST(HostileInput, SelfReferencesAndEmptyStripsEnd) {
    TempDir dir;
    const std::string name = dir.file("loop");
    // The directory offset points at itself: its entry count is read from the offset.
    Bytes self(64, 0);
    self[0] = self[1] = 'I';
    self[2] = 42;
    self[4] = 4;
    writeFile(name, self);
    EXPECT_EQ(guardedRead(name, 4), OVIO_E_CONTENT);
    put32(self, 4, 2);  // inside the header
    writeFile(name, self);
    const int16_t st = guardedRead(name, 4);
    EXPECT_TRUE(st == 1 || st == 20) << st;

    // Thousands of empty strips around the real one, and strips pointing at the directory.
    const int strips = 5000;
    TiffBuilder t;
    t.add(256, 3, 1, 4).add(257, 3, 1, 4).add(258, 3, 1, 8).add(273, 4, strips, 0);
    t.add(279, 4, strips, 0);
    const uint32_t base = t.extraOffset();
    t.entries[3].value = base;
    t.entries[4].value = base + 4 * strips;
    t.extra.resize(8 * strips);
    for (int s = 0; s < strips; ++s) put32(t.extra, 4 * s, 8);
    put32(t.extra, 4 * strips + 4 * 2500, 16);  // one strip of 16 bytes: the directory
    writeFile(name, t.build());
    ClipRect c{};
    c.outWidth = 4;
    c.outHeight = 4;
    c.srcWidth = 4;
    c.srcHeight = 4;
    EXPECT_EQ(guardedRead(name, 4, c), OVIO_OK);
    // Every strip empty: the data end at once.
    put32(t.extra, 4 * strips + 4 * 2500, 0);
    writeFile(name, t.build());
    EXPECT_EQ(guardedRead(name, 4, c), OVIO_E_FILE);
}

TEST(HostileInput, CorruptedHeadersNeverOverrun) {
    TempDir dir;
    const int w = 9, h = 7;
    const Bytes px = randomPixels(w * h * 3, 63);
    const uint32_t size = w | (h << 16);
    const std::string a = dir.file("a.tif"), b = dir.file("b.bmp");
    ASSERT_EQ(OvWriteClip(a.c_str(), px.data(), 4 | OVIO_COLOUR, &size), OVIO_OK);
    ASSERT_EQ(OvWriteClip(b.c_str(), px.data(), 5, &size), OVIO_OK);
    const Bytes tif = readFile(a), bmp = readFile(b);
    std::mt19937 gen(64);
    const std::string name = dir.file("x");
    for (int round = 0; round < 600; ++round) {
        const bool isTiff = round % 2 == 0;
        Bytes f = isTiff ? tif : bmp;
        const size_t headerBytes = isTiff ? 104 : 60;
        for (int k = 0; k < 3; ++k) f[gen() % headerBytes] = static_cast<uint8_t>(gen());
        writeFile(name, f);
        ClipRect c{};
        c.outWidth = static_cast<int16_t>(1 + gen() % 40);
        c.outHeight = static_cast<int16_t>(1 + gen() % 40);
        c.srcX = static_cast<int16_t>(static_cast<int>(gen() % 30) - 10);
        c.srcWidth = static_cast<int16_t>(static_cast<int>(gen() % 30) - 10);
        guardedRead(name,
                    static_cast<uint16_t>((isTiff ? 4 : 5) | (round % 4 < 2 ? OVIO_COLOUR : 0)), c);
    }
}
