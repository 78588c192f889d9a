#pragma once
// An owned file descriptor with whole-buffer positional reads and writes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tablib {

class File {
  public:
    File() = default;
    explicit File(int fd) : fd_(fd) {}
    File(File&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    File& operator=(File&& o) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    static File open(const std::string& path, bool writable);

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Both return false unless every byte was transferred.
    bool readAt(uint64_t offset, void* buf, size_t n) const;
    bool writeAt(uint64_t offset, const void* buf, size_t n) const;
    bool truncate(uint64_t size) const;
    // Size in bytes, or -1.
    int64_t size() const;
    void close();

  private:
    int fd_ = -1;
};

// Backslashes of caller file names count as directory separators.
std::string nativePath(const char* name);

// Writes the bytes to a temporary file beside `path` and moves it over `path`, so that a
// reader sees either the old or the new file. With `exclusive` an existing file is kept and
// false returned.
bool replaceFile(const std::string& path, const std::string& bytes, bool exclusive);

}  // namespace tablib
