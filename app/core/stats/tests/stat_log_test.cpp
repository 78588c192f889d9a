#include "stats/stat_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "fake_seams.h"
#include "stats/stat_json.h"

using namespace stats;
using stats_test::FakeClock;
using stats_test::FakeMatcher;
using stats_test::ScratchFolder;

namespace {

// Expected logs are written with '=' for the line byte 0xC4 and '@' for the own marker 0x10.
std::string bytes(std::string text) {
    for (char& c : text) {
        if (c == '=') c = '\xC4';
        if (c == '@') c = '\x10';
    }
    return text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class StatLogTest : public ::testing::Test {
  protected:
    ScratchFolder folder{"log", {"00000101.TIF", "00000102.TIF", "00000201.TIF", "00000202.TIF"}};
    ScratchFolder regFolder{"logreg",
                            {"00000101.TIF", "00000102.TIF", "00000201.TIF", "00000202.TIF"}};
    FakeClock clock;
    FakeMatcher matcher{clock};
    StatRun run{matcher, clock};
    StatSettings settings;

    // Four samples against the same four images; sample 4 does not load, one match fails,
    // two scores lie outside 0..400.
    void SetUp() override {
        settings.sourcePath = folder.dir() + "*.TIF";
        settings.destPath = regFolder.dir() + "*.TIF";
        settings.ignoreErrors = true;
        const char* names[] = {"00000101", "00000102", "00000201", "00000202"};
        const int scores[3][4] = {{250, 180, 90, 120}, {175, 260, -5, 95}, {0, 60, 240, 410}};
        for (int s = 0; s < 3; ++s)
            for (int r = 0; r < 4; ++r) matcher.scores[{names[s], names[r]}] = scores[s][r];
        matcher.matchFailures[{"00000201", "00000101"}] = 29;
        matcher.loadFailures[folder.dir() + "00000202.TIF"] = 1;  // as a sample only
        matcher.processMs = {{"00000101", 120}, {"00000102", 140}, {"00000201", 100}};
        matcher.matchMs = [](const std::string& s) {
            return s == "00000101" ? 30u : s == "00000102" ? 35u : 40u;
        };
    }
    void runToEnd(int pairs = 1000) {
        ASSERT_EQ(run.start(settings), StartResult::Ok);
        for (int k = 0; k < pairs && !run.complete(); ++k) run.step();
        clock.seconds += 3725;
        run.finish(!run.complete());
    }
};

const char* const kHead = R"(===============================================
OVFC library version : 0.02.006
===============================================
Sample set size      : 4
Registered set size  : 4
)";

const char* const kMasksAndTimes = R"(===============================================
Sample mask          : 0000*
Own mask             : 0000^^*
===============================================
Start matching       : Tue Nov 14 22:13:20 2023
Finish matching      : Tue Nov 14 23:15:25 2023
Total matching time  : 01:02:05

                          Min   Average     Max
=====================  ======  ========  ======
)";

}  // namespace

TEST_F(StatLogTest, CompleteRunByteForByte) {
    runToEnd();
    const std::string expected = bytes(std::string(kHead) + R"(Loading errors       : 1
Matching errors      : 1
)" + kMasksAndTimes + R"(Processing time (sec):  0.100    0.120    0.140
Matching time (sec)  :  0.030    0.034    0.040

===============================================
  #         Id   #Mnt  Score
===  =========  =====  =====
  1  <00000101>
     @00000101    (1)    250     
     @00000102    (2)    180     
      00000202    (3)    120     
      00000201    (4)     90     
  2  <00000102>
     @00000102    (1)    260     
     @00000101    (2)    175     
      00000202    (3)     95     
      00000201    (4)      0     
  3  <00000201>
     @00000202    (1)    400     
     @00000201    (2)    240     
      00000102    (3)     60     
      00000101    (4)      0     ; Error
  4  <00000202>
      00000101    (1)      0     ; Error
      00000102    (2)      0     ; Error
     @00000201    (3)      0     ; Error
     @00000202    (4)      0     ; Error
===============================================

===============================================
     Score        Owns   Strangers
==========  ==========  ==========
         0          ==           1
        60          ==           1
        90          ==           1
        95          ==           1
       120          ==           1
       175           1          ==
       180           1          ==
       240           1          ==
       250           1          ==
       260           1          ==
       400           1          ==
     Errror           2           3
===============================================
)");
    EXPECT_EQ(statLogText(run, "0.02.006", clock), expected);

    const std::string path = folder.dir() + "OVFC.LOG";
    ASSERT_TRUE(writeStatLog(path, expected));
    EXPECT_EQ(readFile(path), expected);
    EXPECT_TRUE(isStatLog(path));
}

TEST_F(StatLogTest, TrimByScoreLeavesOutTheEqualScore) {
    settings.trimByScore = true;
    settings.trimValue = 175;  // row 2 has exactly 175
    runToEnd();
    const std::string log = statLogText(run, "0.02.006", clock);
    const std::string rows = bytes(R"(  1  <00000101>
     @00000101    (1)    250     
     @00000102    (2)    180     
  2  <00000102>
     @00000102    (1)    260     
  3  <00000201>
     @00000202    (1)    400     
     @00000201    (2)    240     
  4  <00000202>
===============================================
)");
    EXPECT_NE(log.find(rows), std::string::npos) << log;
}

TEST_F(StatLogTest, TrimByNumberCutsEachRowAndBeyondMListsAll) {
    settings.trimValue = 2;
    runToEnd();
    std::string log = statLogText(run, "0.02.006", clock);
    EXPECT_NE(log.find(bytes(R"(  3  <00000201>
     @00000202    (1)    400     
     @00000201    (2)    240     
  4  <00000202>
      00000101    (1)      0     ; Error
      00000102    (2)      0     ; Error
===============================================
)")),
              std::string::npos)
        << log;
    // The histogram still counts every pair.
    EXPECT_NE(log.find("         0          " + bytes("==") + "           1\n"), std::string::npos);

    settings.trimValue = 99;
    runToEnd();
    log = statLogText(run, "0.02.006", clock);
    EXPECT_NE(log.find("      00000201    (4)      0     \n"), std::string::npos) << log;
    EXPECT_NE(log.find(bytes("     @00000202    (4)      0     ; Error\n")), std::string::npos);
}

TEST_F(StatLogTest, InterruptedRunWritesTheBreakAndListsSamplesUpToIt) {
    runToEnd(6);  // row 1 done, row 2 has two of four pairs
    const std::string expected =
        bytes(std::string(kHead) + "User break occurs at : 2/3\n" + kMasksAndTimes +
              R"(Processing time (sec):  0.120    0.130    0.140
Matching time (sec)  :  0.030    0.031    0.035

===============================================
  #         Id   #Mnt  Score
===  =========  =====  =====
  1  <00000101>
     @00000101    (1)    250     
     @00000102    (2)    180     
      00000202    (3)    120     
      00000201    (4)     90     
  2  <00000102>
     @00000102    (1)    260     
     @00000101    (2)    175     
===============================================

===============================================
     Score        Owns   Strangers
==========  ==========  ==========
        90          ==           1
       120          ==           1
       175           1          ==
       180           1          ==
       250           1          ==
       260           1          ==
===============================================
)");
    EXPECT_TRUE(run.finishedByUser());
    EXPECT_EQ(statLogText(run, "0.02.006", clock), expected);
}

TEST_F(StatLogTest, NothingTimedShowsLinesAndLongNamesStayWhole) {
    ScratchFolder longNames{"long", {"0000aa01_front_light.TIF", "0000aa02.TIF"}};
    settings.sourcePath = longNames.dir() + "*.TIF";
    settings.destPath.clear();
    settings.sampleMask = "0000aa*";
    settings.ownMask = "0000^^*";
    matcher.processFailures["0000aa01_front_light"] = 30;
    matcher.processFailures["0000aa02"] = 30;
    runToEnd();
    const std::string log = statLogText(run, "0.02.006", clock);
    EXPECT_NE(log.find("Processing errors    : 2\n"), std::string::npos);
    EXPECT_EQ(log.find("Loading errors"), std::string::npos);  // only nonzero counters
    EXPECT_EQ(log.find("Matching errors"), std::string::npos);
    EXPECT_NE(log.find("Sample mask          : 0000AA*\n"), std::string::npos);  // upper-cased
    EXPECT_NE(log.find(bytes("Processing time (sec): =====    =====    =====\n")),
              std::string::npos);
    EXPECT_NE(log.find(bytes("Matching time (sec)  : =====    =====    =====\n")),
              std::string::npos);
    EXPECT_NE(log.find("  1  <0000aa01_front_light>\n"), std::string::npos) << log;
    EXPECT_NE(log.find(bytes("     @0000aa01_front_light    (1)      0     ; Error\n")),
              std::string::npos);
    EXPECT_NE(log.find(bytes("     @0000aa02    (2)      0     ; Error\n")), std::string::npos);
    EXPECT_NE(log.find(bytes("     Errror           4          ==\n")), std::string::npos);
}

TEST(StatLogFile, ViewCheckAndUnwritableLog) {
    ScratchFolder folder{"view"};
    const std::string good = folder.dir() + "good.log", bad = folder.dir() + "bad.log";
    ASSERT_TRUE(writeStatLog(good, std::string(10, '\xC4') + "\n"));
    ASSERT_TRUE(writeStatLog(bad, std::string(9, '\xC4') + "-\n"));
    EXPECT_TRUE(isStatLog(good));
    EXPECT_FALSE(isStatLog(bad));
    EXPECT_FALSE(isStatLog(folder.dir() + "absent.log"));
    EXPECT_FALSE(writeStatLog(folder.dir() + "no/such/dir/x.log", "text"));
}

TEST(StatLogFile, TimeText) {
    std::tm tm{};
    tm.tm_year = 99;
    tm.tm_mon = 0;
    tm.tm_mday = 3;
    tm.tm_wday = 0;
    tm.tm_hour = 7;
    tm.tm_min = 5;
    tm.tm_sec = 9;
    EXPECT_EQ(logTimeText(tm), "Sun Jan 03 07:05:09 1999\n");
}

TEST_F(StatLogTest, JsonFigures) {
    runToEnd();
    const std::string json = statJson(run, "0.02.006");
    EXPECT_NE(json.find("\"complete\": true,"), std::string::npos);
    EXPECT_NE(json.find("\"N\": 4,\n\"M\": 4,"), std::string::npos);
    EXPECT_NE(
        json.find("\"loading_errors\": 1,\n\"processing_errors\": 0,\n\"matching_errors\": 1"),
        std::string::npos);
    EXPECT_NE(json.find("\"processing_ms\": {\"total\": 360, \"count\": 3, \"min\": 100, \"max\": "
                        "140, \"average\": 120}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"samples\": [\"00000101\", \"00000102\", \"00000201\", \"00000202\"]"),
              std::string::npos);
    EXPECT_NE(json.find("[\"error\", 60, 240, 400]"), std::string::npos) << json;
    EXPECT_NE(json.find("[null, 60, 240, 410]"), std::string::npos);  // raw library scores
    EXPECT_NE(json.find("[true, true, false, false]"), std::string::npos);
    EXPECT_NE(json.find("\"start\": 1700000000,\n\"finish\": 1700003725,"), std::string::npos);

    EXPECT_EQ(jsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(jsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    EXPECT_EQ(jsonString("bad\xC4!"), "\"bad\\ufffd!\"");
}
