#pragma once
// Little-endian fields of file headers.

#include <cstdint>

namespace ovio {

inline uint16_t getLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t getLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void putLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void putLe32(uint8_t* p, uint32_t v) {
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

}  // namespace ovio
