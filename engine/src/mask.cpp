#include <cstring>
#include <new>

#include "mask.h"
#include "status.h"

namespace ovfc {

int Mask::fillFromRegion(BlockPool& pool, std::uint8_t maskId, std::uint32_t x, std::uint32_t y,
                         std::uint32_t maskScore, std::uint32_t w, std::uint32_t h,
                         unsigned options, const std::uint8_t* first, std::size_t stride) {
    clear();
    id = maskId;
    width = w;
    height = h;
    centreX = x;
    centreY = y;
    halfWidth = w >> 1;
    halfHeight = h >> 1;
    score = maskScore;
    if (options == 0) return kOk;
    pixels = pool.take(area());
    if (!pixels) return kNoMemory;
    for (std::uint32_t r = 0; r < h; ++r)
        std::memcpy(pixels.data() + static_cast<std::size_t>(r) * w, first + r * stride, w);
    if (options & kNormalise) return normalise(pool, pixels.data());
    return kOk;
}

int MaskSet::reserve(std::uint8_t capacity) {
    clear();
    if (capacity > kInlineMasks) {
        try {
            spill_.resize(capacity);
        } catch (const std::bad_alloc&) {
            return kNoMemory;
        }
    }
    capacity_ = capacity;
    return kOk;
}

void MaskSet::clear() {
    for (Mask& m : inline_) m.clear();
    spill_.clear();
    spill_.shrink_to_fit();
    count_ = 0;
    capacity_ = 0;
}

const Mask* MaskSet::find(std::uint8_t id) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (slots()[i].id == id) return &slots()[i];
    return nullptr;
}

Mask* MaskSet::find(std::uint8_t id) {
    for (std::size_t i = 0; i < count_; ++i)
        if (slots()[i].id == id) return &slots()[i];
    return nullptr;
}

int MaskSet::put(std::uint8_t id, std::uint32_t x, std::uint32_t y, std::uint32_t score,
                 std::uint32_t w, std::uint32_t h, const std::uint8_t* first, std::size_t stride) {
    if (count_ >= capacity_) return kNoMemory;
    Mask* m = find(id);
    if (m == nullptr) m = &slots()[count_++];
    return m->fillFromRegion(*pool_, id, x, y, score, w, h, kKeepPixels, first, stride);
}

}  // namespace ovfc
