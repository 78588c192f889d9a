// Automatic brightness and contrast.

#include <cstdlib>

#include "test_support.h"
#include "tune_levels.h"

using namespace ovftest;

TEST(TuneLevels, HistogramLevelsOfKnownFrames) {
    std::vector<uint8_t> frame(1000, 0);
    auto f = ovf::measureLevels(frame.data(), frame.size());
    EXPECT_EQ(f.low, -5);  // dark and more than a tenth below level 7
    EXPECT_EQ(f.high, 0);
    EXPECT_EQ(f.middle, -1000);

    std::fill(frame.begin(), frame.end(), 40 * 4);  // all at level 40
    f = ovf::measureLevels(frame.data(), frame.size());
    EXPECT_EQ(f.low, 40);
    EXPECT_EQ(f.high, 40);
    EXPECT_EQ(f.middle, 1000);

    // 100 pixels (exactly the tenth) at level 3, the rest at level 60.
    std::fill(frame.begin(), frame.begin() + 100, 3 * 4);
    std::fill(frame.begin() + 100, frame.end(), 60 * 4 + 3);
    f = ovf::measureLevels(frame.data(), frame.size());
    EXPECT_EQ(f.low, 3);  // the count equals the tenth: not exceeded
    EXPECT_EQ(f.high, 68);
    EXPECT_EQ(f.middle, -1000);

    // High level below the low one is raised to it.
    std::fill(frame.begin(), frame.end(), 20 * 4);
    std::fill(frame.begin(), frame.begin() + 50, 10 * 4);
    f = ovf::measureLevels(frame.data(), frame.size());
    EXPECT_EQ(f.low, 20);
    EXPECT_EQ(f.high, 20);
}

class Tune : public GrabberTest {};

TEST_F(Tune, RequiresAFrameAndADriver) {
    ASSERT_EQ(selectBoard(4), OVF_OK);  // no port access
    EXPECT_EQ(OvfTune(0), OVF_E_FAILED);
    OvfDone();
    EXPECT_EQ(OvfTune(0), OVF_E_NO_MEMORY);
}

TEST_F(Tune, FindsLevelsThatSpreadTheHistogram) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    channel()[ovf::kBrightness] = 0;
    channel()[ovf::kContrast] = 0;
    ASSERT_EQ(OvfTune(0), OVF_OK);
    const int b = channel()[ovf::kBrightness], c = channel()[ovf::kContrast];
    EXPECT_GT(b, 0);
    EXPECT_LE(b, 100);
    EXPECT_GE(c, 0);
    EXPECT_LE(c, 100);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), b + c * 65536);  // programmed
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_OK);
    const auto f = ovf::measureLevels(frame.data(), frame.size());
    EXPECT_LE(std::abs((f.low + f.high) / 2 - 31), 6) << f.low << " " << f.high;
}

TEST_F(Tune, EscapeKeepsTheStoredValues) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    channel()[ovf::kBrightness] = 12;
    channel()[ovf::kContrast] = 34;
    int polls = 0;
    ovf::lib().escapePressed = [&] { return ++polls == 3; };
    EXPECT_EQ(OvfTune(0), OVF_OK);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(channel()[ovf::kBrightness], 12);
    EXPECT_EQ(channel()[ovf::kContrast], 34);
    // The board keeps the second step's values: contrast 50, brightness 25 or 75.
    const int32_t q = driver().Query(ovf::kindBrightnessContrast);
    EXPECT_EQ(q >> 16, 50);
    EXPECT_TRUE((q & 0xFFFF) == 25 || (q & 0xFFFF) == 75) << (q & 0xFFFF);
}
