#include "file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tablib {

File& File::operator=(File&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_;
        o.fd_ = -1;
    }
    return *this;
}

File::~File() {
    close();
}

void File::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

File File::open(const std::string& path, bool writable) {
    return File(::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC));
}

bool File::readAt(uint64_t offset, void* buf, size_t n) const {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        ssize_t got = ::pread(fd_, p, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool File::writeAt(uint64_t offset, const void* buf, size_t n) const {
    auto* p = static_cast<const char*>(buf);
    while (n > 0) {
        ssize_t put = ::pwrite(fd_, p, n, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        n -= static_cast<size_t>(put);
        offset += static_cast<uint64_t>(put);
    }
    return true;
}

bool File::truncate(uint64_t size) const {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

int64_t File::size() const {
    off_t end = ::lseek(fd_, 0, SEEK_END);
    return end < 0 ? -1 : static_cast<int64_t>(end);
}

std::string nativePath(const char* name) {
    std::string path(name);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool replaceFile(const std::string& path, const std::string& bytes, bool exclusive) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%ld", static_cast<long>(::getpid()));
    std::string tmp = path + suffix;
    {
        File f(::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!f.valid()) return false;
        if (!f.writeAt(0, bytes.data(), bytes.size()) || ::fsync(f.fd()) != 0) {
            ::unlink(tmp.c_str());
            return false;
        }
    }
    bool ok;
    if (exclusive) {
        // link() refuses an existing target, so an existing file is never replaced.
        ok = ::link(tmp.c_str(), path.c_str()) == 0;
        if (!ok && errno != EEXIST && ::access(path.c_str(), F_OK) != 0) {
            // A file system without hard links.
            ok = ::rename(tmp.c_str(), path.c_str()) == 0;
        }
        ::unlink(tmp.c_str());
    } else {
        ok = ::rename(tmp.c_str(), path.c_str()) == 0;
        if (!ok) ::unlink(tmp.c_str());
    }
    return ok;
}

}  // namespace tablib
