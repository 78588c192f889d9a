#pragma once
// Layout constants of the descriptor blob.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ovfc {

inline constexpr char kDescriptorMagic[] = "OVFCDESC";
inline constexpr std::size_t kMagicSize = 8;
inline constexpr std::uint8_t kDescriptorVersion = 3;
inline constexpr std::size_t kBlobHeaderSize = 10;
inline constexpr std::size_t kRecordHeaderSize = 14;
// Largest blob accepted from or written for a caller (the callers' buffer size).
inline constexpr std::size_t kMaxBlobSize = 3072;

// An item passed to the interface is a descriptor exactly when it begins with the magic.
inline bool isDescriptor(const void* item) {
    return std::memcmp(item, kDescriptorMagic, kMagicSize) == 0;
}

}  // namespace ovfc
