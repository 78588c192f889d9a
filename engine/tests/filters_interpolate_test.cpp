#include <gtest/gtest.h>

#include "filters/interpolate.h"

namespace ovfc {
namespace {

// Rows: above-left, above, above-right / left, centre, right / below-left, below, below-right.
Neighbourhood N(int al, int a, int ar, int l, int c, int r, int bl, int b, int br) {
    return {al, a, ar, l, c, r, bl, b, br};
}

TEST(InterpolateMinimum, QuadraticSurfaceVertexInsideTheCell) {
    // Vertex at (0.714, -0.571), value 7.14.
    EXPECT_EQ(InterpolateMinimum(N(40, 20, 40, 30, 10, 14, 40, 20, 40)), 7);
    // A symmetric bowl keeps its centre.
    EXPECT_EQ(InterpolateMinimum(N(30, 20, 30, 20, 10, 20, 30, 20, 30)), 10);
}

TEST(InterpolateMinimum, VertexAboveTheCentreFallsBackToSeparableParabolas) {
    // Surface vertex 10.5 > centre: w = 10 - 15^2 / (8 x 25) = 8.875; rows add nothing.
    EXPECT_EQ(InterpolateMinimum(N(14, 12, 14, 15, 10, 30, 14, 12, 14)), 8);
}

TEST(InterpolateMinimum, FlatColumnsAndRowsUseTheAveragedNeighbours) {
    // det = 0 with a flat right column: Fm = 36 / 3 - 10 = 2, a = 12, e = 8 / 12,
    // x* = -e / a, Q = 9.98.
    EXPECT_EQ(InterpolateMinimum(N(12, 10, 20, 12, 10, 20, 12, 10, 20)), 9);
    // Same shape with E = Fm: unchanged.
    EXPECT_EQ(InterpolateMinimum(N(12, 10, 12, 12, 10, 12, 12, 10, 12)), 10);
    // Gx = 0 with flat left and right: O = 15, P = 5, S = 20, e = -0.5, y* = 0.025, Q = 4.994.
    EXPECT_EQ(InterpolateMinimum(N(20, 20, 20, 5, 5, 5, 10, 10, 10)), 4);
    // Gx = 0 from a slope (E = -F != 0): unchanged.
    EXPECT_EQ(InterpolateMinimum(N(20, 20, 20, 2, 5, 8, 20, 20, 20)), 5);
    // Gx = 0, E = F = 0 and S = 0: unchanged.
    EXPECT_EQ(InterpolateMinimum(N(7, 7, 7, 5, 5, 5, 3, 3, 3)), 5);
}

TEST(InterpolateMinimum, NeighbourhoodIsReadFromAMap) {
    const std::uint8_t map[] = {0, 0,  0,  0,  0,  //
                                0, 40, 20, 40, 0, 0, 30, 10, 14, 0, 0, 40, 20, 40, 0};
    const Neighbourhood n = NeighbourhoodAt(map, 5, 2, 2);
    EXPECT_EQ(n.centre, 10);
    EXPECT_EQ(n.aboveLeft, 40);
    EXPECT_EQ(n.right, 14);
    EXPECT_EQ(InterpolateMinimum(n), 7);
}

}  // namespace
}  // namespace ovfc
