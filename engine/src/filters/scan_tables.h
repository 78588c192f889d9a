#pragma once
// The part of a template scan that depends on the region and the mask's size but not on the
// mask's values: the integral images of the scanned part and its grey levels. Kept in
// caller-given memory so that the next masks of the same size scanned over the same region
// reuse them.
//
// Belongs to one call at a time; not thread-safe.

#include <cstddef>
#include <cstdint>

namespace ovfc {

enum class MeanMode;  // match_map.h

class ScanTables {
  public:
    ScanTables() = default;
    ScanTables(const ScanTables&) = delete;
    ScanTables& operator=(const ScanTables&) = delete;

    // The memory the tables live in (not owned, aligned for int64 and double, `bytes` long).
    // Drops what was kept.
    void attach(void* memory, std::size_t bytes) {
        memory_ = static_cast<std::int64_t*>(memory);
        bytes_ = bytes;
        ready = false;
    }
    // Forgets what was kept; the memory stays.
    void reset() { ready = false; }

    // Whether the tables were made for the scan of mask centres j0..j1-1, i0..i1-1 with masks
    // of w x h in mode m.
    bool matches(MeanMode m, int j0, int j1, int i0, int i1, int w, int h) const {
        return ready && mode == m && scanJ0 == j0 && scanJ1 == j1 && scanI0 == i0 &&
               scanI1 == i1 && maskW == w && maskH == h;
    }
    std::int64_t* memory() const { return memory_; }
    std::size_t bytes() const { return bytes_; }

    // Filled by the scorer (detail::WindowScorer) that made them.
    bool ready = false;
    MeanMode mode{};
    int scanJ0 = 0, scanJ1 = 0, scanI0 = 0, scanI1 = 0;
    int maskW = 0, maskH = 0;
    const std::int64_t* sum = nullptr;
    const std::int64_t* sq = nullptr;
    std::uint8_t levelList[256] = {};  // the grey levels of the scanned part, ascending
    int levelCount = 0;

  private:
    std::int64_t* memory_ = nullptr;
    std::size_t bytes_ = 0;
};

// A region through one derivative filter, with the tables of its scan, in caller-given
// memory: `pixels` holds `capacity` bytes; `ready` when they are the filtered region.
struct FilteredRegion {
    std::uint8_t* pixels = nullptr;
    std::size_t capacity = 0;
    int width = 0, height = 0;
    bool ready = false;
    ScanTables tables;
};

}  // namespace ovfc
