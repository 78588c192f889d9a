#pragma once
// Files of the library: positioned reads and writes on a descriptor, and a writer that
// replaces its target only once everything has been written.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ovio {

class File {
  public:
    enum class Mode { Read, ReadWrite };

    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Opens an existing regular file; false when it cannot be opened.
    bool open(const std::string& path, Mode mode);

    // Length in bytes, as it was at open (updated by writes through this object).
    uint64_t size() const { return size_; }

    // Reads up to n bytes at off: the count read, 0 at the end of the file, -1 on error.
    int64_t readSome(uint64_t off, void* dst, size_t n) const;
    // Reads exactly n bytes at off; false on error or when the file ends first.
    bool readExact(uint64_t off, void* dst, size_t n) const;
    // Writes all n bytes at off; false on error.
    bool writeAt(uint64_t off, const void* src, size_t n);
    bool truncate(uint64_t length);

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// Writes a new file under a temporary name beside the target and renames it over the
// target on commit, so that a failed write leaves an existing file untouched.
class FileCreator {
  public:
    FileCreator() = default;
    FileCreator(const FileCreator&) = delete;
    FileCreator& operator=(const FileCreator&) = delete;
    ~FileCreator();

    bool create(const std::string& path);
    // Appends n bytes; false on error (the error sticks).
    bool write(const void* src, size_t n);
    // Flushes and renames onto the target; false on any earlier or present error.
    bool commit();

  private:
    void discard();

    int fd_ = -1;
    bool failed_ = false;
    bool direct_ = false;  // writing into the target itself (not a regular file)
    std::string target_;
    std::string temp_;
};

}  // namespace ovio
