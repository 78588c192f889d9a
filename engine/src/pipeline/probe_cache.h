#pragma once
// The face and eye-pair searches of the last probes compared. An identification compares one
// probe with many descriptors, and a statistics run compares the same registered images with
// every sample; the searches up to the chosen eye pair read only the image, the default masks
// and the configuration, so their results are kept and reused while the same image comes back
// under the same configuration.
//
// Thread-safe: restore() and store() may run on several threads at once. enabled is set only
// while no call runs.

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "../face_context.h"

namespace ovfc {

class ProbeSearchCache {
  public:
    // Searches kept at most; the least recently used one gives way.
    static constexpr int kEntries = 64;

    // Whether the cache is used at all (on by default).
    bool enabled = true;

    // The kept result if it belongs to exactly this image, configuration and element count:
    // the records are put into the context and the search's code returned in `rc`.
    bool restore(FaceContext& ctx, int& rc) const;
    // Keeps the records of the context and the code of its search. Allocates only while the
    // cache fills (or for an image of a size it has not held).
    void store(const FaceContext& ctx, int rc);
    // Forgets every search; the memory stays for reuse.
    void clear();
    // How many times restore() found the result (for tests and benchmarks).
    std::uint64_t hits() const;

  private:
    struct Entry {
        bool valid = false;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> pixels;
        std::int32_t width = 0, height = 0;
        std::uint32_t checksum = 0;
        std::uint64_t configGeneration = 0;
        std::uint32_t elementCount = 0;
        int rc = 0;
        ElementRecord face;
        std::array<ElementRecord, kElementCount> elements;
        UnitRecord unit;
        double faceRatio[3] = {0, 0, 0};
    };
    // The valid entry of this image and configuration, or -1. Holds mutex_.
    int find(const FaceContext& ctx) const;

    mutable std::mutex mutex_;
    mutable std::array<Entry, kEntries> entries_;
    mutable std::uint64_t clock_ = 0;
    mutable std::uint64_t hits_ = 0;
};

}  // namespace ovfc
