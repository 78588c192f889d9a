#include <gtest/gtest.h>

#include "filters/position_maps.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

// Rows of a map as strings of '0'/'1' for readable comparisons.
std::vector<std::string> Rows(const std::vector<std::uint8_t>& map, int w, int h) {
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y) {
        std::string r;
        for (int x = 0; x < w; ++x) r += map[y * w + x] ? '1' : '0';
        rows.push_back(r);
    }
    return rows;
}

TEST(RidgeMap, OnePixelRidgeMarksItsSpreadOnEveryRowButTheLast) {
    HeapScratch scratch;
    Image img(7, 5, 10);
    for (int y = 0; y < 5; ++y) img.at(3, y) = 50;
    std::vector<std::uint8_t> map(35);
    ASSERT_EQ(RidgeMap(scratch, img.view(), 1, 15, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 7, 5),
              (std::vector<std::string>{"0011100", "0011100", "0011100", "0011100", "0000000"}));
    // The height (40) must exceed the threshold.
    ASSERT_EQ(RidgeMap(scratch, img.view(), 1, 40, map.data()), kFilterOk);
    EXPECT_EQ(map, std::vector<std::uint8_t>(35, 0));
}

TEST(RidgeMap, WideRidgeIsFoundByTheBlockMeans) {
    HeapScratch scratch;
    Image img(8, 6, 10);
    for (int y = 0; y < 6; ++y) img.at(3, y) = img.at(4, y) = 50;
    std::vector<std::uint8_t> map(48);
    // Single-pixel heights: 20 at column 3; block heights: 40 at column 4 on rows 2..4.
    ASSERT_EQ(RidgeMap(scratch, img.view(), 1, 25, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 8, 6), (std::vector<std::string>{"00000000", "00000000", "00011100",
                                                         "00011100", "00011100", "00000000"}));
    // Spread is clipped at the borders.
    ASSERT_EQ(RidgeMap(scratch, img.view(), 9, 25, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 8, 6)[3], "11111111");
}

TEST(EyeEdgeMap, StrongestEdgeRowVotesAroundItself) {
    HeapScratch scratch;
    Image img(5, 6, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.at(x, y) = 100;
    EyeEdgeParams p;
    p.rx = 1;
    p.ry = 1;
    p.roughThreshold = 500;
    p.edgeFactor = 0.1;
    p.edgeFactorMax = 1000;
    p.greyLow = 0;
    p.greyHigh = 200;  // r = 20, T = 120; strengths 300, 600, 300 on rows 1..3
    std::vector<std::uint8_t> map(30);
    ASSERT_EQ(EyeEdgeMap(scratch, img.view(), 0, 0, p, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 5, 6),
              (std::vector<std::string>{"00000", "00000", "01110", "00000", "00000", "00000"}));
    // The cap replaces a larger factor: r = 0.5, the same votes.
    p.edgeFactor = 3.0;
    p.edgeFactorMax = 0.5;
    ASSERT_EQ(EyeEdgeMap(scratch, img.view(), 0, 0, p, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 5, 6)[2], "01110");
    // Threshold above the strongest edge (T = 720 > 600): nothing.
    p.edgeFactor = 0.6;
    p.edgeFactorMax = 1000;
    ASSERT_EQ(EyeEdgeMap(scratch, img.view(), 0, 0, p, map.data()), kFilterOk);
    EXPECT_EQ(map, std::vector<std::uint8_t>(30, 0));
}

TEST(EyeEdgeMap, VotesAreCountedOverTheMaskBox) {
    HeapScratch scratch;
    Image img(5, 6, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.at(x, y) = 100;
    EyeEdgeParams p;
    p.rx = 1;
    p.ry = 1;
    p.edgeFactor = 0.1;
    p.edgeFactorMax = 1000;
    p.greyHigh = 200;
    // Votes per column in rows 1..3: 1, 2, 3, 2, 1. Need 9 x 167 / 500 = 3.
    p.roughThreshold = 167;
    std::vector<std::uint8_t> map(30);
    ASSERT_EQ(EyeEdgeMap(scratch, img.view(), 1, 1, p, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 5, 6),
              (std::vector<std::string>{"00000", "00100", "00100", "00100", "00000", "00000"}));
    // Need 9 x 111 / 500 = 1: every pixel of the boxes.
    p.roughThreshold = 111;
    ASSERT_EQ(EyeEdgeMap(scratch, img.view(), 1, 1, p, map.data()), kFilterOk);
    EXPECT_EQ(Rows(map, 5, 6)[0], "00000");
    EXPECT_EQ(Rows(map, 5, 6)[1], "11111");
    EXPECT_EQ(Rows(map, 5, 6)[3], "11111");
    EXPECT_EQ(Rows(map, 5, 6)[4], "00000");
}

}  // namespace
}  // namespace ovfc
