// Memory blocks: plain heap blocks without a header.
#include <cstdlib>
#include <cstring>

#include "ovio32.h"

namespace {
// Fills are done in pieces of at most one standard frame.
constexpr uint32_t kFillPiece = 65280;
}  // namespace

extern "C" {

void* OvMemAlloc(uint32_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

int16_t OvMemFree(void* block) {
    std::free(block);
    return 0;
}

int16_t OvMemFill(void* block, uint32_t size, uint8_t value) {
    if (block == nullptr) return 0;
    auto* p = static_cast<uint8_t*>(block);
    while (size > 0) {
        const uint32_t n = size < kFillPiece ? size : kFillPiece;
        std::memset(p, value, n);
        p += n;
        size -= n;
    }
    return 0;
}

}  // extern "C"
