// Scans that reuse kept tables (integral images, grey levels) and kept filtered regions must
// give bit for bit the maps, scores and positions of fresh scans, and tables made for another
// scan, mask size or region must not be served.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "filters/derivative_match.h"
#include "filters/match_map.h"
#include "filters/scan_tables.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

struct Scan {
    std::vector<std::uint8_t> map;
    MatchResult best;
    int rc = 0;
};

Scan scanOf(const Image& region, const std::vector<double>& v, int mw, int mh, MeanMode mode,
            double h, ScanTables* tables) {
    HeapScratch scratch;
    const ScanWindow scan = FullScan(region.width, region.height, mw, mh);
    Scan s;
    s.map.assign(static_cast<std::size_t>(scan.width()) * scan.height(), 0);
    s.rc = MatchMap(scratch, region.view(), MaskValues{v.data(), mw, mh}, mode, h, scan,
                    s.map.data(), s.best, tables);
    return s;
}

void expectSame(const Scan& got, const Scan& want, const std::string& what) {
    EXPECT_EQ(got.rc, want.rc) << what;
    EXPECT_EQ(got.map, want.map) << what;
    EXPECT_EQ(got.best.score, want.best.score) << what;
    EXPECT_EQ(got.best.x, want.best.x) << what;
    EXPECT_EQ(got.best.y, want.best.y) << what;
}

// Kept memory for tables, as the cache hands it out.
struct Memory {
    explicit Memory(std::size_t bytes) : words(bytes / 8 + 1) { tables.attach(words.data(), bytes); }
    std::vector<std::int64_t> words;
    ScanTables tables;
};

TEST(ScanTables, KeptTablesScoreEveryMaskOfTheSizeAsAFreshScan) {
    // Several masks of one size over one region in turn, then other mask sizes and modes on
    // the same tables: scans whose rows are scored at once from level tables and (the small
    // mask) scans too wide for that.
    unsigned seed = 7;
    for (const int lo : {100, 10}) {
        const Image region = test::Noise(41, 51, ++seed, lo, lo + (lo == 100 ? 40 : 230));
        Memory kept(512 * 1024);
        for (const auto& [mw, mh] : {std::pair{33, 43}, std::pair{29, 43}, std::pair{17, 13}}) {
            for (const MeanMode mode : {MeanMode::Fixed, MeanMode::Estimated}) {
                for (int m = 0; m < 4; ++m) {
                    const Image mask = test::Crop(test::Noise(50, 50, ++seed, lo, lo + 40),
                                                  m, m, mw, mh);
                    const std::vector<double> v = test::Normalise(mask);
                    const std::string what = "levels from " + std::to_string(lo) + " mask " +
                                             std::to_string(mw) + " mask no. " + std::to_string(m);
                    const Scan want = scanOf(region, v, mw, mh, mode, 0.0, nullptr);
                    expectSame(scanOf(region, v, mw, mh, mode, 0.0, &kept.tables), want, what);
                    const ScanWindow sw = FullScan(41, 51, mw, mh);
                    EXPECT_TRUE(kept.tables.matches(mode, sw.j0, sw.j1, sw.i0, sw.i1, mw, mh));
                    // Twice: now served from the kept memory.
                    expectSame(scanOf(region, v, mw, mh, mode, 0.0, &kept.tables), want, what);
                }
            }
        }
    }
}

TEST(ScanTables, KeptTablesScoreAsFreshOnesAtEveryThreshold) {
    // Windows that fail the variance test at one threshold and pass at another.
    Image region = test::Noise(30, 40, 3, 100, 130);
    for (int y = 20; y < 40; ++y)
        for (int x = 0; x < 30; ++x) region.at(x, y) = static_cast<std::uint8_t>(110 + (x + y) % 3);
    const int mw = 21, mh = 21;
    const std::vector<double> v = test::Normalise(test::Crop(test::Noise(40, 40, 4, 100, 130), 2, 2, mw, mh));
    Memory kept(512 * 1024);
    // Windows that fail at one threshold pass at the next.
    for (const double h : {0.9, 0.0, 0.05, 0.9, 0.0}) {
        const Scan want = scanOf(region, v, mw, mh, MeanMode::Estimated, h, nullptr);
        expectSame(scanOf(region, v, mw, mh, MeanMode::Estimated, h, &kept.tables), want,
                   "threshold factor " + std::to_string(h));
    }
}

TEST(ScanTables, OneScanWindowWithAnotherMaskSizeRemakesThem) {
    // The same mask centres scanned with masks of three sizes in turn.
    const Image region = test::Noise(41, 51, 13, 100, 150);
    const ScanWindow scan{16, 25, 21, 30};
    Memory kept(512 * 1024);
    for (const auto& [mw, mh] : {std::pair{33, 43}, std::pair{31, 41}, std::pair{33, 41},
                                 std::pair{33, 43}}) {
        const std::vector<double> v = test::Normalise(test::Crop(region, 3, 4, mw, mh));
        HeapScratch scratch;
        const MaskValues mask{v.data(), mw, mh};
        Scan want;
        for (ScanTables* t : {static_cast<ScanTables*>(nullptr), &kept.tables, &kept.tables}) {
            Scan s;
            s.map.assign(static_cast<std::size_t>(scan.width()) * scan.height(), 0);
            s.rc = MatchMap(scratch, region.view(), mask, MeanMode::Fixed, 0.0, scan, s.map.data(),
                            s.best, t);
            if (t == nullptr)
                want = s;
            else
                expectSame(s, want, "mask " + std::to_string(mw) + "x" + std::to_string(mh));
        }
    }
}

TEST(ScanTables, TablesTooLargeForTheMemoryAreMadePerScan) {
    const Image region = test::Noise(41, 51, 9, 100, 160);
    const int mw = 33, mh = 43;
    const std::vector<double> v = test::Normalise(test::Crop(region, 4, 4, mw, mh));
    const Scan want = scanOf(region, v, mw, mh, MeanMode::Fixed, 0.0, nullptr);
    const std::size_t integrals = 2 * sizeof(std::int64_t) * 42 * 52;
    // No room at all, room for the integral images and one word less.
    for (const std::size_t bytes : {std::size_t{64}, integrals, integrals - 8}) {
        Memory kept(bytes);
        for (int pass = 0; pass < 2; ++pass)
            expectSame(scanOf(region, v, mw, mh, MeanMode::Fixed, 0.0, &kept.tables), want,
                       std::to_string(bytes) + " bytes");
        EXPECT_EQ(kept.tables.ready, bytes >= integrals);
    }
}

struct Derivative {
    MatchResult best;
    int rc = 0;
};

Derivative derivativeOf(const Image& region, const std::vector<double>& v, int mw, int mh,
                        DerivativeKernel k, bool absolute, FilteredRegion* kept) {
    HeapScratch scratch;
    DerivativeMatchOptions o;
    o.absolute = absolute;
    o.multiplier = 2.0;
    o.interpolate = true;
    Derivative d;
    d.rc = MatchDerivative(scratch, MaskValues{v.data(), mw, mh}, nullptr, false, region.view(), k,
                           o, d.best, kept);
    return d;
}

TEST(ScanTables, KeptFilteredRegionsMatchAsFreshOnesAndRefilterWhenReset) {
    std::vector<std::int64_t> words(300 * 1024 / 8);
    FilteredRegion kept;
    kept.pixels = reinterpret_cast<std::uint8_t*>(words.data());
    kept.capacity = 64 * 64;
    kept.tables.attach(words.data() + 64 * 64 / 8, words.size() * 8 - 64 * 64);
    const Image a = test::Noise(43, 51, 21, 40, 200), b = test::Noise(43, 51, 22, 40, 200);
    const int mw = 35, mh = 43;
    unsigned seed = 30;
    for (const DerivativeKernel k :
         {DerivativeKernel::Laplacian13, DerivativeKernel::EdgeHorizontal}) {
        for (const bool absolute : {false, true}) {
            kept.ready = false;  // what the cache does for a new key
            for (const Image* region : {&a, &b}) {
                for (int m = 0; m < 3; ++m) {
                    const std::vector<double> v =
                        test::Normalise(test::Crop(test::Noise(45, 45, ++seed, 40, 200), 1, 1, mw, mh));
                    const Derivative want = derivativeOf(*region, v, mw, mh, k, absolute, nullptr);
                    const Derivative got = derivativeOf(*region, v, mw, mh, k, absolute, &kept);
                    EXPECT_EQ(got.rc, want.rc);
                    EXPECT_EQ(got.best.score, want.best.score) << m;
                    EXPECT_EQ(got.best.x, want.best.x);
                    EXPECT_EQ(got.best.y, want.best.y);
                    EXPECT_TRUE(kept.ready);
                }
                kept.ready = false;  // the next region is another key
            }
        }
    }
    // A region larger than the kept memory is filtered per call.
    const Image big = test::Noise(70, 70, 23, 40, 200);
    const std::vector<double> v = test::Normalise(test::Crop(big, 10, 10, mw, mh));
    kept.ready = false;
    const Derivative want =
        derivativeOf(big, v, mw, mh, DerivativeKernel::Laplacian13, false, nullptr);
    const Derivative got = derivativeOf(big, v, mw, mh, DerivativeKernel::Laplacian13, false, &kept);
    EXPECT_EQ(got.best.score, want.best.score);
    EXPECT_EQ(got.best.x, want.best.x);
    EXPECT_FALSE(kept.ready);
}

}  // namespace
}  // namespace ovfc
