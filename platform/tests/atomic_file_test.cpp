// Files replaced whole or not at all.

#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ovfc_atomic_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const fs::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    std::size_t entries() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
};

TEST_F(AtomicFile, ReplacesTheContentsAndKeepsThePermissionBits) {
    const fs::path f = dir / "a.txt";
    write(f, "old");
    ::chmod(f.c_str(), 0600);
    ASSERT_TRUE(replaceFileContents(f, "new text").ok());
    EXPECT_EQ(read(f), "new text");
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(entries(), 1u);  // no temporary file is left
}

TEST_F(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const fs::path f = dir / "a.txt";
    write(f, "old");
    const ReplaceResult r =
        replaceFileContents(f, "new", ReplaceMode::Overwrite, [](int, const char*, std::size_t) {
            errno = ENOSPC;
            return -1L;
        });
    EXPECT_EQ(r.stage, ReplaceStage::Write);
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_EQ(read(f), "old");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, KeepExistingWritesOnlyWhereNoFileIs) {
    const fs::path f = dir / "a.txt";
    write(f, "old");
    EXPECT_EQ(replaceFileContents(f, "new", ReplaceMode::KeepExisting).stage, ReplaceStage::Kept);
    EXPECT_EQ(read(f), "old");
    const fs::path g = dir / "b.txt";
    EXPECT_TRUE(replaceFileContents(g, "first", ReplaceMode::KeepExisting).ok());
    EXPECT_EQ(read(g), "first");
}

TEST_F(AtomicFile, ALinkAtTheTargetIsReplacedNotFollowed) {
    const fs::path other = dir / "other.txt";
    write(other, "keep me");
    const fs::path f = dir / "a.txt";
    fs::create_symlink(other, f);
    ASSERT_TRUE(replaceFileContents(f, "new").ok());
    EXPECT_EQ(read(other), "keep me");
    EXPECT_FALSE(fs::is_symlink(f));
    EXPECT_EQ(read(f), "new");
}

TEST_F(AtomicFile, AMissingFolderIsReported) {
    const fs::path f = dir / "no" / "a.txt";
    const ReplaceResult r = replaceFileContents(f, "x");
    EXPECT_EQ(r.stage, ReplaceStage::Create);
    EXPECT_EQ(r.error, ENOENT);
    EXPECT_EQ(probeFolderWritable(f), ENOENT);
    EXPECT_EQ(probeFolderWritable(dir / "a.txt"), 0);
    EXPECT_EQ(entries(), 0u);
}

}  // namespace
}  // namespace platform
