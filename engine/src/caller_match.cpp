#include "caller_match.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "descriptor_blob.h"

namespace ovfc {

int matchCallerItems(LibraryState& state, BlockPool& pool, RegionCache* regions,
                     const std::uint8_t* first, const std::uint8_t* second, std::int32_t* score,
                     int width, int height) {
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bytes >= kMagicSize)
        return matchItems(state, pool, regions, first, second, score, width, height);
    // Zero-padded copies: the classification reads whole magics, and zero bytes never
    // complete one, so both copies count as images and only their first bytes are used.
    std::array<std::uint8_t, kMagicSize> a{}, b{};
    std::memcpy(a.data(), first, bytes);
    std::memcpy(b.data(), second, bytes);
    return matchItems(state, pool, regions, a.data(), b.data(), score, width, height);
}

}  // namespace ovfc
