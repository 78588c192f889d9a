// Edge cases of the capture path and the resampling rule.

#include "resample.h"
#include "test_support.h"

using namespace ovftest;

TEST(Resampling, ErrorAccumulationRepeatsAndDropsEvenly) {
    for (int src : {1, 3, 244, 255, 256, 360, 512})
        for (int out : {1, 2, 255, 256, 511, 512}) {
            const auto table = ovf::resampleTable(src, out);
            ASSERT_EQ(int(table.size()), out) << src << "->" << out;
            for (int o = 0; o < out; ++o) ASSERT_EQ(table[size_t(o)], sourceIndex(o, src, out));
        }
    // 4 -> 6: items 1 and 3 are doubled; 6 -> 4: items 0 and 3 are dropped.
    EXPECT_EQ(ovf::resampleTable(4, 6), (std::vector<int32_t>{0, 1, 1, 2, 3, 3}));
    EXPECT_EQ(ovf::resampleTable(6, 4), (std::vector<int32_t>{1, 2, 4, 5}));
    EXPECT_TRUE(ovf::resampleTable(0, 5).empty());
}

class Capture : public GrabberTest {
  protected:
    void SetUp() override { ASSERT_EQ(selectBoard(4, "ce"), OVF_OK); }
};

TEST_F(Capture, DefaultFrameFillsExactlyItsBytesAndStaysLive) {
    ASSERT_EQ(OvfStartCapture(256), OVF_OK);
    std::vector<uint8_t> frame(ovf::kFrameBytes + 64, 0x5A);
    ASSERT_EQ(OvfCaptureFrame(256, frame.data(), 0), OVF_OK);
    EXPECT_EQ(std::count(frame.begin() + ovf::kFrameBytes, frame.end(), 0x5A), 64);
    EXPECT_LT(std::count(frame.begin(), frame.begin() + ovf::kFrameBytes, 0x5A), 1000);
    EXPECT_TRUE(driver().IsLive());
    EXPECT_EQ(ovf::lib().transferWidth, 256);
    EXPECT_EQ(ovf::lib().transferHeight, 255);
}

TEST_F(Capture, LargeColourFrameSize) {
    const size_t size = 512 * 512 * 3;
    ASSERT_EQ(size, 786432u);
    std::vector<uint8_t> frame(size + 64, 0x5A);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x0A), OVF_OK);
    EXPECT_EQ(std::count(frame.begin() + long(size), frame.end(), 0x5A), 64);
    // A grey source: the three bytes of every pixel agree.
    int unequal = 0;
    for (size_t i = 0; i < size; i += 3)
        unequal += frame[i] != frame[i + 1] || frame[i] != frame[i + 2];
    EXPECT_EQ(unequal, 0);
    EXPECT_FALSE(driver().IsLive());  // was not live before: stays so
}

TEST_F(Capture, EmptySquareWritesNothing) {
    channel()[ovf::kWH] = 0;
    std::vector<uint8_t> frame(512 * 512, 0x33);
    EXPECT_EQ(OvfCaptureFrame(0, frame.data(), 0x02), OVF_E_FAILED);
    EXPECT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_E_FAILED);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0x33), long(frame.size()));
}

TEST_F(Capture, NoRoomForAStripLine) {
    ovf::lib().stripLimit = 359;  // less than one line of 360 pixels
    std::vector<uint8_t> frame(512 * 512, 0x33);
    EXPECT_EQ(OvfCaptureFrame(0, frame.data(), 0x02), OVF_E_NO_MEMORY);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0x33), long(frame.size()));
    // With room for a single line per strip the frame is complete and the same.
    std::vector<uint8_t> full(512 * 512), thin(512 * 512);
    ovf::lib().stripLimit = ovf::kStripLimit;
    ASSERT_EQ(OvfCaptureFrame(0, full.data(), 0x02), OVF_OK);
    ovf::lib().stripLimit = 360;
    ASSERT_EQ(OvfCaptureFrame(0, thin.data(), 0x02), OVF_OK);
    EXPECT_EQ(full, thin);
}

TEST_F(Capture, InversionAppliesToEveryPath) {
    std::vector<uint8_t> plain(512 * 512), inverted(512 * 512);
    for (int flags : {0, 0x02}) {
        channel()[ovf::kInvertion] = 0;
        ASSERT_EQ(OvfCaptureFrame(0, plain.data(), int16_t(flags)), OVF_OK);
        channel()[ovf::kInvertion] = 1;
        // Inversion also flips the programmed levels: reprogram neutral ones.
        channel()[ovf::kBrightness] = 30;
        channel()[ovf::kContrast] = 30;
        ASSERT_EQ(OvfCaptureFrame(0x200, inverted.data(), int16_t(flags)), OVF_OK);
        const size_t n = flags ? plain.size() : size_t(ovf::kFrameBytes);
        int wrong = 0;
        for (size_t i = 0; i < n; ++i) wrong += inverted[i] != 255 - plain[i];
        EXPECT_EQ(wrong, 0) << flags;
        channel()[ovf::kBrightness] = 70;
        channel()[ovf::kContrast] = 70;
        channel()[ovf::kInvertion] = 0;
        ASSERT_EQ(driver().Control(ovf::kindChannel, 0x200), 0);
    }
}

TEST_F(Capture, HeldFrameIsReadWithoutANewGrab) {
    std::vector<uint8_t> first(ovf::kFrameBytes), held(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, first.data(), 0), OVF_OK);
    // New levels without a new frame: the held frame keeps the old digitisation.
    channel()[ovf::kBrightness] = 100;
    ASSERT_EQ(driver().Control(ovf::kindChannel, 0x200), 0);
    ASSERT_EQ(OvfCaptureFrame(0, held.data(), 0x10), OVF_OK);
    EXPECT_EQ(first, held);
    ASSERT_EQ(OvfCaptureFrame(0, held.data(), 0), OVF_OK);
    EXPECT_NE(first, held);
}

TEST_F(Capture, SynchronizeReinitialisesTheBoard) {
    channel()[ovf::kXMin] = 77;
    EXPECT_EQ(OvfSynchronizeFramegrabber(), OVF_OK);
    EXPECT_TRUE(driver().initialised);
    EXPECT_EQ(channel()[ovf::kXMin], 77);  // saved and loaded again
    ovf::lib().dialogOpen = ovf::lib().dialogVisible = true;
    int forwarded = 0;
    ovf::lib().dialogSynchronize = [&] { return int16_t(++forwarded); };
    EXPECT_EQ(OvfSynchronizeFramegrabber(), OVF_E_FAILED);
    ovf::lib().dialogOpen = ovf::lib().dialogVisible = false;
    ovf::lib().dialogSynchronize = nullptr;
    EXPECT_EQ(forwarded, 1);
    EXPECT_EQ(OvfDone(), OVF_OK);
    EXPECT_FALSE(driver().initialised);
    EXPECT_TRUE(ovf::lib().workFrame.empty());
    EXPECT_EQ(OvfTune(0), OVF_E_NO_MEMORY);
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    EXPECT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_E_FAILED);
    EXPECT_EQ(OvfStartCapture(0), OVF_OK);  // initialises again
    EXPECT_TRUE(driver().IsLive());
}
