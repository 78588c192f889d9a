#pragma once
// The comparison as the exported call runs it on a caller's items.

#include <cstdint>

#include "face_calls.h"
#include "library_state.h"

namespace ovfc {

// matchItems on items a caller passed: an image is width x height bytes, a descriptor
// kMaxBlobSize bytes, and nothing past either is read. An image smaller than the magic
// cannot be told from a descriptor without reading past it, so at such sizes both items
// are taken as images. Returns what matchItems returns; may raise XERRORINI. Buffers come
// from `pool`, kept regions from `regions` (may be null); thread-safe as matchItems is.
int matchCallerItems(LibraryState& state, BlockPool& pool, RegionCache* regions,
                     const std::uint8_t* first, const std::uint8_t* second, std::int32_t* score,
                     int width, int height);

}  // namespace ovfc
