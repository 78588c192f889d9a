#include "persons/table_check.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/unique_fd.h"
#include "tablib95.h"

namespace persons {

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::uint8_t kLiveFlag = ' ';
constexpr std::uint8_t kDeletedRecordFlag = '*';

bool readAt(int fd, std::uint64_t offset, std::uint8_t* buf, std::size_t n) {
    while (n > 0) {
        const ssize_t got = ::pread(fd, buf, n, static_cast<off_t>(offset));
        if (got <= 0) return false;
        buf += got;
        n -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

std::uint32_t getU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

TableTail inspect(int fd) {
    TableTail t;
    struct stat st {};
    std::uint8_t h[kHeaderSize];
    if (::fstat(fd, &st) != 0 || !readAt(fd, 0, h, sizeof h)) return t;
    const std::uint32_t headerLength = std::uint32_t{h[8]} | std::uint32_t{h[9]} << 8;
    const std::uint32_t recordLength = std::uint32_t{h[10]} | std::uint32_t{h[11]} << 8;
    if (headerLength < kHeaderSize + 33 || recordLength < 2) return t;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < headerLength) return t;
    t.readable = true;
    t.count = getU32(h + 4);
    const std::uint64_t held = (size - headerLength) / recordLength;
    for (std::uint64_t n = std::uint64_t{t.count} + 1; n <= held && t.behind < UINT32_MAX - t.count;
         ++n) {
        std::uint8_t flag = 0;
        if (!readAt(fd, headerLength + (n - 1) * recordLength, &flag, 1)) break;
        if (flag != kLiveFlag && flag != kDeletedRecordFlag) break;
        ++t.behind;
    }
    return t;
}

}  // namespace

TableTail inspectTable(const std::string& path) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.get() < 0 ? TableTail{} : inspect(fd.get());
}

int raiseCount(const std::string& path, const TableTail& t) {
    platform::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) return TL_E_IO;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return TL_E_LOCK;
    // Looked at again under the lock: only the state seen there is changed.
    const TableTail now = inspect(fd.get());
    if (!now.readable || now.count != t.count || now.behind != t.behind) return TL_E_LOCK;
    const std::uint32_t count = t.count + t.behind;
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    const bool written =
        ::pwrite(fd.get(), bytes, sizeof bytes, 4) == static_cast<ssize_t>(sizeof bytes) &&
        ::fsync(fd.get()) == 0;
    return written ? 0 : TL_E_IO;
}

}  // namespace persons
