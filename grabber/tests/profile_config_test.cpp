// The internal file, the board number in it, and loading and saving board sections.

#include <fstream>

#include <unistd.h>

#include "exported_layer.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "test_support.h"

using namespace ovftest;

class Config : public GrabberTest {};

TEST_F(Config, InternalFileNameRules) {
    const std::string saved = ovf::lib().internalFile;
    EXPECT_EQ(OvfSetInternalConfigFile(std::string(80, 'a').c_str(), 0), OVF_E_FAILED);
    EXPECT_EQ(ovf::lib().internalFile, saved);
    EXPECT_EQ(OvfSetInternalConfigFile("Grabber.INI", 1), OVF_OK);
    const std::string moduleDir =
        platform::moduleDirectory(reinterpret_cast<const void*>(&ovf::defaultInternalFile));
    EXPECT_EQ(ovf::lib().internalFile, moduleDir + "grabber.ini");
    EXPECT_EQ(OvfSetInternalConfigFile("", 1), OVF_OK);
    EXPECT_EQ(ovf::lib().internalFile, moduleDir + "ovfint.ini");
    EXPECT_EQ(OvfSetInternalConfigFile("/Abs/Dir/X.INI", 1), OVF_OK);
    EXPECT_EQ(ovf::lib().internalFile, "/Abs/Dir/x.ini");
    const unsigned char pascal[] = {5, 'A', '.', 'I', 'N', 'I', 'j', 'u', 'n', 'k'};
    EXPECT_EQ(OvfSetInternalConfigFileP(pascal, 0), OVF_OK);
    EXPECT_EQ(platform::fileNamePart(ovf::lib().internalFile), "a.ini");
    OvfSetInternalConfigFile(saved.c_str(), 0);
}

TEST_F(Config, BoardNumberIsKeptInTheCommonSection) {
    ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    EXPECT_EQ(platform::profileInt(ovf::lib().internalFile, "common", "framegrabber", -1), 4);
    // An unknown number in the file keeps the board that is selected.
    platform::writeProfileString(ovf::lib().internalFile, "Common", "FrameGrabber", "6");
    EXPECT_EQ(OvfInit(), OVF_OK);
    EXPECT_EQ(ovf::lib().board, 4);
    platform::writeProfileString(ovf::lib().internalFile, "Common", "FrameGrabber", "-1");
    EXPECT_EQ(OvfInit(), OVF_OK);
    EXPECT_EQ(ovf::lib().board, 4);
    // So does an unknown number given to the export.
    EXPECT_EQ(OvfSetFramegrabber(9), OVF_E_FAILED);
    EXPECT_EQ(ovf::lib().board, 4);
    char name[64];
    OvfGetFramegrabberName(name);
    EXPECT_STREQ(name, "Digital Vision ComputerEyes/RT");
    EXPECT_EQ(OvfChannelCount(), 2);
}

TEST_F(Config, SavedFileHoldsHexMarksAndOmitsUnusedKeys) {
    ASSERT_EQ(selectBoard(1, "kv7"), OVF_OK);
    ovf::lib().settings.ioBase = 888;
    channel()[ovf::kXMin] = 21;
    const std::string f = file("Saved.INI");
    ASSERT_EQ(OvfSaveConfig(f.c_str()), OVF_OK);
    const std::string text = readFile(file("saved.ini"));
    EXPECT_NE(text.find("[Par common]\nChannelNo=0\nIOBase=0x0378\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Par channel 1]\nBrightness=100\nXMin=21\nYMin=0\nWH=244\nInvertion=0\n"
                        "FlipVertically=0\nLiveOrgX=0\nLiveOrgY=0\nInterlace=0\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Contrast"), std::string::npos);
    EXPECT_EQ(text.find("AspectRatio"), std::string::npos);

    // Loading it back restores what was saved; a missing key gives the board default.
    ovf::lib().settings.ioBase = 0;
    channel()[ovf::kXMin] = 99;
    channel()[ovf::kWH] = 5;
    platform::writeProfileString(file("saved.ini"), "Par channel 1", "WH", std::nullopt);
    EXPECT_EQ(OvfLoadConfig(f.c_str()), OVF_OK);
    EXPECT_EQ(ovf::lib().settings.ioBase, 888);
    EXPECT_EQ(channel()[ovf::kXMin], 21);
    EXPECT_EQ(channel()[ovf::kWH], 244);
}

TEST_F(Config, LongNamesAreRefusedWithoutTouchingSettings) {
    ASSERT_EQ(selectBoard(1, "kv7"), OVF_OK);
    channel()[ovf::kXMin] = 33;
    const std::string name80(80, 'n');
    EXPECT_EQ(OvfLoadConfig(name80.c_str()), OVF_E_FAILED);
    EXPECT_EQ(OvfSaveConfig(name80.c_str()), OVF_E_FAILED);
    std::vector<unsigned char> pascal(81);
    pascal[0] = 80;
    std::fill(pascal.begin() + 1, pascal.end(), 'n');
    EXPECT_EQ(OvfLoadConfigP(pascal.data()), OVF_E_FAILED);
    EXPECT_EQ(OvfSaveConfigP(pascal.data()), OVF_E_FAILED);
    EXPECT_EQ(channel()[ovf::kXMin], 33);
}

TEST_F(Config, SaveReportsAnUnwritableFile) {
    ASSERT_EQ(selectBoard(1, "kv7"), OVF_OK);
    EXPECT_EQ(OvfSaveConfig("/nonexistent-dir/ovf.ini"), OVF_E_FAILED);
    const unsigned char pascal[] = {7, 'o', 'k', '1', '.', 'i', 'n', 'i'};
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
    EXPECT_EQ(OvfSaveConfigP(pascal), OVF_OK);
    EXPECT_EQ(platform::profileInt(file("ok1.ini"), "Par channel 1", "WH", 0), 244);
}

TEST_F(Config, AspectRatioZeroBecomesHundredOnTheNextInit) {
    ASSERT_EQ(selectBoard(2), OVF_OK);
    const std::string f = file("fpv.ini");
    std::ofstream(f) << "[Fpv channel 1]\nAspectRatio=0\nXMin=120\n";
    EXPECT_EQ(OvfLoadConfig(f.c_str()), OVF_OK);
    EXPECT_EQ(channel()[ovf::kAspectRatio], 0);
    EXPECT_EQ(channel()[ovf::kXMin], 120);
    EXPECT_EQ(channel(1)[ovf::kXMin], 110);  // channel 2 section absent: defaults
    EXPECT_EQ(OvfInit(), OVF_OK);
    EXPECT_EQ(channel()[ovf::kAspectRatio], 100);
    EXPECT_EQ(driver().ToBoardX(50), 50);
    channel()[ovf::kAspectRatio] = 80;
    EXPECT_EQ(driver().ToBoardX(50), 62);
    EXPECT_EQ(driver().FromBoardX(50), 40);
}

TEST_F(Config, SwitchingBoardsSavesTheOldBoardAndLoadsTheNew) {
    ASSERT_EQ(selectBoard(4, "ce@0x240"), OVF_OK);
    channel()[ovf::kBrightness] = 42;
    ASSERT_EQ(OvfSetFramegrabber(1), OVF_OK);
    EXPECT_EQ(ovf::lib().board, 1);
    EXPECT_EQ(platform::profileInt(ovf::lib().internalFile, "CE channel 1", "Brightness", 0), 42);
    EXPECT_EQ(platform::profileString(ovf::lib().internalFile, "CE common", "IOBase"), "0x0240");
    EXPECT_EQ(channel()[ovf::kBrightness], 100);  // the new board's default
    ASSERT_EQ(OvfSetFramegrabber(4), OVF_OK);
    EXPECT_EQ(channel()[ovf::kBrightness], 42);
    EXPECT_EQ(ovf::lib().settings.ioBase, 0x240);
}

TEST_F(Config, ReinitialisationFailureAfterLoadingGives13) {
    ASSERT_EQ(selectBoard(4, "ce@0x230"), OVF_OK);
    const std::string f = file("ce.ini");
    std::ofstream(f) << "[CE common]\nIOBase=0x300\n";  // nothing answers there
    EXPECT_EQ(OvfLoadConfig(f.c_str()), OVF_E_REINIT);
    EXPECT_FALSE(driver().initialised);
    EXPECT_NE(ovf::diagnosticsText().find("Framegrabber I/O Base field"), std::string::npos);
}
