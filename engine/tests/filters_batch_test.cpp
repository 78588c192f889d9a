// The matchers score several windows side by side; their scores, maps and best positions must
// be bit for bit those of the one-window loop (WindowScorer::score) on random regions and on
// the photographs (when ../shared/faces is there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "filters/derivative_match.h"
#include "filters/match_map.h"
#include "filters/window_scorer.h"
#include "filters_test_util.h"
#include "photographs.h"

namespace ovfc {
namespace {

using test::Image;
using test::photoDir;
using test::photograph;

std::uint8_t mapEntry(double s) {
    return s > 255.0 ? std::uint8_t{255} : static_cast<std::uint8_t>(s);
}

double thresholdOf(ImageView region, MeanMode mode, double h, ScanWindow scan) {
    if (mode != MeanMode::Estimated || !(h > 0.0)) return 0.0;
    return h * detail::BufferVariance(region.pixels,
                                      static_cast<std::int64_t>(scan.width()) * scan.height());
}

// MatchMap as one window at a time (the region's global variance is taken to be non-zero).
MatchResult referenceMap(ImageView region, MaskValues mask, MeanMode mode, double h,
                         ScanWindow scan, std::uint8_t* map) {
    HeapScratch scratch;
    detail::WindowScorer scorer(scratch, region, mask, mode, scan);
    EXPECT_EQ(scorer.status(), kFilterOk);
    const double t = thresholdOf(region, mode, h, scan);
    MatchResult best;
    double bestScore = kRejectedScore;
    for (int i = scan.i0; i < scan.i1; ++i)
        for (int j = scan.j0; j < scan.j1; ++j) {
            const double s = scorer.score(j, i, t, std::max(bestScore, 255.0));
            map[(i - scan.i0) * scan.width() + (j - scan.j0)] = mapEntry(s);
            if (s < bestScore) bestScore = s, best.x = j, best.y = i;
        }
    best.score = static_cast<int>(bestScore);
    return best;
}

// MatchStepped with a step of 1 as one window at a time.
MatchResult referenceStepped(ImageView region, MaskValues mask, double h, ScanWindow scan,
                             const std::uint8_t* allowed) {
    HeapScratch scratch;
    detail::WindowScorer scorer(scratch, region, mask, MeanMode::Estimated, scan);
    const double t = thresholdOf(region, MeanMode::Estimated, h, scan);
    MatchResult best;
    double bestScore = kRejectedScore;
    for (int i = scan.i0; i < scan.i1; ++i)
        for (int j = scan.j0; j < scan.j1; ++j) {
            if (allowed && !allowed[i * region.width + j]) continue;
            const double s = scorer.score(j, i, t, bestScore);
            if (s < bestScore) bestScore = s, best.x = j, best.y = i;
        }
    best.score = static_cast<int>(bestScore);
    return best;
}

// Every batch score is the one-window score exactly, or both are above the limit.
void expectBatchScoresExact(ImageView region, MaskValues mask, MeanMode mode, double t,
                            double limit) {
    HeapScratch scratch;
    const ScanWindow scan = FullScan(region.width, region.height, mask.width, mask.height);
    detail::WindowScorer scorer(scratch, region, mask, mode, scan);
    ASSERT_EQ(scorer.status(), kFilterOk);
    for (int i = scan.i0; i < scan.i1; ++i)
        for (int j = scan.j0; j + detail::kBatch <= scan.j1; ++j) {
            double s[detail::kBatch];
            scorer.scoreBatch(j, i, t, limit, s);
            for (int k = 0; k < detail::kBatch; ++k) {
                const double one = scorer.score(j + k, i, t, limit);
                if (one <= limit || s[k] <= limit) {
                    ASSERT_EQ(std::memcmp(&one, &s[k], sizeof one), 0)
                        << "window " << j + k << "," << i << ": " << one << " vs " << s[k];
                } else {
                    ASSERT_GT(s[k], limit);
                }
            }
        }
    // Whole rows at once where the scorer takes them: every width from one batch to the most.
    for (int width = detail::kBatch; width <= detail::kBatch * detail::kMaxGroups; ++width) {
        if (!scorer.scoresRows(width) || scan.j0 + width > scan.j1) continue;
        for (int i = scan.i0; i < scan.i1; ++i) {
            double s[detail::kBatch * detail::kMaxGroups];
            scorer.scoreRow(scan.j0, width, i, t, limit, s);
            for (int k = 0; k < width; ++k) {
                const double one = scorer.score(scan.j0 + k, i, t, limit);
                if (one <= limit || s[k] <= limit) {
                    ASSERT_EQ(std::memcmp(&one, &s[k], sizeof one), 0)
                        << "row of " << width << ", window " << k << "," << i;
                } else {
                    ASSERT_GT(s[k], limit);
                }
            }
        }
    }
}

// Maps, minima and batch scores of `mask` over `region` against the one-window loops, in both
// mean modes, with and without a variance threshold and an allowed-position map.
void expectSameAsOneWindow(const Image& region, const Image& maskImage, unsigned seed) {
    const std::vector<double> v = test::Normalise(maskImage);
    const MaskValues mask{v.data(), maskImage.width, maskImage.height};
    const ScanWindow scan = FullScan(region.width, region.height, mask.width, mask.height);
    ASSERT_GT(scan.width(), 0);
    HeapScratch scratch;
    for (const MeanMode mode : {MeanMode::Estimated, MeanMode::Fixed}) {
        for (const double h : {0.0, 0.9}) {
            const std::size_t n = static_cast<std::size_t>(scan.width()) * scan.height();
            std::vector<std::uint8_t> got(n), want(n);
            MatchResult g;
            ASSERT_EQ(MatchMap(scratch, region.view(), mask, mode, h, scan, got.data(), g),
                      kFilterOk);
            const MatchResult w = referenceMap(region.view(), mask, mode, h, scan, want.data());
            EXPECT_EQ(got, want);
            EXPECT_EQ(g.score, w.score);
            EXPECT_EQ(g.x, w.x);
            EXPECT_EQ(g.y, w.y);
            const double t = thresholdOf(region.view(), mode, h, scan);
            for (const double limit : {kRejectedScore, 255.0, 0.6 * v.size()})
                expectBatchScoresExact(region.view(), mask, mode, t, limit);
        }
    }
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> allowed(region.pixels.size());
    for (const int density : {0, 10, 60, 100}) {
        for (auto& a : allowed) a = static_cast<int>(rng() % 100) < density ? 1 : 0;
        for (const bool restrict : {false, true}) {
            const std::uint8_t* al = restrict ? allowed.data() : nullptr;
            MatchResult g;
            ASSERT_EQ(MatchStepped(scratch, region.view(), mask, MeanMode::Estimated, 0.01, scan, 1,
                                   1, al, g),
                      kFilterOk);
            const MatchResult w = referenceStepped(region.view(), mask, 0.01, scan, al);
            EXPECT_EQ(g.score, w.score) << density;
            EXPECT_EQ(g.x, w.x);
            EXPECT_EQ(g.y, w.y);
        }
    }
}

TEST(BatchScores, RandomRegionsOfEveryScanWidth) {
    std::mt19937 rng(5);
    // Scan widths below, at and above the batch (the last batch moved back), small masks
    // and masks above the 512-pixel table size.
    const int sizes[][4] = {{8, 9, 5, 5},     {9, 10, 5, 7},    {12, 12, 5, 5},   {13, 20, 5, 7},
                            {25, 21, 17, 13}, {45, 55, 37, 47}, {30, 40, 23, 29}, {18, 17, 11, 11}};
    for (const auto& s : sizes) {
        const unsigned seed = static_cast<unsigned>(rng());
        const Image region = test::Noise(s[0], s[1], seed, 10, 240);
        // A mask from a patch of the region: some windows fit well, the rest do not.
        const Image mask = test::Crop(region, (s[0] - s[2]) / 2, (s[1] - s[3]) / 2, s[2], s[3]);
        SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " mask " +
                     std::to_string(s[2]) + "x" + std::to_string(s[3]));
        expectSameAsOneWindow(region, mask, seed);
        // A flat lower half makes windows fail the variance test (the global variance, taken
        // from the first bytes, stays that of the texture).
        Image flat = region;
        for (int y = flat.height / 2; y < flat.height; ++y)
            for (int x = 0; x < flat.width; ++x) flat.at(x, y) = 90;
        expectSameAsOneWindow(flat, mask, seed + 1);
    }
}

TEST(BatchScores, FewGreyLevelsAndNarrowMasks) {
    // Sixteen grey levels: the batches look the levels up from a table for every mask of 64
    // pixels and more, down to masks of one and two columns, where every pixel of a row is at
    // the mask's edge for some window.
    const int masks[][2] = {{1, 64}, {2, 40}, {3, 30}, {4, 17}, {6, 20}, {9, 9}, {13, 5}};
    unsigned seed = 41;
    for (const auto& m : masks) {
        for (const int extra : {3, 4, 6, 11, 12, 15, 17}) {
            const Image region = test::Noise(m[0] + extra, m[1] + 5, ++seed, 100, 115);
            const Image mask = test::Crop(region, extra / 2, 2, m[0], m[1]);
            SCOPED_TRACE("mask " + std::to_string(m[0]) + "x" + std::to_string(m[1]) + " scan " +
                         std::to_string(extra + 1));
            expectSameAsOneWindow(region, mask, seed);
        }
    }
}

TEST(BatchScores, Photographs) {
    const Image a = photograph("00000201.TIF"), b = photograph("00000206.TIF");
    if (a.pixels.empty() || b.pixels.empty()) GTEST_SKIP() << "no photographs in " << photoDir();
    // A face-sized mask of one photograph over a region of another, as grey values and
    // through the derivative filters (the comparison vector's inputs).
    const Image mask = test::Crop(a, 100, 70, 37, 47);
    const Image region = test::Crop(b, 90, 62, 57, 63);
    expectSameAsOneWindow(region, mask, 11);
    const Image eye = test::Crop(a, 112, 84, 17, 13);
    expectSameAsOneWindow(test::Crop(b, 100, 75, 40, 30), eye, 12);
    for (const DerivativeKernel k :
         {DerivativeKernel::Laplacian13, DerivativeKernel::EdgeHorizontal}) {
        for (const bool absolute : {false, true}) {
            Image fr(region.width - 4, region.height - 4), fm(mask.width - 4, mask.height - 4);
            FilterRegion(region.view(), k, 3.0, absolute, fr.span());
            FilterRegion(mask.view(), k, 3.0, absolute, fm.span());
            expectSameAsOneWindow(fr, fm, 13);
        }
    }
}

}  // namespace
}  // namespace ovfc
