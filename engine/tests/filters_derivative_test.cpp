#include <gtest/gtest.h>

#include "filters/derivative_match.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

std::vector<double> AsValues(const Image& img) {
    return std::vector<double>(img.pixels.begin(), img.pixels.end());
}

TEST(FilterRegion, LaplacianValuesAreTruncatedClampedAndOffset) {
    Image spot(3, 3, 0);
    spot.at(1, 1) = 100;
    Image hole(3, 3, 100);
    hole.at(1, 1) = 0;
    Image out(1, 1);
    const struct {
        const Image& img;
        double mult;
        bool absolute;
        int expect;
    } cases[] = {
        {spot, 1.0, false, 228},  // 100
        {spot, 2.0, false, 255},  // 200 clamps to 127
        {hole, 1.0, false, 28},   // -100
        {hole, 2.0, false, 0},    // -200 clamps to -128
        {hole, 1.0, true, 100},    {hole, 2.0, true, 128},
        {spot, 0.333, false, 161},  // 33.3 truncated
        {hole, 0.333, false, 95},   // -33.3 truncated toward zero
    };
    for (const auto& c : cases) {
        FilterRegion(c.img.view(), DerivativeKernel::Laplacian5, c.mult, c.absolute, out.span());
        EXPECT_EQ(out.at(0, 0), c.expect) << c.mult << " " << c.absolute;
    }
}

TEST(FilterRegion, ThirteenPointAndEdgeKernels) {
    // 5 x 5: cross of 5 pixels at 10, ring of 8 at 4, corners 0; centre (2, 2).
    Image img(5, 5, 0);
    for (auto [x, y] : {std::pair{2, 2}, {1, 2}, {3, 2}, {2, 1}, {2, 3}}) img.at(x, y) = 10;
    for (auto [x, y] : {std::pair{2, 0}, {1, 1}, {3, 1}, {0, 2}, {4, 2}, {1, 3}, {3, 3}, {2, 4}})
        img.at(x, y) = 4;
    Image out(1, 1);
    // m = 5 / 5 = 1: 50 - 0.625 x 32 = 30.
    FilterRegion(img.view(), DerivativeKernel::Laplacian13, 5.0, false, out.span());
    EXPECT_EQ(out.at(0, 0), 158);

    // Horizontal edge: rows 0-1 against rows 2-3 over three columns, times mult / 6.
    const Image h(3, 5, {10, 10, 10, 20, 20, 20, 1, 1, 1, 2, 2, 2, 99, 99, 99});
    FilterRegion(h.view(), DerivativeKernel::EdgeHorizontal, 1.0, false, out.span());
    EXPECT_EQ(out.at(0, 0), 128 + 13);  // (90 - 9) / 6 = 13.5
    FilterRegion(h.view(), DerivativeKernel::EdgeHorizontal, -1.0, true, out.span());
    EXPECT_EQ(out.at(0, 0), 13);
    // Vertical edge: the transposed kernel.
    const Image v(5, 3, {10, 20, 1, 2, 99, 10, 20, 1, 2, 99, 10, 20, 1, 2, 99});
    FilterRegion(v.view(), DerivativeKernel::EdgeVertical, 1.0, false, out.span());
    EXPECT_EQ(out.at(0, 0), 141);
}

TEST(MatchLaplacian, FindsThePatchWithBothKernelsAndSigns) {
    HeapScratch scratch;
    Image region = test::Noise(30, 26, 5, 90, 150);
    const Image patch = test::Noise(11, 11, 6, 60, 180);
    Paste(region, patch, 12, 9);  // centre (17, 14)
    const auto v = AsValues(patch);
    for (int s : {1, 2}) {
        for (bool absolute : {false, true}) {
            DerivativeMatchOptions opt;
            opt.absolute = absolute;
            // Integer responses that stay inside -128..127 for this texture range.
            opt.multiplier = s == 1 ? 0.25 : 0.5;
            MatchResult best;
            ASSERT_EQ(MatchLaplacian(scratch, {v.data(), 11, 11}, region.view(), s, opt, best),
                      kFilterOk);
            EXPECT_EQ(best.x, 17) << s << absolute;
            EXPECT_EQ(best.y, 14) << s << absolute;
            EXPECT_LT(best.score, 40) << s << absolute;
        }
    }
}

TEST(MatchEdge, FindsThePatchInBothDirections) {
    HeapScratch scratch;
    Image region = test::Noise(30, 26, 8, 100, 140);
    Image patch(9, 9, 120);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            patch.at(x, y) = static_cast<std::uint8_t>(60 + 13 * x + 9 * y % 40);
    Paste(region, patch, 5, 12);  // centre (9, 16)
    const auto v = AsValues(patch);
    for (auto dir : {EdgeDirection::Horizontal, EdgeDirection::Vertical}) {
        DerivativeMatchOptions opt;
        opt.multiplier = 0.5;
        MatchResult best;
        ASSERT_EQ(MatchEdge(scratch, {v.data(), 9, 9}, region.view(), dir, opt, best), kFilterOk);
        EXPECT_EQ(best.x, 9);
        EXPECT_EQ(best.y, 16);
    }
}

TEST(MatchLaplacian, RegionSmallerThanTheMaskOrFlatMaskGivesRejection) {
    HeapScratch scratch;
    const Image region = test::Noise(8, 8, 2);
    const std::vector<double> bigMask(100, 1.0);
    MatchResult best;
    ASSERT_EQ(MatchLaplacian(scratch, {bigMask.data(), 10, 10}, region.view(), 1, {}, best),
              kFilterOk);
    EXPECT_EQ(best.score, kRejected);
    const std::vector<double> flat(25, 3.0);
    ASSERT_EQ(MatchLaplacian(scratch, {flat.data(), 5, 5}, region.view(), 1, {}, best), kFilterOk);
    EXPECT_EQ(best.score, kRejected);
}

// A mask filtered once and handed to the matcher gives what the matcher gets filtering it
// itself, for every kernel, both signs, interpolation on and off.
TEST(MatchDerivative, PrefilteredMaskGivesTheSameResults) {
    HeapScratch scratch;
    const DerivativeKernel kernels[] = {DerivativeKernel::Laplacian5, DerivativeKernel::Laplacian13,
                                        DerivativeKernel::EdgeHorizontal,
                                        DerivativeKernel::EdgeVertical};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const Image region = test::Noise(31 + seed, 27 + seed, seed);
        const int mw = 9 + static_cast<int>(seed % 3), mh = 11 - static_cast<int>(seed % 2);
        const std::vector<double> v = test::Normalise(test::Crop(region, seed, 2 * seed, mw, mh));
        const MaskValues mask{v.data(), mw, mh};
        for (const DerivativeKernel k : kernels) {
            for (const bool absolute : {false, true}) {
                for (const bool interpolate : {false, true}) {
                    DerivativeMatchOptions opt;
                    opt.absolute = absolute;
                    opt.interpolate = interpolate;
                    opt.multiplier = 0.7 + 0.1 * seed;
                    std::vector<double> f(static_cast<std::size_t>(FilteredMaskWidth(k, mw)) *
                                          FilteredMaskHeight(k, mh));
                    const bool flat = !FilterMask(mask, k, absolute, f.data());
                    ASSERT_FALSE(flat);
                    MatchResult own, pre;
                    ASSERT_EQ(MatchDerivative(scratch, mask, nullptr, false, region.view(), k, opt,
                                              own),
                              kFilterOk);
                    ASSERT_EQ(MatchDerivative(scratch, mask, f.data(), flat, region.view(), k, opt,
                                              pre),
                              kFilterOk);
                    EXPECT_EQ(pre.score, own.score) << seed << " " << absolute;
                    EXPECT_EQ(pre.x, own.x);
                    EXPECT_EQ(pre.y, own.y);
                    EXPECT_LT(own.score, kRejected);
                }
            }
        }
    }
}

TEST(MatchDerivative, FlatOrEmptyFilteredMaskIsRejected) {
    HeapScratch scratch;
    const Image region = test::Noise(30, 30, 4);
    const std::vector<double> flat(49, 1.5);
    std::vector<double> f(25);
    EXPECT_FALSE(FilterMask({flat.data(), 7, 7}, DerivativeKernel::Laplacian5, false, f.data()));
    EXPECT_FALSE(FilterMask({flat.data(), 4, 7}, DerivativeKernel::Laplacian13, false, f.data()));
    EXPECT_EQ(FilteredMaskWidth(DerivativeKernel::EdgeVertical, 7), 3);
    EXPECT_EQ(FilteredMaskHeight(DerivativeKernel::EdgeVertical, 7), 5);
    // A mask reported flat is not matched, whatever its values.
    const std::vector<double> v = test::Normalise(test::Crop(region, 3, 3, 7, 7));
    MatchResult best;
    ASSERT_EQ(MatchDerivative(scratch, {v.data(), 7, 7}, f.data(), true, region.view(),
                              DerivativeKernel::Laplacian5, {}, best),
              kFilterOk);
    EXPECT_EQ(best.score, kRejected);
}

}  // namespace
}  // namespace ovfc
