#include "stats/stat_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/paths.h"

namespace stats {

namespace {

OutputResult failure(OutputStatus status, int error) {
    return {status, error};
}

std::string folderOf(const std::string& path) {
    const std::string folder = platform::directoryPart(path);
    return folder.empty() ? std::string("./") : folder;
}

// An open file descriptor, closed at the end.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now; 0 or -1 with errno.
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

// A temporary file beside the target, created exclusively; removed at the end unless
// released.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        const std::string folder = platform::directoryPart(target);
        // The name is cut so that the temporary name stays within the usual 255 bytes.
        const std::string stem = folder + "." + platform::fileNamePart(target).substr(0, 200) +
                                 ".tmp-" + std::to_string(::getpid()) + "-";
        std::random_device device;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(device()));
            std::string name = stem + suffix;
            const int fd =
                ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) {
                fd_ = fd;
                path_ = std::move(name);
                return;
            }
            error_ = errno;
            if (error_ != EEXIST) return;
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    bool created() const { return !path_.empty(); }
    int error() const { return error_; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Closes the file; 0 or -1 with errno.
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    // The file is in place (or gone): nothing to remove.
    void release() { path_.clear(); }

  private:
    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

long systemWrite(int fd, const char* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}

// 0, or the errno of the failed write.
int writeAll(int fd, std::string_view text, const ChunkWriter& writer) {
    std::size_t done = 0;
    while (done < text.size()) {
        const long n = writer ? writer(fd, text.data() + done, text.size() - done)
                              : systemWrite(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno ? errno : EIO;
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Puts the written file at the target where no file exists; Kept when one does.
OutputResult renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno == EEXIST) return failure(OutputStatus::Kept, 0);
    if (errno != EINVAL && errno != ENOSYS) return failure(OutputStatus::RenameFailed, errno);
    // The file system has no such rename: a hard link fails as well where a file exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? failure(OutputStatus::Kept, 0)
                               : failure(OutputStatus::RenameFailed, errno);
    ::unlink(from.c_str());
    return {};
}

void syncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());  // the rename is done; a failure here changes nothing
}

}  // namespace

OutputResult checkOutputFile(const std::string& path, ExistingFile existing) {
    struct stat folderInfo {};
    if (::stat(folderOf(path).c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
        return failure(OutputStatus::NoFolder, ENOENT);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
            return failure(OutputStatus::IsFolder, EISDIR);
        if (existing == ExistingFile::Keep) return failure(OutputStatus::Kept, 0);
        if (::access(path.c_str(), W_OK) != 0) return failure(OutputStatus::NotWritable, errno);
    }
    TemporaryFile probe(path);
    if (!probe.created())
        return failure(probe.error() == EACCES || probe.error() == EROFS || probe.error() == EPERM
                           ? OutputStatus::NotWritable
                           : OutputStatus::CannotCreate,
                       probe.error());
    return {};
}

OutputResult writeOutputFile(const std::string& path, std::string_view text, ExistingFile existing,
                             const ChunkWriter& writer) {
    struct stat target {};
    const bool exists = ::lstat(path.c_str(), &target) == 0;
    if (exists && existing == ExistingFile::Keep) return failure(OutputStatus::Kept, 0);
    struct stat followed {};
    if (exists && ::stat(path.c_str(), &followed) == 0 && S_ISDIR(followed.st_mode))
        return failure(OutputStatus::IsFolder, EISDIR);

    TemporaryFile temporary(path);
    if (!temporary.created()) return failure(OutputStatus::CannotCreate, temporary.error());
    if (exists && S_ISREG(target.st_mode)) ::fchmod(temporary.fd(), target.st_mode & 07777);
    if (const int error = writeAll(temporary.fd(), text, writer))
        return failure(OutputStatus::WriteFailed, error);
    if (::fsync(temporary.fd()) != 0 || temporary.close() != 0)
        return failure(OutputStatus::WriteFailed, errno);

    if (existing == ExistingFile::Keep) {
        const OutputResult placed = renameNoReplace(temporary.path(), path);
        if (placed.status != OutputStatus::Written) return placed;  // the temporary goes
    } else if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        return failure(OutputStatus::RenameFailed, errno);
    }
    temporary.release();
    syncFolder(folderOf(path));
    return {};
}

std::string outputFailureText(const OutputResult& result) {
    switch (result.status) {
        case OutputStatus::Written:
        case OutputStatus::Kept:
            return {};
        case OutputStatus::NoFolder:
            return "no such folder";
        case OutputStatus::IsFolder:
            return "it is a folder";
        default:
            return result.error ? std::strerror(result.error) : "unknown error";
    }
}

}  // namespace stats
