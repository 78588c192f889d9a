#include "file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/unique_fd.h"

namespace ovem {

Status readWholeFile(const std::string& path, uint64_t maxBytes, std::string& out) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return Status::kMissingFile;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Status::kMissingFile;
    if (static_cast<uint64_t>(st.st_size) > maxBytes) return Status::kExcessData;
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        return Status::kNoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Status::kMissingFile;
        if (n == 0) break;  // shrank while being read
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    out = std::move(bytes);
    return Status::kOk;
}

}  // namespace ovem
