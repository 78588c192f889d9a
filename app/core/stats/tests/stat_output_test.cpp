// The log and JSON files are replaced whole or not at all: a failing or killed writer leaves
// the old file as it was and no temporary file behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fake_seams.h"
#include "stats/stat_log.h"
#include "stats/stat_output.h"

using namespace stats;
using stats_test::ScratchFolder;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int filesIn(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

// Runs the body in a child process and returns its wait status.
template <typename Body>
int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

const std::string kOld = std::string(10, '\xC4') + "\nthe old log\n";

}  // namespace

// A file size limit makes the write fail part way (EFBIG), as a full disk does.
TEST(StatOutputFile, FailedWriteKeepsTheOldLog) {
    ScratchFolder folder{"outfail"};
    const std::string path = folder.dir() + "OVFC.LOG";
    ASSERT_TRUE(writeStatLog(path, kOld));
    const int status = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(writeStatLog(path, std::string(100000, 'n')) ? 0 : 7);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7) << "the failed write was reported as written";
    EXPECT_TRUE(readFile(path) == kOld) << "the old log is lost";
    EXPECT_EQ(filesIn(folder.dir()), 1) << "the temporary file was left behind";
}

// Without SIGXFSZ ignored the limit kills the writer in the middle of the write.
TEST(StatOutputFile, KilledWriterKeepsTheOldLog) {
    ScratchFolder folder{"outkill"};
    const std::string path = folder.dir() + "OVFC.LOG";
    ASSERT_TRUE(writeStatLog(path, kOld));
    const int status = inChild([&] {
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writeStatLog(path, std::string(100000, 'n'));
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(readFile(path) == kOld) << "the old log is lost";
}

// SIGKILL from outside while the writer is half way through a large log.
TEST(StatOutputFile, SigkilledWriterKeepsTheOldLog) {
    ScratchFolder folder{"outsigkill"};
    const std::string path = folder.dir() + "OVFC.LOG";
    ASSERT_TRUE(writeStatLog(path, kOld));
    int halfway[2];
    ASSERT_EQ(::pipe(halfway), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(halfway[0]);
        // Writes the first half, tells the parent, then waits to be killed.
        const ChunkWriter stall = [&](int fd, const char* data, std::size_t size) -> long {
            const long n = ::write(fd, data, size / 2);
            const char one = 1;
            if (::write(halfway[1], &one, 1) != 1) ::_exit(3);
            for (;;) ::pause();
            return n;
        };
        writeOutputFile(path, std::string(4 << 20, 'n'), ExistingFile::Replace, stall);
        ::_exit(0);
    }
    ::close(halfway[1]);
    char one = 0;
    ASSERT_EQ(::read(halfway[0], &one, 1), 1);
    ::close(halfway[0]);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(readFile(path) == kOld) << "the old log is lost";
    EXPECT_EQ(filesIn(folder.dir()), 2) << "the half written file stays a separate file";
}

// Writes that fail as on a full disk (the chunk goes to /dev/full) are reported with ENOSPC.
TEST(StatOutputFile, FullDiskIsReportedAndNothingIsLeft) {
    ScratchFolder folder{"outfull"};
    const std::string path = folder.dir() + "run.json";
    ASSERT_TRUE(writeStatLog(path, kOld));
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full";
    int calls = 0;
    const ChunkWriter toFull = [&](int fd, const char* data, std::size_t size) -> long {
        // The first chunk lands in the file, the rest finds the disk full.
        return ::write(++calls == 1 ? fd : full, data, std::min<std::size_t>(size, 1000));
    };
    const OutputResult r =
        writeOutputFile(path, std::string(5000, 'n'), ExistingFile::Replace, toFull);
    ::close(full);
    EXPECT_EQ(r.status, OutputStatus::WriteFailed);
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_EQ(outputFailureText(r), std::strerror(ENOSPC));
    EXPECT_TRUE(readFile(path) == kOld);
    EXPECT_EQ(filesIn(folder.dir()), 1);
}

// The target's folder vanishes between the check and the write.
TEST(StatOutputFile, VanishedFolderIsAFailure) {
    ScratchFolder folder{"outgone"};
    const std::string sub = folder.dir() + "sub";
    std::filesystem::create_directories(sub);
    const std::string path = sub + "/OVFC.LOG";
    EXPECT_EQ(checkOutputFile(path, ExistingFile::Replace).status, OutputStatus::Written);
    std::filesystem::remove(sub);
    const OutputResult r = writeOutputFile(path, "text");
    EXPECT_EQ(r.status, OutputStatus::CannotCreate);
    EXPECT_EQ(r.error, ENOENT);
}

// Keep never replaces a file, also one that appeared after the check.
TEST(StatOutputFile, KeepLeavesAnExistingFile) {
    ScratchFolder folder{"outkeep"};
    const std::string path = folder.dir() + "OVFC.LOG";
    EXPECT_EQ(writeOutputFile(path, "first", ExistingFile::Keep).status, OutputStatus::Written);
    EXPECT_EQ(readFile(path), "first");
    EXPECT_EQ(writeOutputFile(path, "second", ExistingFile::Keep).status, OutputStatus::Kept);
    EXPECT_EQ(readFile(path), "first");
    EXPECT_EQ(writeOutputFile(path, "third").status, OutputStatus::Written);
    EXPECT_EQ(readFile(path), "third");
    EXPECT_EQ(filesIn(folder.dir()), 1);

    // Another program creates the file while ours is being written.
    const std::string late = folder.dir() + "late.json";
    const ChunkWriter racing = [&](int fd, const char* data, std::size_t size) -> long {
        if (!std::filesystem::exists(late)) std::ofstream(late) << "theirs";
        return ::write(fd, data, size);
    };
    EXPECT_EQ(writeOutputFile(late, "ours", ExistingFile::Keep, racing).status, OutputStatus::Kept);
    EXPECT_EQ(readFile(late), "theirs");
    EXPECT_EQ(filesIn(folder.dir()), 2) << "the temporary file was left behind";
}

// The replaced file keeps its permission bits.
TEST(StatOutputFile, ReplacedFileKeepsItsMode) {
    ScratchFolder folder{"outmode"};
    const std::string path = folder.dir() + "OVFC.LOG";
    ASSERT_TRUE(writeStatLog(path, kOld));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeStatLog(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(StatOutputFile, CheckBeforeTheRun) {
    ScratchFolder folder{"outcheck"};
    const std::string path = folder.dir() + "OVFC.LOG";
    EXPECT_EQ(checkOutputFile(path, ExistingFile::Keep).status, OutputStatus::Written);
    EXPECT_EQ(filesIn(folder.dir()), 0) << "the probe file was left behind";
    EXPECT_EQ(checkOutputFile(folder.dir() + "none/OVFC.LOG", ExistingFile::Replace).status,
              OutputStatus::NoFolder);
    std::filesystem::create_directories(folder.dir() + "dir.log");
    EXPECT_EQ(checkOutputFile(folder.dir() + "dir.log", ExistingFile::Replace).status,
              OutputStatus::IsFolder);
    EXPECT_EQ(writeOutputFile(folder.dir() + "dir.log", "x").status, OutputStatus::IsFolder);
    ASSERT_TRUE(writeStatLog(path, kOld));
    EXPECT_EQ(checkOutputFile(path, ExistingFile::Keep).status, OutputStatus::Kept);
    EXPECT_EQ(checkOutputFile(path, ExistingFile::Replace).status, OutputStatus::Written);
    EXPECT_TRUE(readFile(path) == kOld);
}
