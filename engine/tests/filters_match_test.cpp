#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "filters/match_map.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

struct Fixture {
    HeapScratch scratch;
    Image region = test::Noise(24, 20, 7, 20, 230);
    Image patch = test::Crop(region, 9, 6, 5, 7);  // centre (11, 9)
    std::vector<double> v = test::Normalise(patch);
    MaskValues mask() const { return {v.data(), patch.width, patch.height}; }
};

TEST(MatchMap, MapAndMinimumEqualDirectSummationInBothModes) {
    Fixture f;
    const ScanWindow scan = FullScan(f.region.width, f.region.height, 5, 7);
    for (MeanMode mode : {MeanMode::Estimated, MeanMode::Fixed}) {
        std::vector<std::uint8_t> map(scan.width() * scan.height());
        MatchResult best;
        ASSERT_EQ(MatchMap(f.scratch, f.region.view(), f.mask(), mode, 0.0, scan, map.data(), best),
                  kFilterOk);
        double lowest = 30000;
        int bx = 0, by = 0;
        for (int i = scan.i0; i < scan.i1; ++i)
            for (int j = scan.j0; j < scan.j1; ++j) {
                const double s = test::DirectScore(f.region, f.v, 5, 7, j, i, mode, 0.0);
                const int expect = s > 255 ? 255 : static_cast<int>(s);
                ASSERT_EQ(map[(i - scan.i0) * scan.width() + (j - scan.j0)], expect)
                    << j << "," << i;
                if (s < lowest) lowest = s, bx = j, by = i;
            }
        EXPECT_EQ(best.score, static_cast<int>(lowest));
        EXPECT_EQ(best.x, bx);
        EXPECT_EQ(best.y, by);
    }
    MatchResult best;
    ASSERT_EQ(MatchMap(f.scratch, f.region.view(), f.mask(), MeanMode::Estimated, 0.0, scan,
                       nullptr, best),
              kFilterOk);
    EXPECT_EQ(best.score, 0);  // the patch itself
    EXPECT_EQ(best.x, 11);
    EXPECT_EQ(best.y, 9);
}

// Masks of 512 pixels and more score through a table of the normalised grey levels; the
// scores must stay those of the division per pixel, also below the map's 255 ceiling.
TEST(MatchMap, LargeMaskScoresEqualDirectSummation) {
    HeapScratch scratch;
    Image region(60, 52);
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            region.at(x, y) = static_cast<std::uint8_t>(
                128 + 70 * std::sin(x / 9.0) * std::cos(y / 11.0) + ((x * 7 + y * 13) % 5));
    const Image patch = test::Crop(region, 17, 14, 27, 23);  // 621 pixels, centre (30, 25)
    const std::vector<double> v = test::Normalise(patch);
    const MaskValues mask{v.data(), patch.width, patch.height};
    const ScanWindow scan = FullScan(region.width, region.height, patch.width, patch.height);
    for (MeanMode mode : {MeanMode::Estimated, MeanMode::Fixed}) {
        std::vector<std::uint8_t> map(scan.width() * scan.height());
        MatchResult best;
        ASSERT_EQ(MatchMap(scratch, region.view(), mask, mode, 0.0, scan, map.data(), best),
                  kFilterOk);
        int below255 = 0;
        double lowest = 30000;
        for (int i = scan.i0; i < scan.i1; ++i)
            for (int j = scan.j0; j < scan.j1; ++j) {
                const double s =
                    test::DirectScore(region, v, patch.width, patch.height, j, i, mode, 0.0);
                below255 += s < 255;
                lowest = std::min(lowest, s);
                ASSERT_EQ(map[(i - scan.i0) * scan.width() + (j - scan.j0)],
                          s > 255 ? 255 : static_cast<int>(s))
                    << j << "," << i;
            }
        EXPECT_GT(below255, 3);  // the comparison covers exact scores, not only the ceiling
        EXPECT_EQ(best.score, static_cast<int>(lowest));
    }
}

TEST(MatchMap, ConstantWindowIsRejectedWhateverTheVarianceFactor) {
    Fixture f;
    Paste(f.region, Image(7, 9, 90), 0, 0);  // windows centred at (3, 4) are flat
    const ScanWindow scan{2, 6, 3, 6};
    for (double h : {0.0, 0.01}) {
        std::vector<std::uint8_t> map(scan.width() * scan.height());
        MatchResult best;
        ASSERT_EQ(MatchMap(f.scratch, f.region.view(), f.mask(), MeanMode::Estimated, h, scan,
                           map.data(), best),
                  kFilterOk);
        EXPECT_EQ(map[1 * scan.width() + 1], 255) << h;  // position (3, 4)
        EXPECT_FALSE(best.x == 3 && best.y == 4);
    }
}

TEST(MatchMap, VarianceFactorComparesWithTheLeadingBytesOfTheRegion) {
    HeapScratch scratch;
    // The leading map-area bytes are flat: the global variance is 0 even though the region
    // is textured further on.
    Image region = test::Noise(10, 10, 3);
    std::fill_n(region.pixels.begin(), 16, 100);
    const Image patch = test::Crop(region, 4, 4, 3, 3);
    const auto v = test::Normalise(patch);
    const ScanWindow scan{5, 9, 5, 9};  // 4 x 4 map
    std::vector<std::uint8_t> map(16, 0);
    MatchResult best;
    ASSERT_EQ(MatchMap(scratch, region.view(), {v.data(), 3, 3}, MeanMode::Estimated, 0.5, scan,
                       map.data(), best),
              kFilterOk);
    EXPECT_EQ(best.score, kRejected);
    EXPECT_EQ(best.x, 0);
    EXPECT_EQ(best.y, 0);
    EXPECT_EQ(map, std::vector<std::uint8_t>(16, 255));
    // Without the factor the same scan finds the patch.
    ASSERT_EQ(MatchMap(scratch, region.view(), {v.data(), 3, 3}, MeanMode::Estimated, 0.0, scan,
                       map.data(), best),
              kFilterOk);
    EXPECT_EQ(best.score, 0);
    EXPECT_EQ(best.x, 5);
    EXPECT_EQ(best.y, 5);
}

TEST(MatchMap, FixedMeanModeScoresAgainst128) {
    HeapScratch scratch;
    const std::vector<double> v{1, -1, 1, -1};  // pixels 200, 0, 200, 0 normalised
    Image region(3, 2, 100);
    region.at(2, 0) = region.at(2, 1) = 128;
    // Window at column 0: every pixel 100, B = 28^2, each value -1: |1+1| + 0 + |1+1| + 0 = 4.
    // Window at column 1: (100, 128) pairs; window at mask-centre column 2 is out of range.
    std::vector<std::uint8_t> map(2);
    MatchResult best;
    ASSERT_EQ(MatchMap(scratch, region.view(), {v.data(), 2, 2}, MeanMode::Fixed, 0.0,
                       ScanWindow{1, 3, 1, 2}, map.data(), best),
              kFilterOk);
    EXPECT_EQ(map[0], 4);
    // Column 1: B = (28^2 + 0) / 2 = 392, z = -28/19.8 = -1.414 for 100, 0 for 128:
    // |1 + 1.414| + |-1 - 0| + |1 + 1.414| + |-1 - 0| = 6.83.
    EXPECT_EQ(map[1], 6);
    EXPECT_EQ(best.score, 4);
    EXPECT_EQ(best.x, 1);
    // A window of exactly 128 cannot be scored.
    Image flat(2, 2, 128);
    ASSERT_EQ(MatchMap(scratch, flat.view(), {v.data(), 2, 2}, MeanMode::Fixed, 0.0,
                       ScanWindow{1, 2, 1, 2}, map.data(), best),
              kFilterOk);
    EXPECT_EQ(map[0], 255);
    EXPECT_EQ(best.score, kRejected);
}

TEST(MatchMap, EqualScoresKeepTheEarlierPositionAndBadScansAreRefused) {
    HeapScratch scratch;
    Image region(12, 5, 50);
    const Image patch = test::Noise(3, 3, 9);
    Paste(region, patch, 7, 1);
    Paste(region, patch, 2, 1);
    const auto v = test::Normalise(patch);
    MatchResult best;
    ASSERT_EQ(MatchMap(scratch, region.view(), {v.data(), 3, 3}, MeanMode::Estimated, 0.0,
                       FullScan(12, 5, 3, 3), nullptr, best),
              kFilterOk);
    EXPECT_EQ(best.x, 3);
    EXPECT_EQ(best.y, 2);
    EXPECT_EQ(MatchMap(scratch, region.view(), {v.data(), 3, 3}, MeanMode::Estimated, 0.0,
                       ScanWindow{0, 5, 1, 3}, nullptr, best),
              kFilterBadGeometry);
    EXPECT_EQ(MatchMap(scratch, region.view(), {v.data(), 3, 3}, MeanMode::Estimated, 0.0,
                       ScanWindow{1, 12, 1, 3}, nullptr, best),
              kFilterBadGeometry);
}

TEST(MatchStepped, StepsOfOneEqualTheFullScan) {
    Fixture f;
    const ScanWindow scan = FullScan(f.region.width, f.region.height, 5, 7);
    // Shift the patch so that the best is not the exact copy.
    const Image other = test::Crop(f.region, 3, 2, 5, 7);
    const auto v = test::Normalise(other);
    MatchResult full, stepped;
    ASSERT_EQ(MatchMap(f.scratch, f.region.view(), {v.data(), 5, 7}, MeanMode::Estimated, 0.0, scan,
                       nullptr, full),
              kFilterOk);
    ASSERT_EQ(MatchStepped(f.scratch, f.region.view(), {v.data(), 5, 7}, MeanMode::Estimated, 0.0,
                           scan, 1, 1, nullptr, stepped),
              kFilterOk);
    EXPECT_EQ(stepped.score, full.score);
    EXPECT_EQ(stepped.x, full.x);
    EXPECT_EQ(stepped.y, full.y);
}

TEST(MatchStepped, SecondPassFindsAMinimumBetweenTheGridPoints) {
    HeapScratch scratch;
    // A smooth bowl of match quality: the mask is a blob, the region holds the blob once.
    Image region(21, 21, 60);
    Image blob(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            blob.at(x, y) = 60 + 30 * (4 - std::abs(x - 2) - std::abs(y - 2));
    Paste(region, blob, 9, 8);  // centre (11, 10): off the even grid in x
    const auto v = test::Normalise(blob);
    const ScanWindow scan = FullScan(21, 21, 5, 5);
    MatchResult coarse, best;
    ASSERT_EQ(MatchStepped(scratch, region.view(), {v.data(), 5, 5}, MeanMode::Estimated, 0.0, scan,
                           2, 2, nullptr, best),
              kFilterOk);
    EXPECT_EQ(best.x, 11);
    EXPECT_EQ(best.y, 10);
    EXPECT_EQ(best.score, 0);
    // Only positions where the allowed map is set may win.
    std::vector<std::uint8_t> allowed(21 * 21, 0);
    allowed[10 * 21 + 12] = 1;
    allowed[4 * 21 + 4] = 1;
    ASSERT_EQ(MatchStepped(scratch, region.view(), {v.data(), 5, 5}, MeanMode::Estimated, 0.0, scan,
                           1, 1, allowed.data(), coarse),
              kFilterOk);
    EXPECT_EQ(coarse.x, 12);
    EXPECT_EQ(coarse.y, 10);
}

TEST(MatchStepped, FlatRegionGivesTheMaskMagnitudeWithoutMapAndRejectionWithIt) {
    HeapScratch scratch;
    const Image region(9, 9, 77);
    const std::vector<double> v{1.5, -1.5, 0.75, -0.75};
    const std::vector<std::uint8_t> allowed(81, 1);
    MatchResult best;
    ASSERT_EQ(MatchStepped(scratch, region.view(), {v.data(), 2, 2}, MeanMode::Estimated, 0.25,
                           FullScan(9, 9, 2, 2), 2, 2, nullptr, best),
              kFilterOk);
    EXPECT_EQ(best.score, 4);  // 4.5 truncated
    EXPECT_EQ(best.x, 0);
    EXPECT_EQ(best.y, 0);
    ASSERT_EQ(MatchStepped(scratch, region.view(), {v.data(), 2, 2}, MeanMode::Estimated, 0.25,
                           FullScan(9, 9, 2, 2), 2, 2, allowed.data(), best),
              kFilterOk);
    EXPECT_EQ(best.score, kRejected);
}

}  // namespace
}  // namespace ovfc
