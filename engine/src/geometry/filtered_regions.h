#pragma once
// Regions of one probe image through the derivative filters, with the tables of their scans,
// kept for the next comparisons with it. A filtered region and its tables depend on the
// region's pixels, the filter and the mask's size only, not on the mask's values; the region
// is a function of the bound image and its geometry, so an entry is found by the geometry,
// the filter and the mask size, and everything is dropped when the image changes.
//
// Belongs to one call at a time (a workspace's or a state's, beside its RegionCache); not
// thread-safe.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "../filters/scan_tables.h"
#include "rotated_region.h"

namespace ovfc {

class FilteredRegions {
  public:
    static constexpr int kEntries = 128;
    static constexpr std::size_t kPixelBytes = 64 * 64;  // larger filtered regions are not kept
    // Memory of an entry's scan tables (the integral images of a 64 x 64 region); tables that
    // need more are made per call.
    static constexpr std::size_t kTableBytes = 2 * 65 * 65 * sizeof(std::int64_t);

    FilteredRegions() = default;
    FilteredRegions(const FilteredRegions&) = delete;
    FilteredRegions& operator=(const FilteredRegions&) = delete;

    // The entry of the region of geometry `g` through the filter of descriptor bit `bit` with
    // `multiplier`, scanned with masks of mw x mh. When none is kept, the least recently used
    // entry is handed out, not ready (the matcher fills it). nullptr when memory is short.
    // The pointer is valid until the next call.
    FilteredRegion* find(const RotatedGeometry& g, int bit, double multiplier, int mw, int mh);
    // Drops every entry; the memory stays.
    void clear();

    // Requests answered with a ready entry (for tests and benchmarks).
    std::uint64_t hits() const { return hits_; }

  private:
    struct Key {
        double ox, oy, scale, cx, sx;
        int width, height;
        int bit;
        double multiplier;
        int maskW, maskH;
        bool operator==(const Key&) const = default;
    };
    static constexpr std::size_t kEntryBytes = kPixelBytes + kTableBytes;

    Key keys_[kEntries] = {};
    std::uint64_t lastUse_[kEntries] = {};
    bool used_[kEntries] = {};
    FilteredRegion entries_[kEntries];
    std::unique_ptr<std::int64_t[]> memory_;  // kEntries x kEntryBytes, made on first find
    std::uint64_t clock_ = 0;
    std::uint64_t hits_ = 0;
};

}  // namespace ovfc
