// Raw frames: written as bare lines, read with the size taken from the file length.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

TEST(Pic, GreyAndColourFramesRoundTrip) {
    TempDir dir;
    const Bytes grey = randomPixels(65280, 3);
    ASSERT_EQ(OvWriteImage(dir.file("g.raw").c_str(), grey.data(), 2), OVIO_OK);
    EXPECT_EQ(readFile(dir.file("g.raw")), grey);
    Bytes back(65280);
    ASSERT_EQ(OvReadImage(dir.file("g.raw").c_str(), back.data(), 2), OVIO_OK);
    EXPECT_EQ(back, grey);

    const Bytes colour = randomPixels(195840, 4);
    ASSERT_EQ(OvWriteImage(dir.file("c.raw").c_str(), colour.data(), 3 | OVIO_COLOUR), OVIO_OK);
    EXPECT_EQ(readFile(dir.file("c.raw")), colour);
    Bytes cback(195840);
    ASSERT_EQ(OvReadImage(dir.file("c.raw").c_str(), cback.data(), 3 | OVIO_COLOUR), OVIO_OK);
    EXPECT_EQ(cback, colour);
    // Colour read as grey: the mean of the three samples, truncated.
    ASSERT_EQ(OvReadImage(dir.file("c.raw").c_str(), back.data(), 3), OVIO_OK);
    for (size_t i : {size_t{0}, size_t{1000}, size_t{65279}})
        EXPECT_EQ(back[i], (colour[3 * i] + colour[3 * i + 1] + colour[3 * i + 2]) / 3) << i;
}

TEST(Pic, SizeTakenFromTheFileLength) {
    TempDir dir;
    ImageInfo info{};
    // 262 144 bytes: a 512 x 512 grey frame, via the extension or flag 0x80.
    const Bytes big = randomPixels(262144, 5);
    writeFile(dir.file("big.PIC"), big);
    ASSERT_EQ(OvGetImageInfo(dir.file("big.PIC").c_str(), &info, 1), OVIO_OK);
    EXPECT_EQ(info.width, 512);
    EXPECT_EQ(info.height, 512);
    EXPECT_EQ(info.bytesPerLine, 512);
    EXPECT_EQ(info.bitsPerPixel, 8);
    EXPECT_EQ(info.bottomUp, 0);
    EXPECT_EQ(info.lineAddress, 0);
    ClipRect whole{};
    whole.outWidth = 512;
    whole.outHeight = 512;
    whole.srcWidth = 512;
    whole.srcHeight = 512;
    int16_t st;
    EXPECT_EQ(readClip(dir.file("big.PIC"), 2 | OVIO_SIZE_FROM_LENGTH, whole, &st), big);
    EXPECT_EQ(st, OVIO_OK);
    // Without the flag the frame is 256 x 255: the file's first 65 280 bytes.
    ASSERT_EQ(OvGetImageInfo(dir.file("big.PIC").c_str(), &info, 2), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 255);
    Bytes frame(65280);
    ASSERT_EQ(OvReadImage(dir.file("big.PIC").c_str(), frame.data(), 2), OVIO_OK);
    EXPECT_EQ(frame, Bytes(big.begin(), big.begin() + 65280));

    // 195 840 bytes: colour 256 x 255 even with the grey code.
    writeFile(dir.file("col.pic"), randomPixels(195840, 6));
    ASSERT_EQ(OvGetImageInfo(dir.file("col.pic").c_str(), &info, 1), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.bytesPerLine, 768);
    ASSERT_EQ(OvGetImageInfo(dir.file("col.pic").c_str(), &info, 2), OVIO_OK);
    EXPECT_EQ(info.bitsPerPixel, 8);

    // Any other length: 256 x 255 of the code's kind.
    writeFile(dir.file("odd.pic"), Bytes(70000, 9));
    ASSERT_EQ(OvGetImageInfo(dir.file("odd.pic").c_str(), &info, 3 | 0x80), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 255);
    EXPECT_EQ(info.bitsPerPixel, 24);
}

TEST(Pic, ShortFileFailsToRead) {
    TempDir dir;
    writeFile(dir.file("short.pic"), Bytes(65279, 1));
    Bytes frame(65280);
    EXPECT_EQ(OvReadImage(dir.file("short.pic").c_str(), frame.data(), 1), OVIO_E_FILE);
    writeFile(dir.file("empty.pic"), Bytes());
    EXPECT_EQ(OvReadImage(dir.file("empty.pic").c_str(), frame.data(), 1), OVIO_E_FILE);
}
