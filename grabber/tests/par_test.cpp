// The parallel-port camera driver against its simulation.

#include "test_support.h"

using namespace ovftest;

namespace {

// The camera picture row v: sensor rows with a row between every fourth and fifth that
// averages its neighbours.
int sensor(int x, int r) {
    return (x < platform::kKv7Width && r < platform::kKv7Height) ? platform::kv7TestPixel(x, r) : 0;
}
int picture(int x, int v) {
    const int g = v / 5, p = v % 5;
    if (p != 4) return sensor(x, g * 4 + p);
    return (sensor(x, g * 4 + 3) + sensor(x, g * 4 + 4)) >> 1;
}

}  // namespace

class ParCamera : public GrabberTest {
  protected:
    void SetUp() override { ASSERT_EQ(selectBoard(1, "kv7"), OVF_OK); }
};

TEST_F(ParCamera, FindsThePortAndCapturesTheScaledSquare) {
    EXPECT_TRUE(driver().initialised);
    EXPECT_EQ(ovf::lib().settings.ioBase, 0x378);
    ASSERT_EQ(OvfStartCapture(0), OVF_OK);
    std::vector<uint8_t> frame(ovf::kFrameBytes + 16, 0xEE);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_OK);
    const int x0 = 15, y0 = 0, wh = 244;
    int mismatches = 0;
    for (int oy = 0; oy < 255; ++oy)
        for (int ox = 0; ox < 256; ++ox) {
            const int want = picture(x0 + sourceIndex(ox, wh, 256), y0 + sourceIndex(oy, wh, 255));
            mismatches += frame[size_t(oy * 256 + ox)] != want;
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(frame[ovf::kFrameBytes], 0xEE);
    EXPECT_TRUE(driver().IsLive());
    EXPECT_GE(driver().lastGrabMs, 200u);  // Brightness 100: 200 ms of exposure
    OvfStopCapture();
    EXPECT_FALSE(driver().IsLive());
}

TEST_F(ParCamera, LargeAndColourFramesTakeTheStripPath) {
    channel()[ovf::kXMin] = 30;
    channel()[ovf::kYMin] = 12;
    channel()[ovf::kWH] = 200;
    std::vector<uint8_t> frame(512 * 512 * 3);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x02), OVF_OK);
    int mismatches = 0;
    for (int oy = 0; oy < 512; ++oy)
        for (int ox = 0; ox < 512; ++ox)
            mismatches += frame[size_t(oy * 512 + ox)] !=
                          picture(30 + sourceIndex(ox, 200, 512), 12 + sourceIndex(oy, 200, 512));
    EXPECT_EQ(mismatches, 0);

    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x08), OVF_OK);
    mismatches = 0;
    for (int oy = 0; oy < 255; ++oy)
        for (int ox = 0; ox < 256; ++ox) {
            const int want =
                picture(30 + sourceIndex(ox, 200, 256), 12 + sourceIndex(oy, 200, 255));
            for (int c = 0; c < 3; ++c)
                mismatches += frame[size_t((oy * 256 + ox) * 3 + c)] != want;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(ParCamera, UnscaledFlippedAndInvertedReads) {
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    channel()[ovf::kXMin] = 40;
    channel()[ovf::kYMin] = 7;
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x04), OVF_OK);
    EXPECT_EQ(frame[0], picture(40, 7));
    EXPECT_EQ(frame[size_t(100 * 256 + 3)], picture(43, 107));
    EXPECT_EQ(frame[size_t(254 * 256 + 255)], picture(295, 261));

    channel()[ovf::kFlipVertically] = 1;
    channel()[ovf::kInvertion] = 1;
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x04), OVF_OK);
    EXPECT_EQ(frame[size_t(254 * 256)], 255 - picture(40, 7));
    EXPECT_EQ(frame[size_t(154 * 256 + 3)], 255 - picture(43, 107));
}

TEST_F(ParCamera, ExposureFollowsBrightness) {
    channel()[ovf::kBrightness] = 25;  // 50 ms: about a quarter of the light
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x04), OVF_OK);
    const int x = 200, y = 100;  // a bright spot of the test picture
    const int want = picture(15 + x, 0 + y);
    ASSERT_GT(want, 100);
    const int got = frame[size_t(y * 256 + x)];
    EXPECT_LT(got, want / 2);
    EXPECT_GE(got, want / 4 - 1);
    EXPECT_GE(driver().lastGrabMs, 50u);
    EXPECT_LT(driver().lastGrabMs, 200u);
}

TEST_F(ParCamera, WithoutAPortTheBaseStaysZero) {
    // A bus without a parallel port: nothing to detect.
    ASSERT_EQ(selectBoard(1, "ce"), OVF_OK);
    EXPECT_EQ(ovf::lib().settings.ioBase, 0);
    EXPECT_TRUE(driver().initialised);
    // Without port access the driver does not initialise and says why.
    ASSERT_EQ(selectBoard(1), OVF_OK);
    EXPECT_FALSE(driver().initialised);
    EXPECT_EQ(OvfInit(), OVF_E_NOT_READY);
    std::vector<uint8_t> frame(ovf::kFrameBytes, 1);
    EXPECT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_E_FAILED);
    EXPECT_EQ(frame[0], 1);
    EXPECT_NE(ovf::diagnosticsText().find("requires OVPort hardware driver"), std::string::npos);
}

TEST_F(ParCamera, DiagnosticsOfAWorkingCamera) {
    const std::string text = ovf::diagnosticsText();
    EXPECT_EQ(text.rfind("There is no way to verify this device status.\r\n", 0), 0u);
    EXPECT_NE(text.find("press Reinitialize button"), std::string::npos);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 100);
}
