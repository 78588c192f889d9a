// The live dialog's record, tags and handler codes on simulated boards, without widgets.

#include <filesystem>

#include "live_record.h"
#include "live_session.h"
#include "test_support.h"

using namespace ovftest;
using ovf::channelField;
using ovf::LiveSession;

namespace {

struct FakeHost : LiveSession::Host {
    std::vector<std::string> messages, diagnostics;
    std::optional<std::string> saveName;
    int refills = 0, waitOn = 0, waitOff = 0;
    void showMessage(const std::string& t) override { messages.push_back(t); }
    std::optional<std::string> askSaveName() override { return saveName; }
    void setWaitCursor(bool on) override { ++(on ? waitOn : waitOff); }
    void showDiagnostics(const std::string& t) override { diagnostics.push_back(t); }
    void refill() override { ++refills; }
};

}  // namespace

TEST(LiveRecord, EveryFieldGoesToItsSettingAndBack) {
    ovf::GrabberSettings s;
    s.channelNo = 1;
    s.ioBase = 0x378;
    for (int i = 0; i < ovf::kChannelValues; ++i) {
        s.channels[0][i] = int16_t(500 + i);
        s.channels[1][i] = int16_t(100 + i);
    }
    ovf::LiveRecord r = ovf::recordFromSettings(s, 4);
    EXPECT_EQ(r[ovf::fChannelNo], 1);
    EXPECT_EQ(r[ovf::fIOBase], 0x378);
    for (int i = 0; i < ovf::kChannelValues; ++i) EXPECT_EQ(r[3 + i], 100 + i) << i;
    EXPECT_EQ(r[ovf::fBoard], 4);

    for (int n = 3; n <= 18; ++n) r[n] = int16_t(-n);
    ovf::GrabberSettings back = s;
    ovf::recordToSettings(r, back);
    for (int i = 0; i < ovf::kChannelValues; ++i) {
        EXPECT_EQ(back.channels[1][i], -(3 + i));
        EXPECT_EQ(back.channels[0][i], 500 + i);  // other channels untouched
    }
}

TEST(LiveRecord, TagsNameTheirFields) {
    for (int n = 1; n <= ovf::kRecordFields; ++n) {
        const auto control = ovf::bindingOfTag(ovf::controlTag(n));
        ASSERT_TRUE(control) << n;
        EXPECT_EQ(control->field, n);
        EXPECT_FALSE(control->panel);
        const auto panel = ovf::bindingOfTag(ovf::panelTag(n));
        ASSERT_TRUE(panel) << n;
        EXPECT_EQ(panel->field, n);
        EXPECT_TRUE(panel->panel);
    }
    // The four channel buttons stand for inputs 0..3.
    for (int k = 1; k <= 4; ++k) {
        const auto b = ovf::bindingOfTag(100 + k);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->field, 1);
        EXPECT_EQ(b->radioValue, k - 1);
    }
    EXPECT_EQ(ovf::positionTag(301), 351);  // sbBri shows itself in its panel
    EXPECT_FALSE(ovf::bindingOfTag(0));
    EXPECT_FALSE(ovf::bindingOfTag(2001));
    EXPECT_FALSE(ovf::bindingOfTag(302));
}

TEST(LiveRecord, GreyTableAndMessages) {
    const auto plain = ovf::greyTable(false);
    const auto inverted = ovf::greyTable(true);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(plain[size_t(i)], i);
        EXPECT_EQ(inverted[size_t(i)], 255 - i);
    }
    const auto coarse = ovf::greyTable(false, 64);
    EXPECT_EQ(coarse[0], 0);
    EXPECT_EQ(coarse[3], 0);
    EXPECT_EQ(coarse[4], coarse[7]);
    EXPECT_EQ(coarse[255], 255);
    EXPECT_EQ(ovf::formatMessage("File saving error&^&", "/x.tif"), "File saving error\n/x.tif");
}

class LiveSessionTest : public GrabberTest {
  protected:
    FakeHost host;
};

TEST_F(LiveSessionTest, BrightnessAndContrastReachTheBoard) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    EXPECT_EQ(session.setup().bri, (ovf::BarRange{0, 100}));
    session.record()[channelField(ovf::kBrightness)] = 33;
    session.record()[channelField(ovf::kContrast)] = 66;
    session.handle(ovf::hLevels);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 33 + 66 * 65536);
    EXPECT_EQ(channel()[ovf::kBrightness], 33);
    EXPECT_EQ(channel()[ovf::kContrast], 66);
}

TEST_F(LiveSessionTest, InvertReprogramsTheLevelsAndReversesThePicture) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.record()[channelField(ovf::kBrightness)] = 20;
    session.record()[channelField(ovf::kContrast)] = 30;
    session.handle(ovf::hLevels);
    session.record()[channelField(ovf::kInvertion)] = 1;
    session.handle(ovf::hLevels);
    EXPECT_EQ(channel()[ovf::kInvertion], 1);
    // The board reports what it was told, also inverted: the record keeps 20 and 30.
    EXPECT_EQ(session.record()[channelField(ovf::kBrightness)], 20);
    EXPECT_EQ(session.record()[channelField(ovf::kContrast)], 30);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 20 + 30 * 65536);
}

TEST_F(LiveSessionTest, ChannelChangeLoadsThatChannelsSettings) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    channel(1)[ovf::kBrightness] = 11;
    channel(1)[ovf::kContrast] = 22;
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    EXPECT_EQ(session.setup().channelCount, 2);
    session.record()[ovf::fChannelNo] = 1;
    session.handle(ovf::hChannel);
    EXPECT_EQ(ovf::lib().settings.channelNo, 1);
    EXPECT_EQ(session.record()[channelField(ovf::kBrightness)], 11);
    EXPECT_EQ(driver().Query(ovf::kindChannel), 1);
    EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast), 11 + 22 * 65536);
    EXPECT_GT(host.refills, 0);
}

TEST_F(LiveSessionTest, DrawingBoardsExchangeTheBarPairs) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.record()[channelField(ovf::kWH)] = 300;
    session.setUpControls();
    const auto& s = session.setup();
    EXPECT_TRUE(s.drawsPicture);
    // The bars beside the picture move the viewfinder over the board frame.
    EXPECT_EQ(s.dispXField, channelField(ovf::kLiveOrgX));
    EXPECT_EQ(s.dispX.max, 420);  // 720 - 300
    EXPECT_EQ(s.dispY.max, 150);  // clamp(512 - 300)
    EXPECT_EQ(s.readXField, channelField(ovf::kXMin));
    EXPECT_EQ(s.readX.max, 720 - 256);
    EXPECT_EQ(s.readY.max, 150);
}

TEST_F(LiveSessionTest, WindowSizeKeepsTheSquareCentredOnFullFrameBoards) {
    ASSERT_EQ(selectBoard(5), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    EXPECT_FALSE(session.setup().drawsPicture);
    EXPECT_EQ(session.setup().dispXField, channelField(ovf::kXMin));
    session.record()[channelField(ovf::kXMin)] = 100;
    session.record()[channelField(ovf::kWH)] = 300;
    session.storeRecord();
    session.record()[channelField(ovf::kWH)] = 200;
    session.handle(ovf::hWindowSize);
    // Centre at 100 + 150 = 250 before and after.
    EXPECT_EQ(channel()[ovf::kXMin], 150);
    EXPECT_EQ(session.setup().dispX.max, 520);
    EXPECT_EQ(session.setup().aspect.min, 27);  // 200 * 100 / 720
}

TEST_F(LiveSessionTest, AspectLimitsTheWindowSize) {
    ASSERT_EQ(selectBoard(5), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.record()[channelField(ovf::kAspectRatio)] = 50;
    session.handle(ovf::hAspect);
    EXPECT_EQ(session.setup().readWH.max, 360);  // 720 * 50 / 100
    EXPECT_EQ(channel()[ovf::kAspectRatio], 50);
}

TEST_F(LiveSessionTest, ViewfinderMovesThePicture) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.activate();
    ASSERT_TRUE(session.refreshPicture(true));
    const auto at0 = session.picture();
    session.record()[channelField(ovf::kLiveOrgX)] = 200;
    session.record()[channelField(ovf::kLiveOrgY)] = 100;
    session.handle(ovf::hViewfinder);
    ASSERT_TRUE(session.refreshPicture(true));
    EXPECT_NE(session.picture(), at0);
    EXPECT_EQ(channel()[ovf::kLiveOrgX], 200);
}

TEST_F(LiveSessionTest, FreezeAndLiveToggle) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.activate();
    EXPECT_TRUE(session.isLive());
    session.handle(ovf::hFreeze);
    EXPECT_FALSE(session.isLive());
    session.handle(ovf::hFreeze);
    EXPECT_TRUE(session.isLive());
    session.closed();
    EXPECT_FALSE(session.isLive());
}

TEST_F(LiveSessionTest, NoBoardPaintsGrey) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    EXPECT_FALSE(session.pictureGrey());
    session.record()[ovf::fBoard] = 0;
    session.handle(ovf::hBoard);
    EXPECT_EQ(ovf::lib().board, 0);
    EXPECT_TRUE(session.pictureGrey());
    EXPECT_FALSE(session.refreshPicture(true));
    EXPECT_TRUE(ovf::visibleControls(0).empty());
}

TEST_F(LiveSessionTest, BoardThatFailsShowsDiagnosticsAndKeepsSettings) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    channel()[ovf::kBrightness] = 42;
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.record()[ovf::fBoard] = 3;  // never initialises
    session.handle(ovf::hBoard);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_NE(host.diagnostics[0].find("MRT framegrabber support is not available"),
              std::string::npos);
    // Back to the first board: its settings were saved on the way out.
    session.record()[ovf::fBoard] = 4;
    session.handle(ovf::hBoard);
    EXPECT_EQ(ovf::lib().board, 4);
    EXPECT_EQ(channel()[ovf::kBrightness], 42);
    EXPECT_EQ(host.diagnostics.size(), 1u);
}

TEST_F(LiveSessionTest, SaveWritesTheFrameOrSaysWhy) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    host.saveName = file("frame.pic");
    EXPECT_EQ(session.saveFrame(), "");
    EXPECT_EQ(std::filesystem::file_size(*host.saveName), size_t(ovf::kFrameBytes));

    host.saveName = "/nonexistent-dir/frame.tif";
    EXPECT_EQ(session.saveFrame(), "File saving error\n/nonexistent-dir/frame.tif");

    session.saveLimit = 1000;
    EXPECT_EQ(session.saveFrame(), "Not enough memory\nto complete operation");

    host.saveName.reset();  // cancelled
    session.saveLimit = SIZE_MAX;
    EXPECT_EQ(session.saveFrame(), "");
}

TEST_F(LiveSessionTest, TuneSetsLevelsWithTheWaitCursor) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    channel()[ovf::kBrightness] = 0;
    channel()[ovf::kContrast] = 0;
    LiveSession session(0, host);
    session.loadRecord();
    session.setUpControls();
    session.handle(ovf::hTune);
    EXPECT_EQ(host.waitOn, 1);
    EXPECT_EQ(host.waitOff, 1);
    EXPECT_GT(session.record()[channelField(ovf::kBrightness)], 0);
    EXPECT_EQ(session.record()[channelField(ovf::kBrightness)], channel()[ovf::kBrightness]);
}
