// The comparison vector: every element below the element count measured with the context's
// own mask of its id.
#include "compare/comparison_vector.h"

#include <cstdio>
#include <string>

#include "config_keys.h"
#include "compare/filtered_masks.h"
#include "config_store.h"
#include "elements/element_search.h"
#include "filters/derivative_match.h"
#include "filters/filter_codes.h"
#include "filters/match_map.h"
#include "filters/scan_tables.h"
#include "geometry/face_geometry.h"
#include "geometry/region_cache.h"
#include "geometry/rotated_region.h"
#include "pipeline.h"
#include "pool_scratch.h"
#include "score.h"
#include "status.h"

namespace ovfc {

namespace {

// Region pixels the filter of `bit` compares, for a mw x mh mask.
long long countedPixels(int bit, long long mw, long long mh) {
    switch (bit) {
        case 0:
            return mw * mh;
        case 1:
        case 5:
            return (mw - 2) * (mh - 2);
        case 2:
        case 6:
            return (mw - 4) * (mh - 4);
        case 3:
        case 7:
            return (mw - 2) * (mh - 4);
        default:
            return (mw - 4) * (mh - 2);
    }
}

const char* multiplierKey(int bit) {
    switch (bit) {
        case 1:
        case 5:
            return "lap1_filt_mult";
        case 2:
        case 6:
            return "lap2_filt_mult";
        default:
            return "edge_filt_mult";
    }
}

int runFilter(FaceContext& ctx, Scratch& scratch, int id, int bit, const RotatedBuffer& buffer,
              MaskValues mask, MatchResult& best) {
    const ConfigStore& c = ctx.config;
    const ImageView region = buffer.view();
    if (bit == 0) return MatchGreyTemplate(ctx, scratch, region, mask, nullptr, best);
    DerivativeMatchOptions o;
    o.absolute = bit >= 5;
    o.interpolate = c.readInt("param", "ConvI_inter") != 0;
    o.multiplier = c.readReal("param", multiplierKey(bit));
    bool flat = false;
    const double* filtered =
        ctx.filteredMasks ? ctx.filteredMasks->find(id, bit, mask, flat) : nullptr;
    // The region is that of the bound image at this geometry: its filtered copy may be kept.
    FilteredRegion* kept =
        ctx.regions ? ctx.regions->filtered().find(buffer.geometry(), bit, o.multiplier,
                                                   mask.width, mask.height)
                    : nullptr;
    return MatchDerivative(scratch, mask, filtered, flat, region, KernelOfBit(bit), o, best, kept);
}

}  // namespace

int ComputeElementEntries(FaceContext& ctx, Scratch& scratch, int id, const Mask* mask,
                          std::int32_t* out) {
    return ComputeElementEntriesAt(ctx, scratch, id, mask, ~0u, out);
}

int ComputeElementEntriesAt(FaceContext& ctx, Scratch& scratch, int id, const Mask* mask,
                            std::uint32_t positions, std::int32_t* out) {
    if (ctx.filterMask == 0) return kOk;
    const char* name = kElementNames[id];
    const double f = ctx.config.readInt("mask", ElementKey(name, "_mask_Y_shift"));
    const double u = ctx.config.readInt("mask", ElementKey(name, "_mask_unit"));
    const int margin = 2 * ctx.config.readInt("param", "mask_add");
    if (mask == nullptr || mask->normalised() == nullptr) return kBadDescriptor;
    if (ctx.unit.unit <= 0) return kGeometry;

    const ElementRecord& e = ctx.elements[id];
    const int mw = static_cast<int>(mask->width), mh = static_cast<int>(mask->height);
    const RegionRequest q{.xMin = e.xC,
                          .xMax = e.xC,
                          .yMin = e.yC,
                          .yMax = e.yC,
                          .scale = u / ctx.unit.unit,
                          .yShift = f,
                          .maskW = mw,
                          .maskH = mh,
                          .minW = mw + margin,
                          .minH = mh + margin,
                          .mode = BorderMode::Shift};
    const std::uint32_t wanted = positions & ((1u << ctx.filterCount) - 1u);
    if (wanted == 0) {
        // Nothing to measure: only whether the region could be built.
        RotatedGeometry g;
        return RotatedRegion(ctx.image.width, ctx.image.height, EyeLineSlope(ctx), q, g);
    }
    RotatedBuffer region(scratch);
    if (const int rc = BuildEyeLineRegion(ctx, q, region); rc != kOk) return rc;

    const MaskValues values{mask->normalised(), mw, mh};
    int j = 0;
    for (int bit = 0; bit <= 8; ++bit) {
        if ((ctx.filterMask & (1u << bit)) == 0) continue;
        if ((wanted & (1u << j)) == 0) {
            ++j;
            continue;
        }
        MatchResult best;
        if (const int rc = runFilter(ctx, scratch, id, bit, region, values, best); rc != kOk)
            return rc;
        const long long n = countedPixels(bit, mw, mh);
        const double entry = n > 0 ? static_cast<double>(best.score) * 225.0 / n : kRejected;
        out[j++] = entry > 29999 ? kRejected : static_cast<std::int32_t>(entry);
    }
    return kOk;
}

void ScoredEntries(const FaceContext& ctx, std::uint32_t* positions) {
    char key[40];
    for (std::uint32_t e = 0; e < ctx.elementCount && e < kElementCount; ++e) {
        positions[e] = 0;
        for (std::uint32_t k = 0; k < ctx.filterCount; ++k) {
            std::snprintf(key, sizeof key, "%s%d_on", kElementNames[e],
                          EntryKeyNumber(ctx.filterMask, static_cast<int>(k)));
            const std::string* on = ctx.config.find("det", key);
            if (on == nullptr || ConfigStore::toInt(*on) != 0) positions[e] |= 1u << k;
        }
    }
}

int BuildScoredVector(FaceContext& ctx, std::int32_t* vector) {
    std::uint32_t positions[kElementCount] = {};
    ScoredEntries(ctx, positions);
    PoolScratch scratch(ctx.pool);
    for (std::uint32_t e = 0; e < ctx.elementCount && e < kElementCount; ++e) {
        const Mask* m = ctx.masks.find(static_cast<std::uint8_t>(e));
        const int rc = ComputeElementEntriesAt(ctx, scratch, static_cast<int>(e), m, positions[e],
                                               vector + e * ctx.filterCount);
        if (rc != kOk) return rc;
    }
    return kOk;
}

int BuildComparisonVector(FaceContext& ctx, std::int32_t* vector) {
    PoolScratch scratch(ctx.pool);
    for (std::uint32_t e = 0; e < ctx.elementCount && e < kElementCount; ++e) {
        const Mask* m = ctx.masks.find(static_cast<std::uint8_t>(e));
        const int rc = ComputeElementEntries(ctx, scratch, static_cast<int>(e), m,
                                             vector + e * ctx.filterCount);
        if (rc != kOk) return rc;
    }
    return kOk;
}

}  // namespace ovfc
