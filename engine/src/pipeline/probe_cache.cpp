#include "pipeline/probe_cache.h"

#include <cstring>
#include <new>

#include "config_store.h"

namespace ovfc {

int ProbeSearchCache::find(const FaceContext& ctx) const {
    const GreyImage& im = ctx.image;
    const std::size_t n = static_cast<std::size_t>(im.width) * im.height;
    const std::uint64_t generation = ctx.config.generation();
    for (int i = 0; i < kEntries; ++i) {
        const Entry& e = entries_[i];
        if (e.valid && e.checksum == im.checksum && e.width == im.width && e.height == im.height &&
            e.elementCount == ctx.elementCount && e.configGeneration == generation &&
            e.pixels.size() == n && std::memcmp(e.pixels.data(), im.data(), n) == 0)
            return i;
    }
    return -1;
}

bool ProbeSearchCache::restore(FaceContext& ctx, int& rc) const {
    if (!enabled) return false;
    const std::lock_guard<std::mutex> lock(mutex_);
    const int i = find(ctx);
    if (i < 0) return false;
    Entry& e = entries_[i];
    ctx.face = e.face;
    ctx.elements = e.elements;
    ctx.unit = e.unit;
    std::memcpy(ctx.faceRatio, e.faceRatio, sizeof e.faceRatio);
    rc = e.rc;
    e.lastUse = ++clock_;
    ++hits_;
    return true;
}

void ProbeSearchCache::store(const FaceContext& ctx, int rc) {
    if (!enabled) return;
    const GreyImage& im = ctx.image;
    const std::size_t n = static_cast<std::size_t>(im.width) * im.height;
    const std::lock_guard<std::mutex> lock(mutex_);
    // Another thread may have searched the same probe meanwhile: its entry is refreshed.
    int slot = find(ctx);
    if (slot < 0) {
        // A free entry that already holds an image of this size (no allocation), else any
        // free entry, else the least recently used one.
        int rank = 3;
        for (int i = 0; i < kEntries; ++i) {
            const Entry& e = entries_[i];
            const int r = e.valid ? 2 : (e.pixels.capacity() >= n ? 0 : 1);
            if (r < rank || (r == 2 && rank == 2 && e.lastUse < entries_[slot].lastUse)) {
                slot = i;
                rank = r;
            }
        }
    }
    Entry& e = entries_[slot];
    e.valid = false;
    try {
        e.pixels.resize(n);  // keeps its capacity: no allocation once the size was seen
    } catch (const std::bad_alloc&) {
        return;
    }
    std::memcpy(e.pixels.data(), im.data(), n);
    e.width = im.width;
    e.height = im.height;
    e.checksum = im.checksum;
    e.configGeneration = ctx.config.generation();
    e.elementCount = ctx.elementCount;
    e.rc = rc;
    e.face = ctx.face;
    e.elements = ctx.elements;
    e.unit = ctx.unit;
    std::memcpy(e.faceRatio, ctx.faceRatio, sizeof e.faceRatio);
    e.lastUse = ++clock_;
    e.valid = true;
}

void ProbeSearchCache::clear() {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_) e.valid = false;
}

std::uint64_t ProbeSearchCache::hits() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return hits_;
}

}  // namespace ovfc
