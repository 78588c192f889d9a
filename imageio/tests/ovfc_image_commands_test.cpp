// The image subcommands of the ovfc tool, run as a program.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

const std::string kOvfc = std::string(OVFC_BIN_DIR) + "/ovfc";

}  // namespace

TEST(OvfcImageCommands, InfoPrintsTheDescription) {
    TempDir dir;
    const Bytes px = randomPixels(250 * 3 * 3, 120);
    const uint32_t size = 250 | (3u << 16);
    const std::string bmp = dir.file("a.bmp");
    ASSERT_EQ(OvWriteClip(bmp.c_str(), px.data(), 5 | OVIO_COLOUR, &size), OVIO_OK);
    std::string out;
    ASSERT_EQ(runCommand(kOvfc + " info '" + bmp + "'", &out), 0) << out;
    EXPECT_NE(out.find("width: 250\n"), std::string::npos) << out;
    EXPECT_NE(out.find("height: 3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("bytes per line: 752\n"), std::string::npos) << out;
    EXPECT_NE(out.find("bits per pixel: 24\n"), std::string::npos) << out;
    EXPECT_NE(out.find("colour order: B, G, R\n"), std::string::npos) << out;
    EXPECT_NE(out.find("bottom-up: yes\n"), std::string::npos) << out;

    EXPECT_EQ(runCommand(kOvfc + " info '" + dir.file("a.png") + "'", &out), 1);
    EXPECT_NE(out.find("status 22"), std::string::npos) << out;
    EXPECT_EQ(runCommand(kOvfc + " info", &out), 2);
}

TEST(OvfcImageCommands, ConvertFitsAndWritesByExtension) {
    TempDir dir;
    const Bytes px = randomPixels(512 * 512, 121);
    const uint32_t size = 512 | (512u << 16);
    const std::string in = dir.file("in.tif");
    ASSERT_EQ(OvWriteClip(in.c_str(), px.data(), 4, &size), OVIO_OK);
    std::string out;
    // Default frame: the same as OvReadImage, written as BMP.
    ASSERT_EQ(runCommand(kOvfc + " convert '" + in + "' '" + dir.file("out.bmp") + "'", &out), 0)
        << out;
    Bytes want(65280), got(65280);
    ASSERT_EQ(OvReadImage(in.c_str(), want.data(), 4), OVIO_OK);
    ASSERT_EQ(OvReadImage(dir.file("out.bmp").c_str(), got.data(), 5), OVIO_OK);
    EXPECT_EQ(got, want);
    // Explicit size, raw output.
    ASSERT_EQ(runCommand(kOvfc + " convert --size 128x128 '" + in + "' '" + dir.file("o.pic") + "'",
                         &out),
              0)
        << out;
    const Bytes pic = readFile(dir.file("o.pic"));
    ASSERT_EQ(pic.size(), 128u * 128u);
    // Omission keeps the last of every four lines and pixels.
    EXPECT_EQ(pic[0], px[3 * 512 + 3]);
    EXPECT_EQ(pic[129], px[7 * 512 + 7]);
    // Errors: bad size, unknown extension, unreadable input.
    EXPECT_EQ(runCommand(kOvfc + " convert --size 0x5 '" + in + "' '" + dir.file("x.tif") + "'"),
              2);
    EXPECT_EQ(runCommand(kOvfc + " convert '" + in + "' '" + dir.file("x.gif") + "'", &out), 1);
    EXPECT_NE(out.find("status 22"), std::string::npos) << out;
    EXPECT_EQ(
        runCommand(kOvfc + " convert '" + dir.file("none.tif") + "' '" + dir.file("y.tif") + "'"),
        1);
    EXPECT_FALSE(fileExists(dir.file("y.tif")));
}
