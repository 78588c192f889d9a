#include "face_context.h"

#include <bit>
#include <cstring>

#include "config_store.h"
#include "library_state.h"
#include "status.h"

namespace ovfc {

std::uint32_t filterCountOf(std::uint32_t mask) {
    return static_cast<std::uint32_t>(std::popcount(mask & 0xFFFFu));
}

FaceContext::FaceContext(LibraryState& state) : FaceContext(state, state.pool) {}

FaceContext::FaceContext(LibraryState& state, BlockPool& blocks)
    : library(state), config(state.config), pool(blocks), masks(blocks) {
    face.id = kFace;
    std::strcpy(face.name, "face");
    for (int i = 0; i < kElementCount; ++i) {
        elements[i].id = i;
        std::strcpy(elements[i].name, kElementNames[i]);
    }
    const std::int32_t n = config.readInt("param", "Number_of_face_elements");
    const std::int32_t mask = config.readInt("param", "using_descriptors_mask");
    // The context holds eight element records, and nine filters exist.
    if (n < 0 || n > kElementCount || (static_cast<std::uint32_t>(mask) & 0xFE00u) != 0)
        throw XERRORINI();
    elementCount = static_cast<std::uint32_t>(n);
    filterMask = static_cast<std::uint32_t>(mask);
    filterCount = filterCountOf(filterMask);
}

}  // namespace ovfc
