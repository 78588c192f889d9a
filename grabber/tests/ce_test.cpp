// The ComputerEyes/RT driver against its simulation.

#include "test_support.h"

using namespace ovftest;

class ComputerEyes : public GrabberTest {
  protected:
    platform::SimulatedComputerEyes* card() { return card_; }
    void attach(const std::string& spec) {
        ASSERT_EQ(selectBoard(4, spec), OVF_OK);
        card_ = nullptr;
    }
    platform::SimulatedComputerEyes* card_ = nullptr;
};

TEST_F(ComputerEyes, FoundAtTheSecondAddressAndCapturesScaled) {
    attach("ce@0x230");
    ASSERT_TRUE(driver().initialised);
    EXPECT_EQ(ovf::lib().settings.ioBase, 0x230);  // 0x220 read 0xFF twice
    EXPECT_EQ(ovf::lib().ceControl >> 6, 0);
    ASSERT_EQ(OvfStartCapture(0), OVF_OK);
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0), OVF_OK);
    // Defaults 70/70 give the neutral digitiser levels. Rows 70..429, every fourth left out.
    std::vector<int> rows;
    for (int i = 0; i < 360; ++i)
        if (i % 4 != 3) rows.push_back(70 + i);
    int mismatches = 0;
    for (int oy = 0; oy < 255; ++oy)
        for (int ox = 0; ox < 256; ++ox) {
            const int row = rows[size_t(sourceIndex(oy, int(rows.size()), 255))];
            const int col = 55 + sourceIndex(ox, 360, 256);
            mismatches += frame[size_t(oy * 256 + ox)] != platform::ceScenePixel(col, row);
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(driver().IsLive());
}

TEST_F(ComputerEyes, LargeFrameAndInterlace) {
    attach("ce");
    ASSERT_EQ(ovf::lib().settings.ioBase, 0x220);
    std::vector<uint8_t> frame(512 * 512);
    ASSERT_EQ(OvfCaptureFrame(0, frame.data(), 0x02), OVF_OK);
    int mismatches = 0;
    for (int oy = 0; oy < 512; ++oy)
        for (int ox = 0; ox < 512; ++ox)
            mismatches += frame[size_t(oy * 512 + ox)] !=
                          platform::ceScenePixel(55 + sourceIndex(ox, 360, 512),
                                                 70 + sourceIndex(oy, 360, 512));
    EXPECT_EQ(mismatches, 0);
    // Reversed fields exchange the lines of each pair.
    channel()[ovf::kInterlace] = 1;
    channel()[ovf::kXMin] = 10;
    std::vector<uint8_t> small(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, small.data(), 0x04), OVF_OK);
    EXPECT_EQ(small[0], platform::ceScenePixel(10, 71));
    EXPECT_EQ(small[256], platform::ceScenePixel(10, 70));
}

TEST_F(ComputerEyes, AdjustmentsTravelOverTheSerialBus) {
    attach("ce@0x240");
    auto& s = ovf::lib();
    // 30/60: first = 60*24/100 - 30*63/200 + 19 = 14 - 9 + 19, second = 66 - 9 - 14.
    ASSERT_EQ(driver().Control(ovf::kindBrightnessContrast, 30 | (60 << 16)), 0);
    EXPECT_EQ(s.ceAdjust[0], 24);
    EXPECT_EQ(s.ceAdjust[1], 43);
    // Very high contrast would cross the levels: both become their average.
    ASSERT_EQ(driver().Control(ovf::kindBrightnessContrast, 0 | (100 << 16)), 0);
    EXPECT_EQ(s.ceAdjust[0], 42);
    EXPECT_EQ(s.ceAdjust[1], 42);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 0 + 100 * 65536);
}

TEST_F(ComputerEyes, InvertedBrightnessRoundTrip) {
    attach("ce");
    channel()[ovf::kInvertion] = 1;
    ASSERT_EQ(driver().Control(ovf::kindBrightnessContrast, 30 | (60 << 16)), 0);
    // Programmed as 70/40: first = 9 - 22 + 19, second = 66 - 22 - 9.
    EXPECT_EQ(ovf::lib().ceAdjust[0], 6);
    EXPECT_EQ(ovf::lib().ceAdjust[1], 35);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 30 + 60 * 65536);
}

TEST_F(ComputerEyes, BrightnessChangesTheDigitisedFrame) {
    attach("ce");
    std::vector<uint8_t> neutral(ovf::kFrameBytes), bright(ovf::kFrameBytes);
    ASSERT_EQ(OvfCaptureFrame(0, neutral.data(), 0), OVF_OK);
    channel()[ovf::kBrightness] = 100;
    ASSERT_EQ(OvfCaptureFrame(0x200, bright.data(), 0), OVF_OK);  // programs the channel again
    const int first = ovf::lib().ceAdjust[0], second = ovf::lib().ceAdjust[1];
    long sumNeutral = 0, sumBright = 0;
    int mismatches = 0;
    std::vector<int> rows;
    for (int i = 0; i < 360; ++i)
        if (i % 4 != 3) rows.push_back(70 + i);
    for (int oy = 0; oy < 255; ++oy)
        for (int ox = 0; ox < 256; ++ox) {
            const size_t i = size_t(oy * 256 + ox);
            sumNeutral += neutral[i];
            sumBright += bright[i];
            const int row = rows[size_t(sourceIndex(oy, int(rows.size()), 255))];
            const uint8_t scene = platform::ceScenePixel(55 + sourceIndex(ox, 360, 256), row);
            mismatches += bright[i] != platform::ceDigitise(scene, first, second);
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(sumBright, sumNeutral + 255L * 256 * 20);
}

TEST_F(ComputerEyes, InputSelectionAndMissingBoard) {
    attach("ce");
    ASSERT_EQ(driver().Control(ovf::kindChannel, 1), 0);
    EXPECT_EQ(driver().Query(ovf::kindChannel), 1);
    EXPECT_EQ(ovf::lib().settings.channelNo, 1);
    ASSERT_EQ(driver().Control(ovf::kindChannel, ovf::kKeepInput), 0);
    EXPECT_EQ(driver().Query(ovf::kindChannel), 1);
    EXPECT_EQ(ovf::lib().ceControl & 0x3F, 0x39 & 0x3F);

    attach("kv7");  // no card anywhere
    EXPECT_FALSE(driver().initialised);
    EXPECT_EQ(OvfInit(), OVF_E_NOT_READY);
    EXPECT_NE(ovf::diagnosticsText().find("ComputerEyes/RT board is properly installed"),
              std::string::npos);
}

TEST_F(ComputerEyes, GrabTimesOutWithoutFieldSignal) {
    attach("ce");
    // Replace the card by a register that answers the probe but never shows a field.
    class Mute final : public platform::SimulatedDevice {
      public:
        Mute() : SimulatedDevice(0x220, 4) {}
        uint8_t read(uint16_t) override { return uint8_t((control_ & 0x08) ? 0x28 : 0x08); }
        void write(uint16_t, uint8_t v) override { control_ = v; }
        uint8_t control_ = 0;
    };
    auto bus = std::make_unique<platform::SimulatedPortBus>();
    bus->attach(std::make_unique<Mute>());
    ovf::setPortIo(std::move(bus));
    ASSERT_EQ(driver().Init(ovf::lib().internalFile, false), 0);
    EXPECT_EQ(driver().Grab(), ovf::kGrabTimeout);
    EXPECT_EQ(ovf::lib().ceControl & 0x05, 0x01);  // acquisition off again
}
