#pragma once
// Resampled regions of one probe image kept for the next comparisons with it. An
// identification compares the same probe with many descriptors, and the comparison vector
// resamples the same regions (the same element centres and units) for most of them; a
// region is a function of the image and its geometry only, so a kept copy is the region.
//
// It also keeps the comparison's filtered masks (FilteredMasks), and the bound image's regions
// through the derivative filters (FilteredRegions), for the same calls.
//
// Belongs to one call at a time (a workspace's or a state's); not thread-safe.

#include <cstdint>
#include <memory>
#include <vector>

#include "../compare/filtered_masks.h"
#include "../filters/image_view.h"
#include "filtered_regions.h"
#include "rotated_region.h"

namespace ovfc {

class RegionCache {
  public:
    static constexpr int kEntries = 256;
    static constexpr std::size_t kMaxBytes = 64 * 64;  // larger regions are not kept

    RegionCache() = default;
    RegionCache(const RegionCache&) = delete;
    RegionCache& operator=(const RegionCache&) = delete;

    // Makes the cache that of this image: the kept regions stay when it holds the same
    // pixels as the last image bound, else they are dropped. False when memory is short
    // (the cache is then unbound and keeps nothing).
    bool bind(ImageView image);
    // The kept region of this geometry copied into `out` (width x height bytes, no gap).
    bool find(const RotatedGeometry& g, std::uint8_t* out);
    // Keeps a region of this geometry just resampled from the bound image.
    void keep(const RotatedGeometry& g, const std::uint8_t* pixels);
    void clear();

    // The filtered masks of the calls that use this cache. They depend on no image, so
    // bind() and clear() keep them.
    FilteredMasks& masks() { return masks_; }
    // The bound image's filtered regions; dropped with the regions.
    FilteredRegions& filtered() { return filtered_; }

    // Regions found (for tests and benchmarks).
    std::uint64_t hits() const { return hits_; }

  private:
    struct Key {
        double ox, oy, scale, cx, sx;
        int width, height;
        bool operator==(const Key&) const = default;
    };
    static Key keyOf(const RotatedGeometry& g);

    bool bound_ = false;
    std::vector<std::uint8_t> image_;
    int imageW_ = 0, imageH_ = 0;
    Key keys_[kEntries] = {};
    std::uint64_t lastUse_[kEntries] = {};
    bool used_[kEntries] = {};
    std::unique_ptr<std::uint8_t[]> pixels_;  // kEntries x kMaxBytes, made on first keep
    std::uint64_t clock_ = 0;
    std::uint64_t hits_ = 0;
    FilteredMasks masks_;
    FilteredRegions filtered_;
};

}  // namespace ovfc
