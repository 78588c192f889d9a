#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/paths.h"

namespace platform {

namespace {

std::string folderOf(const std::string& path) {
    const std::string folder = directoryPart(path);
    return folder.empty() ? std::string("./") : folder;
}

// The beginning of the temporary files' names of a target (the name is cut so that it
// stays within the usual 255 bytes).
std::string temporaryStem(const std::string& target) {
    std::string stem(1, '.');
    stem += fileNamePart(target).substr(0, 200);
    stem += ".tmp-";
    return stem;
}

// A temporary file beside the target, created exclusively; removed at the end unless
// released.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        std::string stem = directoryPart(target);
        stem += temporaryStem(target);
        stem += std::to_string(::getpid());
        stem += '-';
        std::random_device device;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(device()));
            std::string name = stem + suffix;
            int fd;
            do
                fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0666);
            while (fd < 0 && errno == EINTR);
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
    // 0 or -1 with errno.
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

// 0, or the errno of the failed write.
int writeAll(int fd, std::string_view text, const ChunkWriter& writer) {
    std::size_t done = 0;
    while (done < text.size()) {
        const char* data = text.data() + done;
        const std::size_t size = text.size() - done;
        const long n = writer ? writer(fd, data, size) : static_cast<long>(::write(fd, data, size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno ? errno : EIO;
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

ReplaceResult failed(ReplaceStage stage, int error) {
    return {stage, error};
}

// Puts the written file at the target where no file exists.
ReplaceResult renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno == EEXIST) return failed(ReplaceStage::Kept, 0);
    if (errno != EINVAL && errno != ENOSYS) return failed(ReplaceStage::Rename, errno);
    // The file system has no such rename: a hard link fails as well where a file exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? failed(ReplaceStage::Kept, 0)
                               : failed(ReplaceStage::Rename, errno);
    ::unlink(from.c_str());
    return {};
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is done; a failure here changes nothing
    ::close(fd);
}

}  // namespace

ReplaceResult replaceFileContents(const std::string& path, std::string_view text, ReplaceMode mode,
                                  const ChunkWriter& writer) {
    struct stat old {};
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    if (exists && mode == ReplaceMode::KeepExisting) return failed(ReplaceStage::Kept, 0);
    TemporaryFile temporary(path);
    if (!temporary.created()) return failed(ReplaceStage::Create, temporary.error());
    if (exists && S_ISREG(old.st_mode)) ::fchmod(temporary.fd(), old.st_mode & 07777);
    if (const int error = writeAll(temporary.fd(), text, writer))
        return failed(ReplaceStage::Write, error);
    if (::fsync(temporary.fd()) != 0 || temporary.close() != 0)
        return failed(ReplaceStage::Write, errno);
    if (mode == ReplaceMode::KeepExisting) {
        const ReplaceResult placed = renameNoReplace(temporary.path(), path);
        if (!placed.ok()) return placed;  // the temporary goes
    } else if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        return failed(ReplaceStage::Rename, errno);
    }
    temporary.release();
    syncFolder(folderOf(path));
    return {};
}

void removeStaleTemporaries(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::string stem = temporaryStem(path);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name(e->d_name);
        if (name.substr(0, stem.size()) == stem)
            ::unlinkat(::dirfd(dir), e->d_name, 0);  // a file another process removed is fine
    }
    ::closedir(dir);
}

int probeFolderWritable(const std::string& path) {
    TemporaryFile probe(path);
    return probe.created() ? 0 : probe.error();
}

}  // namespace platform
