// The probe's filtered regions are found by geometry, filter and mask size, and never served
// for another of them or after the image changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "geometry/filtered_regions.h"
#include "geometry/region_cache.h"

namespace ovfc {
namespace {

RotatedGeometry geometry(double ox) {
    RotatedGeometry g;
    g.ox = ox;
    g.oy = 80.25;
    g.cx = 0.5;
    g.sx = 0.01;
    g.scale = 0.5;
    g.width = 47;
    g.height = 55;
    return g;
}

TEST(FilteredRegions, AnEntryBelongsToOneGeometryFilterAndMaskSize) {
    FilteredRegions cache;
    const RotatedGeometry g = geometry(100.5);
    FilteredRegion* e = cache.find(g, 2, 2.0, 35, 43);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->ready) << "a new entry is for the matcher to fill";
    EXPECT_GE(e->capacity, 47u * 55u);
    e->ready = true;
    EXPECT_EQ(cache.find(g, 2, 2.0, 35, 43), e);
    EXPECT_EQ(cache.hits(), 1u);
    // Any other part of the key: another entry, not ready.
    RotatedGeometry moved = g;
    moved.oy += 1e-9;
    RotatedGeometry wider = g;
    wider.width += 1;
    for (FilteredRegion* other :
         {cache.find(moved, 2, 2.0, 35, 43), cache.find(wider, 2, 2.0, 35, 43),
          cache.find(g, 3, 2.0, 35, 43), cache.find(g, 2, 1.0, 35, 43),
          cache.find(g, 2, 2.0, 33, 43), cache.find(g, 2, 2.0, 35, 41)}) {
        ASSERT_NE(other, nullptr);
        EXPECT_NE(other, e);
        EXPECT_FALSE(other->ready);
    }
    EXPECT_EQ(cache.hits(), 1u);
    EXPECT_TRUE(cache.find(g, 2, 2.0, 35, 43)->ready);
    cache.clear();
    EXPECT_FALSE(cache.find(g, 2, 2.0, 35, 43)->ready);
}

TEST(FilteredRegions, TheLeastRecentlyUsedEntryGivesWay) {
    FilteredRegions cache;
    auto at = [&](int k) { return cache.find(geometry(10.0 + k), 3, 1.0, 35, 43); };
    for (int k = 0; k < FilteredRegions::kEntries; ++k) at(k)->ready = true;
    // Entry 0 used again: entry 1 is now the oldest and is the one handed out.
    EXPECT_TRUE(at(0)->ready);
    FilteredRegion* fresh = at(FilteredRegions::kEntries);
    EXPECT_FALSE(fresh->ready);
    EXPECT_FALSE(at(1)->ready) << "given way";
    EXPECT_TRUE(at(0)->ready);
    for (int k = 3; k < FilteredRegions::kEntries; ++k) EXPECT_TRUE(at(k)->ready) << k;
}

TEST(FilteredRegions, AnotherImageDropsThem) {
    std::vector<std::uint8_t> pixels(64 * 48, 7);
    const ImageView image{pixels.data(), 64, 48, 64};
    RegionCache regions;
    ASSERT_TRUE(regions.bind(image));
    const RotatedGeometry g = geometry(20.0);
    regions.filtered().find(g, 2, 2.0, 35, 43)->ready = true;
    ASSERT_TRUE(regions.bind(image));
    EXPECT_TRUE(regions.filtered().find(g, 2, 2.0, 35, 43)->ready) << "the same pixels keep them";
    pixels[100] ^= 1;
    ASSERT_TRUE(regions.bind(image));
    EXPECT_FALSE(regions.filtered().find(g, 2, 2.0, 35, 43)->ready) << "one changed pixel drops them";
}

}  // namespace
}  // namespace ovfc
