// The FlashPoint and Matrox drivers against the stand-in vendor libraries.

#include <cstdlib>

#include "exported_layer.h"
#include "synthetic_frames.h"
#include "test_support.h"

using namespace ovftest;

namespace {

// The FlashPoint's off-screen pixel (x, y), byte c, for input window (110, 20, 370, 370),
// an off-screen of 260 x 257 and adjustments 60/60.
int fpvPixel(int source, int x, int y, int c) {
    const int sx = 110 + x * 370 / 260, sy = 20 + y * 370 / 257;
    return standin::fpvAdjust(standin::fpvScene(source, sx, sy, c), 60, 60);
}

// The Matrox grab buffer pixel for the default window (110, 20, 370, 370) zoomed to 256 x 255.
int milPixel(int channel, int x, int y, int brightness = 200, int contrast = 200) {
    const double sx = double(256) / double(370), sy = double(255) / double(370);
    return standin::milAdjust(standin::milScene(channel, 110 + int(x / sx), 20 + int(y / sy)),
                              brightness, contrast);
}

}  // namespace

class FlashPoint : public GrabberTest {
  protected:
    void SetUp() override { ASSERT_EQ(selectBoard(2), OVF_OK); }
};

TEST_F(FlashPoint, GreyColourAndLargeFrames) {
    ASSERT_TRUE(driver().initialised);
    EXPECT_EQ(OvfChannelCount(), 2);
    ASSERT_EQ(OvfStartCapture(0), OVF_OK);
    std::vector<uint8_t> frame(512 * 512 * 3);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_OK);
    int mismatches = 0;
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 256; ++x)
            mismatches += frame[size_t(y * 256 + x)] != fpvPixel(0, x, y, 0);
    EXPECT_EQ(mismatches, 0);

    // Colour: the board's first and third bytes exchanged.
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x08), OVF_OK);
    mismatches = 0;
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 256; ++x)
            for (int c = 0; c < 3; ++c)
                mismatches += frame[size_t((y * 256 + x) * 3 + c)] != fpvPixel(0, x, y, 2 - c);
    EXPECT_EQ(mismatches, 0);

    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x0A), OVF_OK);
    mismatches = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            for (int c = 0; c < 3; ++c)
                mismatches +=
                    frame[size_t((y * 512 + x) * 3 + c)] !=
                    fpvPixel(0, sourceIndex(x, 256, 512), sourceIndex(y, 255, 512), 2 - c);
    EXPECT_EQ(mismatches, 0);
    OvfStopCapture();
    EXPECT_FALSE(driver().IsLive());
}

TEST_F(FlashPoint, SecondInputShowsItsOwnScene) {
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(1, frame.data(), 0), OVF_OK);
    EXPECT_EQ(driver().Query(ovf::kindChannel), 1);
    EXPECT_EQ(ovf::lib().settings.channelNo, 1);
    EXPECT_EQ(frame[size_t(40 * 256 + 7)], fpvPixel(1, 7, 40, 0));
    EXPECT_NE(fpvPixel(1, 7, 40, 0), fpvPixel(0, 7, 40, 0));
}

TEST_F(FlashPoint, InvertedBrightnessRoundTrip) {
    channel()[ovf::kInvertion] = 1;
    ASSERT_EQ(driver().Control(ovf::kindBrightnessContrast, 10 | (20 << 16)), 0);
    EXPECT_EQ(ovf::lib().fpv.FPV_GetVideoAdjustments(2), 53);
    EXPECT_EQ(ovf::lib().fpv.FPV_GetVideoAdjustments(3), 43);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 10 + 20 * 65536);
    // Stored -1 means: take the board's value.
    channel()[ovf::kSaturation] = -1;
    channel()[ovf::kBrightness] = -1;
    ASSERT_EQ(driver().Control(ovf::kindChannel, 0x200), 0);
    EXPECT_EQ(channel()[ovf::kBrightness], 10);
    EXPECT_EQ(channel()[ovf::kContrast], 20);
    EXPECT_EQ(channel()[ovf::kSaturation], ovf::lib().fpv.FPV_GetVideoAdjustments(1));
}

TEST_F(FlashPoint, LinesFrom484OnAreCleared) {
    driver().SetFrameSize(256, 600);  // as the dialog's large frame size would
    ASSERT_EQ(driver().Grab(), 0);
    ovf::lib().transferWidth = 10;
    std::vector<uint8_t> part(10 * 10 * 3, 0xAA);
    EXPECT_EQ(driver().ReadImage(ovf::Rect{0, 480, 10, 10}, nullptr, part.data()), 300);
    ovf::lib().transferWidth = 256;
    for (int r = 0; r < 10; ++r) {
        const int off = r * 30;
        const int sy = 20 + (480 + r) * 370 / 602;
        const int want = standin::fpvAdjust(standin::fpvScene(0, 110, sy, 0), 60, 60);
        if (r < 4)
            EXPECT_EQ(part[size_t(off)], want) << r;
        else
            EXPECT_EQ(std::count(part.begin() + off, part.begin() + off + 30, 0), 30) << r;
    }
    // A destination rectangle is not supported.
    const uint32_t beeps = ovf::lib().errorBeeps;
    const ovf::Rect dst{0, 0, 5, 5};
    EXPECT_EQ(driver().ReadImage(ovf::Rect{0, 0, 5, 5}, &dst, part.data()), 0);
    EXPECT_EQ(ovf::lib().errorBeeps, beeps + 1);
}

TEST_F(FlashPoint, DiagnosticsTexts) {
    EXPECT_NE(ovf::diagnosticsText().find("Color Palette"), std::string::npos);
    driver().Close();
    EXPECT_NE(ovf::diagnosticsText().find("FPV.DLL (or FPV32.DLL)"), std::string::npos);
}

class Matrox : public GrabberTest {};

TEST_F(Matrox, CapturesTheZoomedWindow) {
    ASSERT_EQ(selectBoard(5), OVF_OK);
    ASSERT_TRUE(driver().initialised);
    EXPECT_EQ(OvfChannelCount(), 4);
    ASSERT_EQ(OvfStartCapture(0), OVF_OK);
    std::vector<uint8_t> frame(512 * 512 * 3);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_OK);
    int mismatches = 0;
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 256; ++x) mismatches += frame[size_t(y * 256 + x)] != milPixel(0, x, y);
    EXPECT_EQ(mismatches, 0);

    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x0A), OVF_OK);  // grey board, colour output
    mismatches = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const int want = milPixel(0, sourceIndex(x, 256, 512), sourceIndex(y, 255, 512));
            for (int c = 0; c < 3; ++c) mismatches += frame[size_t((y * 512 + x) * 3 + c)] != want;
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_NE(ovf::diagnosticsText().find("appears to be operating properly"), std::string::npos);
}

TEST_F(Matrox, ChannelCodesAndReferences) {
    ASSERT_EQ(selectBoard(5), OVF_OK);
    auto& m = ovf::lib().mil;
    auto& d = static_cast<ovf::tMIL&>(driver());
    const int64_t codes[4] = {0x20000000, 0x40000000, 0x80000000, 0x01000000};
    for (int input = 3; input >= 0; --input) {
        ASSERT_EQ(driver().Control(ovf::kindChannel, input), 0);
        EXPECT_EQ(m.MdigInquire(d.digitiser, 4000, nullptr), codes[input]) << input;
        EXPECT_EQ(driver().Query(ovf::kindChannel), input);
    }
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(3, frame.data(), 0), OVF_OK);
    EXPECT_EQ(frame[size_t(100 * 256 + 100)], milPixel(3, 100, 100));

    channel(3)[ovf::kInvertion] = 1;  // the input now selected
    ASSERT_EQ(driver().Control(ovf::kindBrightnessContrast, 100 | (150 << 16)), 0);
    EXPECT_EQ(m.MdigInquire(d.digitiser, 4008, nullptr), 155);
    EXPECT_EQ(m.MdigInquire(d.digitiser, 4009, nullptr), 105);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 100 + 150 * 65536);
}

TEST_F(Matrox, SetUpFailureReleasesEverything) {
    ::setenv("OVF_STANDIN_MIL_FAIL", "MdigAlloc", 1);
    const int16_t r = selectBoard(5);
    ::unsetenv("OVF_STANDIN_MIL_FAIL");
    EXPECT_EQ(r, OVF_OK);  // the board is selected, its driver did not initialise
    EXPECT_FALSE(driver().initialised);
    auto& d = static_cast<ovf::tMIL&>(driver());
    EXPECT_EQ(d.system, 0);
    EXPECT_EQ(d.application, 0);
    EXPECT_EQ(driver().Init(ovf::lib().internalFile, false), 0);  // works again
    EXPECT_NE(d.grabBuffer, 0);
}
