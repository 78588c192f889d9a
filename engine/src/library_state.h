#pragma once
// Everything that lives as long as the library is loaded, in one place.

#include <array>
#include <cstdint>

#include "block_pool.h"
#include "config_store.h"
#include "mask.h"
#include "ovfc32.h"
#include "pipeline/probe_cache.h"

namespace ovfc {

struct LastMatchElements {
    std::array<FaceElementInfo, 8> records{};
    int count = 0;
};

struct LibraryState {
    // Declared first so that it is destroyed last: the masks below hold its blocks.
    BlockPool pool;
    ConfigStore config;
    bool initialised = false;
    MaskSet defaultMasks{pool};
    LastMatchElements lastMatch;
    ProbeSearchCache probeCache;  // face and eye search of the last probe compared
};

// The one instance of the library.
LibraryState& libraryState();

}  // namespace ovfc
