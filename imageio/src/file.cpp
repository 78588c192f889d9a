#include "file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

namespace ovio {

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

bool File::open(const std::string& path, Mode mode) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

int64_t File::readSome(uint64_t off, void* dst, size_t n) const {
    if (fd_ < 0) return -1;
    if (off >= size_ || n == 0) return 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, dst, n, static_cast<off_t>(off));
        if (got >= 0) return got;
        if (errno != EINTR) return -1;
    }
}

bool File::readExact(uint64_t off, void* dst, size_t n) const {
    auto* p = static_cast<uint8_t*>(dst);
    while (n > 0) {
        const int64_t got = readSome(off, p, n);
        if (got <= 0) return false;
        p += got;
        off += static_cast<uint64_t>(got);
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool File::writeAt(uint64_t off, const void* src, size_t n) {
    if (fd_ < 0) return false;
    const auto* p = static_cast<const uint8_t*>(src);
    while (n > 0) {
        const ssize_t put = ::pwrite(fd_, p, n, static_cast<off_t>(off));
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += put;
        off += static_cast<uint64_t>(put);
        n -= static_cast<size_t>(put);
        if (off > size_) size_ = off;
    }
    return true;
}

bool File::truncate(uint64_t length) {
    if (fd_ < 0 || ::ftruncate(fd_, static_cast<off_t>(length)) != 0) return false;
    size_ = length;
    return true;
}

FileCreator::~FileCreator() {
    discard();
}

void FileCreator::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        if (!direct_) ::unlink(temp_.c_str());
    }
}

bool FileCreator::create(const std::string& path) {
    discard();
    failed_ = false;
    direct_ = false;
    target_ = path;
    // Write where the name leads: through symbolic links, and straight into anything that
    // is not a regular file (a device or a pipe cannot be replaced by a rename).
    mode_t mode = 0;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            direct_ = fd_ >= 0;
            return direct_;
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".ovio-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) return false;
    temp_ = name.data();
    // mkstemp makes the file private; give it the mode the old file or a creat() would.
    if (::fchmod(fd_, mode) != 0) {
        discard();
        return false;
    }
    return true;
}

bool FileCreator::write(const void* src, size_t n) {
    if (fd_ < 0 || failed_) return false;
    const auto* p = static_cast<const uint8_t*>(src);
    while (n > 0) {
        const ssize_t put = ::write(fd_, p, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            return false;
        }
        p += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

bool FileCreator::commit() {
    if (fd_ < 0) return false;
    if (direct_) {
        const bool ok = ::close(fd_) == 0 && !failed_;
        fd_ = -1;
        return ok;
    }
    if (failed_ || ::close(fd_) != 0) {
        fd_ = -1;
        ::unlink(temp_.c_str());
        return false;
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        return false;
    }
    return true;
}

}  // namespace ovio
