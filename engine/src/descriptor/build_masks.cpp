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

    const RegionRequest q{.xMin = record.xC,
                          .xMax = record.xC,
                          .yMin = record.yC,
                          .yMax = record.yC,
                          .scale = static_cast<double>(u) / ctx.unit.unit,
                          .yShift = static_cast<double>(f),
                          .maskW = w,
                          .maskH = h,
                          .minW = w,
                          .minH = h,
                          .mode = BorderMode::Shift};
    PoolScratch scratch(ctx.pool);
    RotatedBuffer region(scratch);
    if (const int rc = BuildEyeLineRegion(ctx, q, region); rc != kOk) return rc;
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
