#include "truth.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using ovfc_eval::TruthEntry;

namespace {

TEST(TruthLine, ReadsTheFiveFieldsAfterTheName) {
    TruthEntry e;
    std::string error;
    ASSERT_TRUE(ovfc_eval::parseTruthLine("00000102.TIF 01 151 113 205.5 114", e, error));
    EXPECT_EQ(e.name, "00000102.TIF");
    EXPECT_EQ(e.person, "01");
    EXPECT_DOUBLE_EQ(e.xl, 151);
    EXPECT_DOUBLE_EQ(e.yl, 113);
    EXPECT_DOUBLE_EQ(e.xr, 205.5);
    EXPECT_DOUBLE_EQ(e.yr, 114);

    EXPECT_FALSE(ovfc_eval::parseTruthLine("   ", e, error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(ovfc_eval::parseTruthLine("# comment", e, error));
    EXPECT_TRUE(error.empty());
}

TEST(TruthLine, MalformedLinesSayWhy) {
    TruthEntry e;
    std::string error;
    EXPECT_FALSE(ovfc_eval::parseTruthLine("a.TIF 01 1 2 3", e, error));
    EXPECT_NE(error.find("5 fields"), std::string::npos) << error;
    EXPECT_FALSE(ovfc_eval::parseTruthLine("a.TIF 01 1 2 3 4 5", e, error));
    EXPECT_FALSE(ovfc_eval::parseTruthLine("a.TIF 01 1 2x 3 4", e, error));
    EXPECT_NE(error.find("'2x'"), std::string::npos) << error;
    EXPECT_FALSE(ovfc_eval::parseTruthLine("a.TIF 01 1 2 nan 4", e, error));
    EXPECT_FALSE(ovfc_eval::parseTruthLine("a.TIF 01 90 2 30 4", e, error));
    EXPECT_NE(error.find("XL"), std::string::npos) << error;
}

class TruthFile : public ::testing::Test {
  protected:
    fs::path path = fs::temp_directory_path() / ("ovfc_truth_" + std::to_string(::getpid()));
    void write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    void TearDown() override { fs::remove(path); }
};

TEST_F(TruthFile, ReadsEveryEntryAndSkipsBlankLines) {
    write("a.TIF 01 1 2 3 4\r\n\nb.TIF 02 10.5 20 30 40\n");
    std::vector<TruthEntry> entries;
    std::string error;
    ASSERT_TRUE(ovfc_eval::readTruthFile(path.string(), entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a.TIF");
    EXPECT_DOUBLE_EQ(entries[0].yr, 4);
    EXPECT_EQ(entries[1].person, "02");
}

TEST_F(TruthFile, ErrorsNameTheFileAndLine) {
    std::vector<TruthEntry> entries;
    std::string error;
    write("a.TIF 01 1 2 3 4\nb.TIF 01 1 2\n");
    EXPECT_FALSE(ovfc_eval::readTruthFile(path.string(), entries, error));
    EXPECT_NE(error.find(path.string() + ":2:"), std::string::npos) << error;
    write("a.TIF 01 1 2 3 4\na.TIF 02 1 2 3 4\n");
    EXPECT_FALSE(ovfc_eval::readTruthFile(path.string(), entries, error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
    write("\n\n");
    EXPECT_FALSE(ovfc_eval::readTruthFile(path.string(), entries, error));
    EXPECT_NE(error.find("no entries"), std::string::npos) << error;
    fs::remove(path);
    EXPECT_FALSE(ovfc_eval::readTruthFile(path.string(), entries, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
