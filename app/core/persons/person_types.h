#pragma once
// Limits, flags and result codes of the person database, and the owned memory block that
// carries descriptors and pictures.

#include <cstddef>
#include <cstdint>

namespace persons {

inline constexpr int kMaxFaces = 16;
inline constexpr std::uint32_t kNotStored = 65535;  // record number of a record not yet written
inline constexpr std::uint32_t kDescriptorSize = 3072;
inline constexpr std::uint32_t kPictureSize = 0x10000;
inline constexpr std::uint16_t kPictureWidth = 256;
inline constexpr std::uint16_t kPictureHeight = 255;
inline constexpr char kDeletedFlag = '*';

// ACCESS bits.
inline constexpr std::uint8_t kAccessAdmin = 1;
inline constexpr std::uint8_t kAccessEnabled = 2;

// Result codes of the application; everything else a call returns is the table engine's or
// the image-file library's code.
enum : int {
    kOk = 0,
    kNoMemory = 8,          // a face object or one of its buffers cannot be allocated
    kBadRecord = 9001,      // a stored record does not read as a person or a face
    kFaceMismatch = 9002,   // a face reference names a deleted face or another person's
    kDuplicateUser = 9003,  // another person already has this user ID
    kBadArgument = 9004,    // empty user ID, slot out of range, no such face
    kNotOpen = 9005,        // the base is not open
    kBadLayout = 9006,      // a table's record layout is not the person database's
    kFileError = 9007       // a picture file cannot be renamed or removed
};

// Local time of a face capture.
struct CaptureTime {
    std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool operator==(const CaptureTime&) const = default;
};

CaptureTime currentLocalTime();

// A block from the image-file library's allocator, given back when the owner goes.
class MemBlock {
  public:
    MemBlock() = default;
    MemBlock(MemBlock&& o) noexcept : data_(o.data_), size_(o.size_) {
        o.data_ = nullptr;
        o.size_ = 0;
    }
    MemBlock& operator=(MemBlock&& o) noexcept;
    MemBlock(const MemBlock&) = delete;
    MemBlock& operator=(const MemBlock&) = delete;
    ~MemBlock() { reset(); }

    // An empty block when memory is short.
    static MemBlock allocate(std::uint32_t size);

    explicit operator bool() const { return data_ != nullptr; }
    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::uint32_t size() const { return size_; }
    void reset();

  private:
    std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
};

}  // namespace persons
