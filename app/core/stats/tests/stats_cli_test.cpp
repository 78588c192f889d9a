// ovfc stats end to end: a synthetic face set, the options, and the photographs when present.
// The face library's processing may still answer 29 (not supported) on this build; the
// runs then complete with every sample failed, and the tests that need real scores skip.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "facegen.h"
#include "faces_dir.h"
#include "ovfc32.h"
#include "stats/stat_log.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Exit status of the ovfc tool run with the arguments (from build/bin).
int runOvfc(const std::string& arguments, const fs::path& output) {
    const std::string command =
        std::string(OVFC_BIN_DIR) + "/ovfc " + arguments + " >" + output.string() + " 2>&1";
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// The library's answer to processing one synthetic frame: 29 while processing is not
// available on this build.
int processingStatus() {
    if (OvfcInit() != 0) return -1;
    const facegen::Frame f = facegen::generateFrame(1, 1, 1);
    uint8_t blob[OVFC_MAX_DESCRIPTOR_SIZE];
    int16_t size = 0;
    const int rc =
        OvfcProcessingEx(f.pixels.data(), blob, &size, facegen::kWidth, facegen::kHeight);
    OvfcDone();
    return rc;
}

class StatsCliTest : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ovfc_stats_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        std::string error;
        ASSERT_TRUE(facegen::writeFaceSet((dir / "set").string(), 3, 2, 5, error)) << error;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string out() const { return readFile(dir / "out.txt"); }
    std::string paths() const {
        return "--source '" + (dir / "set").string() + "/*.TIF' --log " +
               (dir / "OVFC.LOG").string();
    }
};

}  // namespace

TEST_F(StatsCliTest, SyntheticSetLogAndFigures) {
    const int rc = runOvfc(
        "stats " + paths() + " --ignore-errors --overwrite --json " + (dir / "run.json").string(),
        dir / "out.txt");
    ASSERT_EQ(rc, 0) << out();
    EXPECT_NE(out().find("Statistic batch complete."), std::string::npos) << out();
    const std::string log = readFile(dir / "OVFC.LOG");
    EXPECT_TRUE(stats::isStatLog((dir / "OVFC.LOG").string()));
    EXPECT_NE(log.find("Sample set size      : 6\nRegistered set size  : 6\n"), std::string::npos);
    EXPECT_EQ(log.find("User break"), std::string::npos);
    const std::string json = readFile(dir / "run.json");
    EXPECT_NE(json.find("\"N\": 6,\n\"M\": 6,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"complete\": true"), std::string::npos);

    const int status = processingStatus();
    if (status == 29)
        GTEST_SKIP() << "the face library does not process images yet (status 29); the run "
                        "completed with every sample failed";
    ASSERT_EQ(status, 0);
    EXPECT_EQ(log.find("errors       :"), std::string::npos) << log;
    EXPECT_EQ(json.find("\"error\""), std::string::npos);
    EXPECT_NE(log.find("     \x10"
                       "00000101    (1)"),
              std::string::npos)
        << log;
}

TEST_F(StatsCliTest, ExistingLogIsKeptWithoutOverwrite) {
    { std::ofstream(dir / "OVFC.LOG") << "keep me\n"; }
    // The run writes no log, so it is no complete success.
    ASSERT_EQ(runOvfc("stats " + paths() + " --ignore-errors", dir / "out.txt"), 1) << out();
    EXPECT_EQ(readFile(dir / "OVFC.LOG"), "keep me\n");
    EXPECT_NE(out().find("already exists and is kept"), std::string::npos) << out();
}

TEST_F(StatsCliTest, ExistingJsonIsKeptWithoutOverwrite) {
    { std::ofstream(dir / "run.json") << "{\"keep\": 1}\n"; }
    EXPECT_EQ(runOvfc("stats " + paths() + " --ignore-errors --json " + (dir / "run.json").string(),
                      dir / "out.txt"),
              1)
        << out();
    EXPECT_EQ(readFile(dir / "run.json"), "{\"keep\": 1}\n");
    EXPECT_NE(out().find("run.json already exists and is kept"), std::string::npos) << out();
    EXPECT_TRUE(stats::isStatLog((dir / "OVFC.LOG").string())) << "the new log is written";
}

TEST_F(StatsCliTest, UnwritableLogFailsBeforeTheRun) {
    const std::string missing = (dir / "no" / "such" / "OVFC.LOG").string();
    EXPECT_EQ(runOvfc("stats --source '" + (dir / "set").string() + "/*.TIF' --log " + missing +
                          " --json " + (dir / "run.json").string(),
                      dir / "out.txt"),
              1);
    EXPECT_NE(out().find("cannot write the log file " + missing), std::string::npos) << out();
    EXPECT_EQ(out().find("matched"), std::string::npos) << "images were processed: " << out();
    EXPECT_FALSE(fs::exists(dir / "run.json"));

    // A log path that names a folder cannot be replaced either.
    fs::create_directories(dir / "folder.log");
    EXPECT_EQ(runOvfc("stats --source '" + (dir / "set").string() + "/*.TIF' --overwrite --log " +
                          (dir / "folder.log").string(),
                      dir / "out.txt"),
              1);
    EXPECT_NE(out().find("is a folder"), std::string::npos) << out();
    EXPECT_EQ(out().find("matched"), std::string::npos) << out();
}

TEST_F(StatsCliTest, UnwritableJsonFailsBeforeTheRun) {
    // A regular file where the JSON's folder should be.
    { std::ofstream(dir / "plain") << "x"; }
    const std::string json = (dir / "plain" / "run.json").string();
    EXPECT_EQ(runOvfc("stats " + paths() + " --json " + json, dir / "out.txt"), 1);
    EXPECT_NE(out().find("cannot write " + json), std::string::npos) << out();
    EXPECT_EQ(out().find("matched"), std::string::npos) << out();
    EXPECT_FALSE(fs::exists(dir / "OVFC.LOG")) << "no log of a run that did not start";
}

TEST_F(StatsCliTest, FirstErrorStopsTheRunUnlessIgnored) {
    { std::ofstream(dir / "set" / "00000100.TIF") << "not an image"; }
    EXPECT_EQ(runOvfc("stats " + paths(), dir / "out.txt"), 1) << out();
    const std::string log = readFile(dir / "OVFC.LOG");
    EXPECT_NE(log.find("Sample set size      : 7\nRegistered set size  : 7\n"
                       "User break occurs at : 2/1\nLoading errors       : 1\n"),
              std::string::npos)
        << log;
    EXPECT_NE(out().find("stopped at the first error"), std::string::npos) << out();
    EXPECT_NE(out().find("User cancelled operation"), std::string::npos) << out();
}

TEST_F(StatsCliTest, BadOptionsAndEmptySets) {
    EXPECT_EQ(runOvfc("stats " + paths() + " --trim-score 100 --trim-number 5", dir / "out.txt"),
              2);
    EXPECT_EQ(runOvfc("stats " + paths() + " --trim-number many", dir / "out.txt"), 2);
    EXPECT_EQ(runOvfc("stats " + paths() + " --unknown", dir / "out.txt"), 2);
    // The JSON must not replace the log.
    EXPECT_EQ(runOvfc("stats " + paths() + " --json " + (dir / "." / "OVFC.LOG").string(),
                      dir / "out.txt"),
              2);
    EXPECT_EQ(runOvfc("stats " + paths() + " --sample-mask '9*'", dir / "out.txt"), 1);
    EXPECT_NE(out().find("Images not found!"), std::string::npos) << out();
    EXPECT_FALSE(fs::exists(dir / "OVFC.LOG"));
    EXPECT_EQ(
        runOvfc("stats " + paths() + " --config " + (dir / "none.ini").string(), dir / "out.txt"),
        3);
}

TEST(StatsCliPhotographs, YaleSetRunCompletesWithAValidLog) {
    const fs::path yale = ovfc::test::photoDir();
    if (!fs::is_directory(yale)) GTEST_SKIP() << "no photographs at " << yale;
    const fs::path work =
        fs::temp_directory_path() / ("ovfc_stats_yale_" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path log = work / "OVFC.LOG";
    // Person 01's images as samples against every image.
    const int rc =
        runOvfc("stats --source '" + yale.string() + "/*.TIF' --sample-mask '000001*' --log " +
                    log.string() + " --ignore-errors --overwrite",
                work / "out.txt");
    const std::string output = readFile(work / "out.txt");
    const std::string text = readFile(log);
    fs::remove_all(work);
    ASSERT_EQ(rc, 0) << output;
    EXPECT_TRUE(text.rfind(std::string(10, '\xC4'), 0) == 0);
    EXPECT_NE(text.find("Sample set size      : 10\nRegistered set size  : 164\n"),
              std::string::npos)
        << text;
    const int status = processingStatus();
    if (status == 29)
        GTEST_SKIP() << "the face library does not process images yet (status 29); the run "
                        "completed with every sample failed";
    // The development configuration is tuned on synthetic frames: on photographs some samples
    // may fail, but not all of them.
    const std::size_t at = text.find("Processing errors    : ");
    if (at != std::string::npos) {
        EXPECT_LT(std::stoi(text.substr(at + 23)), 10) << text;
    }
}
