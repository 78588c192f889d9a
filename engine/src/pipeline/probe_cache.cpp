#include "pipeline/probe_cache.h"

#include <cstring>

#include "config_store.h"

namespace ovfc {

bool ProbeSearchCache::restore(FaceContext& ctx, int& rc) const {
    if (!enabled || !valid_) return false;
    const GreyImage& im = ctx.image;
    const std::size_t n = static_cast<std::size_t>(im.width) * im.height;
    if (im.width != width_ || im.height != height_ || ctx.elementCount != elementCount_ ||
        ctx.config.generation() != configGeneration_ || pixels_.size() != n ||
        std::memcmp(pixels_.data(), im.data(), n) != 0)
        return false;
    ctx.face = face_;
    ctx.elements = elements_;
    ctx.unit = unit_;
    std::memcpy(ctx.faceRatio, faceRatio_, sizeof faceRatio_);
    rc = rc_;
    ++hits_;
    return true;
}

void ProbeSearchCache::store(const FaceContext& ctx, int rc) {
    valid_ = false;
    if (!enabled) return;
    const GreyImage& im = ctx.image;
    const std::size_t n = static_cast<std::size_t>(im.width) * im.height;
    try {
        pixels_.resize(n);  // keeps its capacity: no allocation once the size was seen
    } catch (const std::bad_alloc&) {
        return;
    }
    std::memcpy(pixels_.data(), im.data(), n);
    width_ = im.width;
    height_ = im.height;
    configGeneration_ = ctx.config.generation();
    elementCount_ = ctx.elementCount;
    rc_ = rc;
    face_ = ctx.face;
    elements_ = ctx.elements;
    unit_ = ctx.unit;
    std::memcpy(faceRatio_, ctx.faceRatio, sizeof faceRatio_);
    valid_ = true;
}

}  // namespace ovfc
