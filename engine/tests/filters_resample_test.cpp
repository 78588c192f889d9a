#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "filters/filter_codes.h"
#include "filters/resample.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

TEST(ResampleArea, ScaleOneAtIntegerOriginCopiesTheImage) {
    HeapScratch scratch;
    const Image img = test::Noise(7, 5, 1);
    Image out(7, 5);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 0.0, 0.0, 1.0, out.span()), kFilterOk);
    EXPECT_EQ(out.pixels, img.pixels);
    // A sub-window from an integer origin.
    Image sub(3, 2);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 2.0, 1.0, 1.0, sub.span()), kFilterOk);
    EXPECT_EQ(sub.pixels, test::Crop(img, 2, 1, 3, 2).pixels);
}

TEST(ResampleArea, HalfScaleTakesTruncatedBlockMeans) {
    HeapScratch scratch;
    const Image img(4, 2, {10, 20, 0, 255, 30, 41, 1, 255});
    Image out(2, 1);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 0.0, 0.0, 0.5, out.span()), kFilterOk);
    EXPECT_EQ(out.at(0, 0), 25);   // 101 / 4 = 25.25
    EXPECT_EQ(out.at(1, 0), 127);  // 511 / 4 = 127.75
}

TEST(ResampleArea, FractionalOriginSplitsPixelsByArea) {
    HeapScratch scratch;
    const Image img(3, 1, {10, 20, 30});
    Image out(2, 1);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 0.5, 0.0, 1.0, out.span()), kFilterOk);
    EXPECT_EQ(out.at(0, 0), 15);  // half of 10 and half of 20
    EXPECT_EQ(out.at(1, 0), 25);
    // Rows alike: origin y = 0.5 over a column.
    const Image col(1, 3, {10, 20, 31});
    Image outc(1, 2);
    ASSERT_EQ(ResampleArea(scratch, col.view(), 0.0, 0.5, 1.0, outc.span()), kFilterOk);
    EXPECT_EQ(outc.at(0, 0), 15);
    EXPECT_EQ(outc.at(0, 1), 25);  // 25.5 truncated
}

TEST(ResampleArea, OutputPastTheImageStaysZeroAndBadOriginIsRefused) {
    HeapScratch scratch;
    const Image img(2, 2, 200);
    Image out(4, 4, 99);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 0.0, 0.0, 1.0, out.span()), kFilterOk);
    EXPECT_EQ(out.at(1, 1), 200);
    EXPECT_EQ(out.at(2, 0), 0);
    EXPECT_EQ(out.at(0, 3), 0);
    EXPECT_EQ(ResampleArea(scratch, img.view(), -1.0, 0.0, 1.0, out.span()), kFilterBadGeometry);
    // Enlarging: one whole pixel weighs g^2 = 2.25 and 450 is clamped to 255.
    Image one(1, 1);
    ASSERT_EQ(ResampleArea(scratch, img.view(), 0.0, 0.0, 1.5, one.span()), kFilterOk);
    EXPECT_EQ(one.at(0, 0), 255);
}

// The area resampling written term by term: every contribution added to its output pixel in
// source order.
std::vector<std::uint8_t> ReferenceArea(const Image& img, double ox, double oy, double g, int c,
                                        int d) {
    std::vector<double> acc(c * d, 0.0);
    const int i0 = static_cast<int>(ox), j0 = static_cast<int>(oy);
    const int i1 = std::min(static_cast<int>(c / g + ox - 0.00001), img.width - 1);
    const int j1 = std::min(static_cast<int>(d / g + oy - 0.00001), img.height - 1);
    auto cover = [g](double o, int first, int k, int& t, double& u) {
        if (k == first) {
            t = 0;
            u = 1 - o + std::trunc(o);
        } else {
            t = static_cast<int>(g * (k - o) + 0.00001);
            u = std::min(1.0, o + (t + 1) / g - k);
        }
    };
    auto add = [&](int t, int x, double v) {
        if (t >= 0 && t < d && x >= 0 && x < c) acc[t * c + x] += v;
    };
    for (int j = j0; j <= j1; ++j) {
        int tr;
        double ur;
        cover(oy, j0, j, tr, ur);
        std::vector<std::pair<int, double>> weights{{tr, ur}};
        if (j != j0 && j != j1 && ur < 1) weights.push_back({tr + 1, 1 - ur});
        for (auto [row, w] : weights) {
            for (int i = i0; i <= i1; ++i) {
                int t;
                double u;
                cover(ox, i0, i, t, u);
                const double p = img.at(i, j);
                if (i == i0) {
                    add(row, 0, p * w * u);
                } else if (i == i1) {
                    add(row, t, p * w * u);
                } else {
                    add(row, t, p * w * u);
                    if (u < 1) add(row, t + 1, p * w * (1 - u));
                }
            }
        }
    }
    std::vector<std::uint8_t> out(c * d);
    // Above scale 1 a source pixel can weigh more than its area: sums past 255 are clamped.
    for (int k = 0; k < c * d; ++k)
        out[k] = static_cast<std::uint8_t>(std::min(255.0, acc[k] * (g * g)));
    return out;
}

TEST(ResampleArea, EqualsTheTermByTermSumsForAnyGeometry) {
    HeapScratch scratch;
    const Image img = test::Noise(97, 83, 13);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> scale(0.07, 1.6), pos(0.0, 80.0);
    for (int k = 0; k < 400; ++k) {
        const double g = scale(rng), ox = pos(rng), oy = pos(rng);
        const int c = 1 + static_cast<int>(rng() % 30), d = 1 + static_cast<int>(rng() % 30);
        Image out(c, d);
        ASSERT_EQ(ResampleArea(scratch, img.view(), ox, oy, g, out.span()), kFilterOk);
        ASSERT_EQ(out.pixels, ReferenceArea(img, ox, oy, g, c, d))
            << "g " << g << " origin " << ox << "," << oy << " size " << c << "x" << d;
    }
}

TEST(ResampleRotated, AngleZeroScaleOneReproducesTheImage) {
    const Image img = test::Noise(6, 5, 2);
    Image out(6, 5);
    ResampleRotated(img.view(), 0.5, 0.5, 1.0, 1.0, 0.0, out.span());
    EXPECT_EQ(out.pixels, img.pixels);
}

TEST(ResampleRotated, QuarterTurnTransposesTheAxes) {
    const Image img(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    Image out(3, 3);
    // (cx, sx) = (0, 1): output (j, i) samples image (2 - i, j).
    ResampleRotated(img.view(), 2.5, 0.5, 1.0, 0.0, 1.0, out.span());
    EXPECT_EQ(out.pixels, (std::vector<std::uint8_t>{3, 6, 9, 2, 5, 8, 1, 4, 7}));
}

TEST(ResampleRotated, DiscWeightsAndPixelsOutsideTheImageGetNone) {
    const Image img(2, 2, {10, 20, 30, 40});
    Image out(1, 1);
    // Scale 0.5: radius 1.5 around pixel (0, 0); weights 1, 0.5, 0.5 and 1.5 - sqrt(2).
    ResampleRotated(img.view(), 0.5, 0.5, 0.5, 2.0, 0.0, out.span());
    EXPECT_EQ(out.at(0, 0), 18);  // 38.43 / 2.086
    // Entirely outside: no weight, 0.
    ResampleRotated(img.view(), 10.5, 10.5, 1.0, 1.0, 0.0, out.span());
    EXPECT_EQ(out.at(0, 0), 0);
}

}  // namespace
}  // namespace ovfc
