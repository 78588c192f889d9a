#pragma once
// Everything that lives as long as the library is loaded, in one place.

#include <array>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

#include "block_pool.h"
#include "config_store.h"
#include "geometry/region_cache.h"
#include "mask.h"
#include "ovfc32.h"
#include "pipeline/probe_cache.h"
#include "workspaces.h"

namespace ovfc {

struct LastMatchElements {
    std::array<FaceElementInfo, 8> records{};
    int count = 0;
};

// The engine's calls on a state (face_calls.h) read the configuration and the default masks
// and take their buffers from the pool they are given (the state's own pool by default).
// The exported functions share one state between threads: they hold configLock shared for a
// call and exclusively for a change of the configuration, give every running call a pool
// of its own from workspaces, and publish the last-match table under lastMatchLock.
struct LibraryState {
    // Declared first so that it is destroyed last: the masks below hold its blocks.
    BlockPool pool;
    ConfigStore config;
    bool initialised = false;
    MaskSet defaultMasks{pool};
    LastMatchElements lastMatch;
    ProbeSearchCache probeCache;  // face and eye searches of the last probes compared
    RegionCache regions;          // regions of the last probe, for calls on `pool`

    std::shared_mutex configLock;
    std::mutex lastMatchLock;
    Workspaces workspaces;
};

// The one instance of the library.
LibraryState& libraryState();

}  // namespace ovfc
