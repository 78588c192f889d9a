#include "geometry/region_cache.h"

#include <cstring>
#include <new>

namespace ovfc {

RegionCache::Key RegionCache::keyOf(const RotatedGeometry& g) {
    return Key{g.ox, g.oy, g.scale, g.cx, g.sx, g.width, g.height};
}

bool RegionCache::bind(ImageView image) {
    const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
    bool same = bound_ && imageW_ == image.width && imageH_ == image.height;
    for (int y = 0; same && y < image.height; ++y)
        same = std::memcmp(image_.data() + static_cast<std::size_t>(y) * image.width, image.row(y),
                           static_cast<std::size_t>(image.width)) == 0;
    if (same) return true;
    clear();
    try {
        image_.resize(n);  // keeps its capacity: no allocation once the size was seen
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < image.height; ++y)
        std::memcpy(image_.data() + static_cast<std::size_t>(y) * image.width, image.row(y),
                    static_cast<std::size_t>(image.width));
    imageW_ = image.width;
    imageH_ = image.height;
    bound_ = true;
    return true;
}

bool RegionCache::find(const RotatedGeometry& g, std::uint8_t* out) {
    if (!bound_ || pixels_ == nullptr) return false;
    const Key k = keyOf(g);
    for (int i = 0; i < kEntries; ++i) {
        if (!used_[i] || !(keys_[i] == k)) continue;
        std::memcpy(out, pixels_.get() + i * kMaxBytes,
                    static_cast<std::size_t>(g.width) * g.height);
        lastUse_[i] = ++clock_;
        ++hits_;
        return true;
    }
    return false;
}

void RegionCache::keep(const RotatedGeometry& g, const std::uint8_t* pixels) {
    const std::size_t n = static_cast<std::size_t>(g.width) * g.height;
    if (!bound_ || n > kMaxBytes) return;
    if (pixels_ == nullptr) {
        pixels_.reset(new (std::nothrow) std::uint8_t[kEntries * kMaxBytes]);
        if (pixels_ == nullptr) return;
    }
    int slot = 0;
    for (int i = 0; i < kEntries; ++i) {
        if (!used_[i]) {
            slot = i;
            break;
        }
        if (lastUse_[i] < lastUse_[slot]) slot = i;
    }
    keys_[slot] = keyOf(g);
    std::memcpy(pixels_.get() + slot * kMaxBytes, pixels, n);
    used_[slot] = true;
    lastUse_[slot] = ++clock_;
}

void RegionCache::clear() {
    bound_ = false;
    for (bool& u : used_) u = false;
    filtered_.clear();
}

}  // namespace ovfc
