#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

std::string tempName(const char* tag) {
    return std::string("/tmp/ovplatform_") + tag + std::to_string(::getpid()) + ".ini";
}

std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

TEST(Profile, ReadsIntegersWithoutRegardToCase) {
    const std::string f = tempName("read");
    put(f, "; comment\n[Par Common]\n ChannelNo = 3 \nIOBase=0x0378\nneg=-12\nbad=zz\nempty=\n");
    EXPECT_EQ(platform::profileInt(f, "par common", "channelno", 9), 3);
    EXPECT_EQ(platform::profileInt(f, "PAR COMMON", "iobase", 0), 888);
    EXPECT_EQ(platform::profileInt(f, "Par common", "neg", 0), -12);
    EXPECT_EQ(platform::profileInt(f, "Par common", "bad", 5), 0);
    EXPECT_EQ(platform::profileInt(f, "Par common", "empty", 5), 5);
    EXPECT_EQ(platform::profileInt(f, "Par common", "missing", 7), 7);
    EXPECT_EQ(platform::profileInt(f, "Other", "ChannelNo", 4), 4);
    EXPECT_EQ(platform::profileInt(f + ".none", "Par common", "ChannelNo", 6), 6);
    EXPECT_EQ(platform::parseProfileInt("12ab"), 12);
    EXPECT_EQ(platform::parseProfileInt("0xFFFF"), 65535);
    std::remove(f.c_str());
}

TEST(Profile, WritesKeepEverythingElse) {
    const std::string f = tempName("write");
    put(f, "; keep me\n[A]\nx=1\n\n[B]\ny=2\n");
    ASSERT_TRUE(platform::writeProfileString(f, "a", "X", "10"));
    ASSERT_TRUE(platform::writeProfileString(f, "A", "z", "3"));
    ASSERT_TRUE(platform::writeProfileString(f, "C", "w", "4"));
    EXPECT_EQ(slurp(f), "; keep me\n[A]\nX=10\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
    ASSERT_TRUE(platform::writeProfileString(f, "B", "y", std::nullopt));
    EXPECT_EQ(platform::profileString(f, "B", "y"), std::nullopt);
    EXPECT_EQ(platform::profileInt(f, "c", "W", 0), 4);
    std::remove(f.c_str());
}

TEST(Profile, CreatesTheFileAndReportsUnwritablePlaces) {
    const std::string f = tempName("create");
    std::remove(f.c_str());
    ASSERT_TRUE(platform::writeProfileString(f, "Common", "FrameGrabber", "4"));
    EXPECT_EQ(slurp(f), "[Common]\nFrameGrabber=4\n");
    EXPECT_FALSE(platform::writeProfileString("/nonexistent-dir/x.ini", "S", "k", "v"));
    std::remove(f.c_str());
}

TEST(Profile, KeepsWindowsLineEndings) {
    const std::string f = tempName("crlf");
    put(f, "[S]\r\nk=1\r\n");
    ASSERT_TRUE(platform::writeProfileString(f, "S", "j", "2"));
    EXPECT_EQ(slurp(f), "[S]\r\nk=1\r\nj=2\r\n");
    EXPECT_EQ(platform::profileInt(f, "S", "k", 0), 1);
    std::remove(f.c_str());
}

TEST(Profile, AFileThatNeverEndsIsReadAsFarAsTheBoundAndNotWritten) {
    // /dev/zero has no end: the reader stops at the bound instead of growing without limit.
    EXPECT_EQ(platform::profileString("/dev/zero", "Par Common", "ChannelNo"), std::nullopt);
    EXPECT_FALSE(platform::writeProfileString("/dev/zero", "Par Common", "ChannelNo", "1"));
    const std::string f = tempName("long");
    put(f, "[A]\nk=1\n" + std::string(platform::kMaxProfileBytes, ';') + "\n");
    const std::string before = slurp(f);
    EXPECT_EQ(platform::profileString(f, "A", "k"), std::optional<std::string>("1"));
    EXPECT_FALSE(platform::writeProfileString(f, "A", "k", "2"));
    EXPECT_EQ(slurp(f), before);
    std::remove(f.c_str());
    std::remove((f + ".lock").c_str());
}
