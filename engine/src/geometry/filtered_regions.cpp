#include "geometry/filtered_regions.h"

#include <new>

namespace ovfc {

FilteredRegion* FilteredRegions::find(const RotatedGeometry& g, int bit, double multiplier, int mw,
                                      int mh) {
    if (memory_ == nullptr) {
        constexpr std::size_t words = kEntries * kEntryBytes / sizeof(std::int64_t);
        memory_.reset(new (std::nothrow) std::int64_t[words]);
        if (memory_ == nullptr) return nullptr;
        auto* base = reinterpret_cast<std::uint8_t*>(memory_.get());
        for (int i = 0; i < kEntries; ++i) {
            std::uint8_t* at = base + static_cast<std::size_t>(i) * kEntryBytes;
            entries_[i].pixels = at;
            entries_[i].capacity = kPixelBytes;
            entries_[i].tables.attach(at + kPixelBytes, kTableBytes);
        }
    }
    const Key k{g.ox, g.oy, g.scale, g.cx, g.sx, g.width, g.height, bit, multiplier, mw, mh};
    int slot = 0;
    for (int i = 0; i < kEntries; ++i) {
        if (used_[i] && keys_[i] == k) {
            lastUse_[i] = ++clock_;
            if (entries_[i].ready) ++hits_;
            return &entries_[i];
        }
        if (!used_[slot]) continue;
        if (!used_[i] || lastUse_[i] < lastUse_[slot]) slot = i;
    }
    keys_[slot] = k;
    used_[slot] = true;
    lastUse_[slot] = ++clock_;
    FilteredRegion& e = entries_[slot];
    e.ready = false;
    e.tables.reset();
    return &e;
}

void FilteredRegions::clear() {
    for (int i = 0; i < kEntries; ++i) {
        used_[i] = false;
        entries_[i].ready = false;
        entries_[i].tables.reset();
    }
}

}  // namespace ovfc
