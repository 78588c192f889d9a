// Every board driver through the exported calls in the order a program uses them.

#include "test_support.h"

using namespace ovftest;

namespace {

struct Board {
    int number;
    const char* simulation;
};

class EndToEnd : public GrabberTest, public ::testing::WithParamInterface<Board> {};

}  // namespace

TEST_P(EndToEnd, InitCaptureTuneStop) {
    const Board b = GetParam();
    ASSERT_EQ(selectBoard(b.number, b.simulation), OVF_OK);
    ASSERT_EQ(OvfInit(), OVF_OK);
    ASSERT_EQ(OvfLoadConfig(""), OVF_OK);
    ASSERT_EQ(OvfStartCapture(0), OVF_OK);
    std::vector<uint8_t> grey(ovf::kFrameBytes), large(512 * 512), colour(ovf::kFrameBytes * 3);
    ASSERT_EQ(OvfCaptureFrame(0, grey.data(), 0), OVF_OK);
    ASSERT_EQ(OvfCaptureFrame(0, large.data(), 0x02), OVF_OK);
    ASSERT_EQ(OvfCaptureFrame(0, colour.data(), 0x08), OVF_OK);
    EXPECT_TRUE(driver().IsLive());
    // The large frame is the same picture: its centre agrees with the small one's.
    const int small = grey[size_t(127 * 256 + 128)];
    const int big = large[size_t(256 * 512 + 256)];
    EXPECT_LE(std::abs(small - big), 40) << small << " " << big;

    const int16_t before[2] = {channel()[ovf::kBrightness], channel()[ovf::kContrast]};
    ASSERT_EQ(OvfTune(0), OVF_OK);
    const ovf::BoardDescriptor& d = *driver().descriptor;
    const int bri = channel()[ovf::kBrightness], con = channel()[ovf::kContrast];
    EXPECT_GE(bri, d.brightnessMin);
    EXPECT_LE(bri, d.brightnessMax);
    EXPECT_GE(con, d.contrastMin);
    EXPECT_LE(con, d.contrastMax);
    EXPECT_TRUE(bri != before[0] || con != before[1]);
    ASSERT_EQ(OvfCaptureFrame(0, grey.data(), 0), OVF_OK);
    EXPECT_EQ(OvfStopCapture(), OVF_OK);
    EXPECT_FALSE(driver().IsLive());
    ASSERT_EQ(OvfSaveConfig(""), OVF_OK);
    EXPECT_EQ(OvfDone(), OVF_OK);
    EXPECT_FALSE(driver().initialised);
}

INSTANTIATE_TEST_SUITE_P(Boards, EndToEnd,
                         ::testing::Values(Board{1, "kv7"}, Board{2, ""}, Board{4, "ce@0x230"},
                                           Board{5, ""}),
                         [](const auto& info) { return std::to_string(info.param.number); });
