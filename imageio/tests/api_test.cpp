// Parameters, memory blocks, version, format codes and the extension table.
#include <gtest/gtest.h>

#include <cstring>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

TEST(Parameters, CompressionParameterIsIndexSevenOnly) {
    int16_t v = 0;
    ASSERT_EQ(OvGetParams(7, &v), OVIO_OK);
    EXPECT_EQ(v, -5);  // default
    const int16_t ten = 10;
    EXPECT_EQ(OvSetParams(7, &ten), OVIO_OK);
    EXPECT_EQ(OvGetParams(7, &v), OVIO_OK);
    EXPECT_EQ(v, 10);
    // Only the low 7 bits of the index count.
    const int16_t minusTwo = -2;
    EXPECT_EQ(OvSetParams(0x87, &minusTwo), OVIO_OK);
    EXPECT_EQ(OvGetParams(7, &v), OVIO_OK);
    EXPECT_EQ(v, -2);
    v = 99;
    EXPECT_EQ(OvSetParams(3, &ten), OVIO_E_FILE);
    EXPECT_EQ(OvGetParams(3, &v), OVIO_E_FILE);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(OvGetParams(6, &v), OVIO_E_FILE);
    const int16_t dflt = -5;
    EXPECT_EQ(OvSetParams(7, &dflt), OVIO_OK);
}

TEST(MemoryBlocks, AllocateFillFree) {
    auto* p = static_cast<uint8_t*>(OvMemAlloc(65536 * 3 + 7));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(OvMemFill(p, 65536 * 3 + 7, 0x5A), OVIO_OK);
    for (size_t i :
         {size_t{0}, size_t{65279}, size_t{65280}, size_t{130560}, size_t{65536 * 3 + 6}})
        EXPECT_EQ(p[i], 0x5A) << i;
    p[100] = 1;
    EXPECT_EQ(OvMemFill(p, 100, 0), OVIO_OK);  // exactly the given size
    EXPECT_EQ(p[99], 0);
    EXPECT_EQ(p[100], 1);
    EXPECT_EQ(OvMemFree(p), OVIO_OK);
    EXPECT_EQ(OvMemFree(nullptr), OVIO_OK);
}

extern "C" int ovioVersionLengthFromC(void);

TEST(Version, PlainAndLengthPrefixed) {
    EXPECT_EQ(ovioVersionLengthFromC(), 8);  // the header compiles as C
    char text[32];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(OvIOGetVersion(text), OVIO_OK);
    EXPECT_STREQ(text, "2.10.023");
    uint8_t p[32];
    EXPECT_EQ(OvIOGetVersionP(p), OVIO_OK);
    ASSERT_EQ(p[0], 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), 8), "2.10.023");
}

TEST(CompressedFormat, ToolkitAbsentAndEveryUseAnswers21) {
    TempDir dir;
    EXPECT_EQ(OvToolsAvail(), 0);
    const std::string name = dir.file("a.cmp");
    Bytes frame(65280, 7);
    EXPECT_EQ(OvWriteImage(name.c_str(), frame.data(), 1), OVIO_E_NO_TOOLKIT);
    EXPECT_EQ(OvWriteImage(name.c_str(), frame.data(), 7), OVIO_E_NO_TOOLKIT);
    EXPECT_FALSE(fileExists(name));
    writeFile(name, Bytes(100, 1));
    EXPECT_EQ(OvReadImage(name.c_str(), frame.data(), 1), OVIO_E_NO_TOOLKIT);
    EXPECT_EQ(OvReadImage(name.c_str(), frame.data(), 7), OVIO_E_NO_TOOLKIT);
    ImageInfo info{};
    EXPECT_EQ(OvGetImageInfo(name.c_str(), &info, 7), OVIO_E_NO_TOOLKIT);
    EXPECT_EQ(readFile(name), Bytes(100, 1));  // untouched
    // Appending is for TIFF only, compressed included.
    const uint32_t size = 256 | (255u << 16);
    EXPECT_EQ(OvAppendClip(name.c_str(), frame.data(), 7, &size), OVIO_E_FILE);
}

TEST(FormatCodes, ExtensionTableAndRefusedCodes) {
    TempDir dir;
    Bytes frame = randomPixels(65280, 1);
    ImageInfo info{};
    EXPECT_EQ(OvGetImageInfo(dir.file("x.jpg").c_str(), &info, 1), OVIO_E_EXTENSION);
    EXPECT_EQ(OvGetImageInfo(dir.file("noext").c_str(), &info, 1), OVIO_E_EXTENSION);
    EXPECT_EQ(OvGetImageInfo(dir.file("x.tiff").c_str(), &info, 1), OVIO_E_EXTENSION);
    EXPECT_EQ(OvWriteImage(dir.file("x.png").c_str(), frame.data(), 1), OVIO_E_EXTENSION);
    EXPECT_EQ(OvReadImage(dir.file("x.png").c_str(), frame.data(), 1), OVIO_E_EXTENSION);
    // A dot in a directory name is not an extension.
    EXPECT_EQ(OvGetImageInfo((dir.path() + "/d.tif/noext").c_str(), &info, 1), OVIO_E_EXTENSION);
    for (uint16_t code : {6, 8, 9, 0x7F}) {
        EXPECT_EQ(OvWriteImage(dir.file("a.tif").c_str(), frame.data(), code), OVIO_E_FILE) << code;
        EXPECT_EQ(OvGetImageInfo(dir.file("a.tif").c_str(), &info, code), OVIO_E_FILE) << code;
    }
    // Writing to memory is refused.
    EXPECT_EQ(OvWriteImage(dir.file("a.tif").c_str(), frame.data(), 0), OVIO_E_FILE);

    // Extensions are compared in upper case and choose the format.
    for (const char* name : {"lower.tif", "UPPER.TIF", "Mixed.Bmp", "raw.pic"}) {
        const std::string path = dir.file(name);
        ASSERT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_OK) << name;
        Bytes back(65280);
        ASSERT_EQ(OvReadImage(path.c_str(), back.data(), 1), OVIO_OK) << name;
        EXPECT_EQ(back, frame) << name;
    }
    EXPECT_EQ(readFile(dir.file("lower.tif")).size(), 65378u);
    EXPECT_EQ(readFile(dir.file("Mixed.Bmp")).size(), 1078u + 65280u);
    EXPECT_EQ(readFile(dir.file("raw.pic")).size(), 65280u);
}

TEST(FormatCodes, MissingFileAndNullArguments) {
    TempDir dir;
    Bytes frame(65280);
    ImageInfo info{};
    EXPECT_EQ(OvReadImage(dir.file("missing.tif").c_str(), frame.data(), 1), OVIO_E_FILE);
    EXPECT_EQ(OvGetImageInfo(dir.file("missing.bmp").c_str(), &info, 5), OVIO_E_FILE);
    EXPECT_EQ(OvReadImage(dir.path().c_str(), frame.data(), 4), OVIO_E_FILE);  // a directory
    EXPECT_EQ(OvWriteImage(dir.file("no/such/dir/a.tif").c_str(), frame.data(), 4), OVIO_E_FILE);
    EXPECT_EQ(OvReadImage(nullptr, frame.data(), 4), OVIO_E_FILE);
    EXPECT_EQ(OvWriteImage(dir.file("a.tif").c_str(), nullptr, 4), OVIO_E_FILE);
    EXPECT_FALSE(fileExists(dir.file("a.tif")));
    // Format code 0 needs an ImageInfo with a line address.
    ImageInfo mem{};
    mem.width = 10;
    mem.height = 10;
    mem.bytesPerLine = 10;
    mem.bitsPerPixel = 8;
    EXPECT_EQ(OvReadImage(reinterpret_cast<const char*>(&mem), frame.data(), 0), OVIO_E_FILE);
    EXPECT_EQ(OvReadImage(nullptr, frame.data(), 0), OVIO_E_FILE);
}

TEST(FormatCodes, LengthPrefixedTwinsBehaveAlike) {
    TempDir dir;
    const Bytes frame = randomPixels(65280, 2);
    // The prefixed name is not zero-terminated: the bytes after it must not count.
    Bytes name = prefixed(dir.file("twin.tif"));
    name.push_back('X');
    ASSERT_EQ(OvWriteImageP(name.data(), frame.data(), 1), OVIO_OK);
    EXPECT_TRUE(fileExists(dir.file("twin.tif")));
    Bytes back(65280);
    ASSERT_EQ(OvReadImageP(name.data(), back.data(), 1), OVIO_OK);
    EXPECT_EQ(back, frame);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfoP(name.data(), &info, 4), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    const uint32_t size = 256 | (10u << 16);
    ASSERT_EQ(OvAppendClipP(name.data(), frame.data(), 4, &size), OVIO_OK);
    ASSERT_EQ(OvGetImageInfoP(name.data(), &info, 4), OVIO_OK);
    EXPECT_EQ(info.height, 265);
    const uint32_t small = 16 | (8u << 16);
    ASSERT_EQ(OvWriteClipP(prefixed(dir.file("small.pic")).data(), frame.data(), 2, &small),
              OVIO_OK);
    EXPECT_EQ(readFile(dir.file("small.pic")), Bytes(frame.begin(), frame.begin() + 128));
    EXPECT_EQ(OvGetImageInfoP(prefixed(dir.file("x.gif")).data(), &info, 1), OVIO_E_EXTENSION);
}
