// Appending frames below the last one of a TIFF clip.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {
uint32_t sizeWord(int w, int h) {
    return static_cast<uint32_t>(w) | (static_cast<uint32_t>(h) << 16);
}
}  // namespace

TEST(AppendClip, FramesStackBelowAndTheHeaderFollows) {
    TempDir dir;
    const std::string name = dir.file("clip.tif");
    const Bytes a = randomPixels(64 * 10, 50), b = randomPixels(64 * 5, 51),
                c = randomPixels(64 * 7, 52);
    const uint32_t sa = sizeWord(64, 10), sb = sizeWord(64, 5), sc = sizeWord(64, 7);
    ASSERT_EQ(OvWriteClip(name.c_str(), a.data(), 4, &sa), OVIO_OK);
    ASSERT_EQ(OvAppendClip(name.c_str(), b.data(), 4, &sb), OVIO_OK);
    ASSERT_EQ(OvAppendClip(name.c_str(), c.data(), 1, &sc), OVIO_OK);
    const Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 98u + 64u * 22);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 4), OVIO_OK);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 22);
    // The strip byte count is kept in step.
    bool sawCount = false;
    for (uint32_t i = 0; i < get16(f, 8); ++i) {
        const size_t e = 10 + 12 * i;
        if (get16(f, e) == 279) {
            EXPECT_EQ(get32(f, e + 8), 64u * 22);
            sawCount = true;
        }
    }
    EXPECT_TRUE(sawCount);
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    all.insert(all.end(), c.begin(), c.end());
    ClipRect whole{};
    whole.outWidth = 64;
    whole.outHeight = 22;
    whole.srcWidth = 64;
    whole.srcHeight = 22;
    int16_t st;
    EXPECT_EQ(readClip(name, 4, whole, &st), all);
    EXPECT_EQ(st, OVIO_OK);
}

TEST(AppendClip, ClipWithoutByteCountsGetsItsHeightRewritten) {
    TempDir dir;
    // The seven-entry layout with SubfileType and no StripByteCounts.
    TiffBuilder t;
    t.add(255, 3, 1, 1).add(256, 3, 1, 8).add(257, 3, 1, 2).add(258, 3, 1, 8);
    t.add(262, 3, 1, 1).add(273, 4, 1, 98).add(277, 3, 1, 1);
    ASSERT_EQ(t.extraOffset(), 98u);
    t.extra = randomPixels(16, 53);
    const std::string name = dir.file("old.tif");
    writeFile(name, t.build());
    const Bytes more = randomPixels(24, 54);
    const uint32_t s = sizeWord(8, 3);
    ASSERT_EQ(OvAppendClip(name.c_str(), more.data(), 4, &s), OVIO_OK);
    const Bytes f = readFile(name);
    EXPECT_EQ(f.size(), 98u + 40u);
    EXPECT_EQ(get32(f, 10 + 2 * 12 + 8), 5u);  // ImageLength value
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(name.c_str(), &info, 4), OVIO_OK);
    EXPECT_EQ(info.height, 5);
}

TEST(AppendClip, MismatchesLeaveTheFileUnchanged) {
    TempDir dir;
    const std::string name = dir.file("clip.tif");
    const Bytes a = randomPixels(32 * 4 * 3, 55);
    const uint32_t s = sizeWord(32, 4);
    ASSERT_EQ(OvWriteClip(name.c_str(), a.data(), 4, &s), OVIO_OK);
    const Bytes before = readFile(name);
    const uint32_t wider = sizeWord(33, 4);
    EXPECT_EQ(OvAppendClip(name.c_str(), a.data(), 4, &wider), OVIO_E_CLIP_MISMATCH);
    EXPECT_EQ(OvAppendClip(name.c_str(), a.data(), 4 | OVIO_COLOUR, &s), OVIO_E_CLIP_MISMATCH);
    EXPECT_EQ(readFile(name), before);

    // A colour clip does not take frames.
    const std::string colour = dir.file("colour.tif");
    ASSERT_EQ(OvWriteClip(colour.c_str(), a.data(), 4 | OVIO_COLOUR, &s), OVIO_OK);
    const Bytes colourBefore = readFile(colour);
    EXPECT_EQ(OvAppendClip(colour.c_str(), a.data(), 4, &s), OVIO_E_CLIP_MISMATCH);
    EXPECT_EQ(readFile(colour), colourBefore);

    // Data after the clip's last pixel: not the end of the file.
    Bytes tail = before;
    tail.push_back(0);
    writeFile(name, tail);
    EXPECT_EQ(OvAppendClip(name.c_str(), a.data(), 4, &s), OVIO_E_FILE);
    EXPECT_EQ(readFile(name), tail);

    // Only TIFF; unknown extension 22; missing file 1.
    const std::string bmp = dir.file("clip.bmp");
    ASSERT_EQ(OvWriteClip(bmp.c_str(), a.data(), 5, &s), OVIO_OK);
    EXPECT_EQ(OvAppendClip(bmp.c_str(), a.data(), 1, &s), OVIO_E_FILE);
    EXPECT_EQ(OvAppendClip(bmp.c_str(), a.data(), 5, &s), OVIO_E_FILE);
    EXPECT_EQ(OvAppendClip(dir.file("x.png").c_str(), a.data(), 1, &s), OVIO_E_EXTENSION);
    EXPECT_EQ(OvAppendClip(dir.file("none.tif").c_str(), a.data(), 4, &s), OVIO_E_FILE);
    const uint32_t empty = sizeWord(32, 0);
    EXPECT_EQ(OvAppendClip(name.c_str(), a.data(), 4, &empty), OVIO_E_CONTENT);
}

TEST(AppendClip, MultiStripClipIsNotExtended) {
    TempDir dir;
    TiffBuilder t;
    t.add(256, 3, 1, 4).add(257, 3, 1, 2).add(258, 3, 1, 8).add(273, 4, 2, 0);
    t.add(279, 4, 2, 0);
    const uint32_t base = t.extraOffset();
    t.entries[3].value = base;
    t.entries[4].value = base + 8;
    t.extra.resize(16);
    put32(t.extra, 0, base + 16);
    put32(t.extra, 4, base + 20);
    put32(t.extra, 8, 4);
    put32(t.extra, 12, 4);
    const Bytes px = randomPixels(8, 56);
    t.extra.insert(t.extra.end(), px.begin(), px.end());
    const std::string name = dir.file("multi.tif");
    writeFile(name, t.build());
    const Bytes before = readFile(name);
    const uint32_t s = sizeWord(4, 1);
    EXPECT_EQ(OvAppendClip(name.c_str(), px.data(), 4, &s), OVIO_E_CLIP_MISMATCH);
    EXPECT_EQ(readFile(name), before);
}
