// Writes that fail (file size limit standing in for a full disk) keep the stored file, and
// writes keep what the name leads to.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "ovio32.h"
#include "test_support.h"

using namespace ovtest;

namespace {

// Limits the size of files this process writes while in scope.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

size_t entries(const std::string& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

}  // namespace

TEST(WriteSafety, FailedWriteLeavesTheOldFileAndNoLitter) {
    TempDir dir;
    const Bytes small = randomPixels(64, 130);
    const uint32_t smallSize = 8 | (8u << 16);
    const Bytes frame = randomPixels(65280, 131);
    for (const char* name : {"a.tif", "a.bmp", "a.pic"}) {
        const std::string path = dir.file(name);
        ASSERT_EQ(OvWriteClip(path.c_str(), small.data(), 1, &smallSize), OVIO_OK);
        const Bytes before = readFile(path);
        {
            FileSizeLimit limit(20000);
            EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_E_FILE) << name;
        }
        EXPECT_EQ(readFile(path), before) << name;
    }
    EXPECT_EQ(entries(dir.path()), 3u);  // no temporary files left behind
}

TEST(WriteSafety, FailedAppendCutsTheClipBack) {
    TempDir dir;
    const std::string path = dir.file("clip.tif");
    const Bytes frame = randomPixels(65280, 132);
    ASSERT_EQ(OvWriteImage(path.c_str(), frame.data(), 4), OVIO_OK);
    const Bytes before = readFile(path);
    const uint32_t size = 256 | (255u << 16);
    {
        FileSizeLimit limit(before.size() + 1000);
        EXPECT_EQ(OvAppendClip(path.c_str(), frame.data(), 4, &size), OVIO_E_FILE);
    }
    EXPECT_EQ(readFile(path), before);
    ASSERT_EQ(OvAppendClip(path.c_str(), frame.data(), 4, &size), OVIO_OK);
    EXPECT_EQ(readFile(path).size(), before.size() + 65280);
}

TEST(WriteSafety, WritesGoThroughLinksAndKeepTheMode) {
    TempDir dir;
    const std::string real = dir.file("real.tif"), link = dir.file("link.tif");
    const Bytes a = randomPixels(65280, 133), b = randomPixels(65280, 134);
    ASSERT_EQ(OvWriteImage(real.c_str(), a.data(), 4), OVIO_OK);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_EQ(OvWriteImage(link.c_str(), b.data(), 4), OVIO_OK);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    Bytes back(65280);
    ASSERT_EQ(OvReadImage(real.c_str(), back.data(), 4), OVIO_OK);
    EXPECT_EQ(back, b);
}

TEST(WriteSafety, ReadOnlyFilesCanBeRead) {
    TempDir dir;
    const std::string path = dir.file("ro.tif");
    const Bytes a = randomPixels(65280, 135);
    ASSERT_EQ(OvWriteImage(path.c_str(), a.data(), 4), OVIO_OK);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    Bytes back(65280);
    EXPECT_EQ(OvReadImage(path.c_str(), back.data(), 4), OVIO_OK);
    EXPECT_EQ(back, a);
}
