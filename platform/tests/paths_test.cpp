#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace platform;

TEST(Paths, FileAndDirectoryPartsTakeEitherSeparator) {
    EXPECT_EQ(fileNamePart("a/b\\c.ini"), "c.ini");
    EXPECT_EQ(fileNamePart("C:\\dir\\ovfc.ini"), "ovfc.ini");
    EXPECT_EQ(fileNamePart("plain"), "plain");
    EXPECT_EQ(fileNamePart("dir/"), "");
    EXPECT_EQ(directoryPart("a/b\\c.ini"), "a/b\\");
    EXPECT_EQ(directoryPart("plain"), "");
    EXPECT_TRUE(hasSeparator("x\\y"));
    EXPECT_FALSE(hasSeparator("xy"));
}

class SearchFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("ovfc_paths_" + std::to_string(::getpid()));
        fs::create_directories(root_ / "cwd");
        fs::create_directories(root_ / "p1");
        fs::create_directories(root_ / "p2");
        oldCwd_ = fs::current_path();
        fs::current_path(root_ / "cwd");
        const char* p = std::getenv("PATH");
        oldPath_ = p ? p : "";
    }
    void TearDown() override {
        fs::current_path(oldCwd_);
        ::setenv("PATH", oldPath_.c_str(), 1);
        fs::remove_all(root_);
    }
    static void touch(const fs::path& p) { std::ofstream(p) << "x"; }
    fs::path root_, oldCwd_;
    std::string oldPath_;
};

TEST_F(SearchFileTest, CurrentDirectoryComesBeforePathInOrder) {
    const std::string path = (root_ / "p1").string() + "::" + (root_ / "p2").string() + "/";
    ::setenv("PATH", path.c_str(), 1);
    touch(root_ / "p2" / "f.ini");
    EXPECT_EQ(searchFile("f.ini").value(), (root_ / "p2" / "f.ini").string());
    touch(root_ / "p1" / "f.ini");
    EXPECT_EQ(searchFile("f.ini").value(), (root_ / "p1" / "f.ini").string());
    touch(root_ / "cwd" / "f.ini");
    EXPECT_EQ(searchFile("f.ini").value(), "f.ini");
    EXPECT_FALSE(searchFile("missing.ini").has_value());
    EXPECT_FALSE(searchFile("").has_value());
}

TEST_F(SearchFileTest, DirectoriesAreNotFiles) {
    ::setenv("PATH", root_.string().c_str(), 1);
    EXPECT_FALSE(searchFile("p1").has_value());
}
