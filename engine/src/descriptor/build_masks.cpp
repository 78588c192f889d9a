#include "descriptor/build_masks.h"

#include <cstring>

#include "config_keys.h"
#include "config_store.h"
#include "geometry/face_geometry.h"
#include "geometry/rotated_region.h"
#include "pipeline.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {

int CutMask(FaceContext& ctx, const ElementRecord& record) {
    const ConfigStore& c = ctx.config;
    const std::int32_t w = c.readInt("mask", ElementKey(record.name, "_mask_width"));
    const std::int32_t h = c.readInt("mask", ElementKey(record.name, "_mask_height"));
    const std::int32_t f = c.readInt("mask", ElementKey(record.name, "_mask_y_shift"));
    const std::int32_t u = c.readInt("mask", ElementKey(record.name, "_mask_unit"));
    // A mask must have pixels and fit the 8-bit size fields of a descriptor.
    if (w <= 0 || h <= 0 || w > 255 || h > 255 || u <= 0) throw XERRORINI();
    if (ctx.unit.unit <= 0) return kGeometry;

    RegionRequest q;
    q.xMin = q.xMax = record.xC;
    q.yMin = q.yMax = record.yC;
    q.scale = static_cast<double>(u) / ctx.unit.unit;
    q.yShift = f;
    q.maskW = q.minW = w;
    q.maskH = q.minH = h;
    q.mode = BorderMode::Shift;
    PoolScratch scratch(ctx.pool);
    RotatedBuffer region(scratch);
    const ImageView image{ctx.image.data(), ctx.image.width, ctx.image.height, ctx.image.width};
    if (const int rc = region.build(image, EyeLineSlope(ctx), q); rc != kOk) return rc;
    const ImageView px = region.view();
    return ctx.masks.put(
        static_cast<std::uint8_t>(record.id), static_cast<std::uint32_t>(record.xC),
        static_cast<std::uint32_t>(record.yC), static_cast<std::uint32_t>(record.score),
        static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), px.pixels,
        static_cast<std::size_t>(px.stride));
}

int BuildMasks(FaceContext& ctx) {
    if (ctx.masks.reserve(10) != kOk) return kNoMemory;
    if (const int rc = CutMask(ctx, ctx.face); rc != kOk) return rc;
    for (std::uint32_t id = 0; id < ctx.elementCount && id < kElementCount; ++id)
        if (const int rc = CutMask(ctx, ctx.elements[id]); rc != kOk) return rc;
    ElementRecord wings;
    wings.id = kNoseWings;
    std::strcpy(wings.name, "noses");
    wings.xC = ctx.elements[kNose].xC;
    wings.yC = ctx.elements[kNose].yC;
    wings.score = 0;
    return CutMask(ctx, wings);
}

}  // namespace ovfc
