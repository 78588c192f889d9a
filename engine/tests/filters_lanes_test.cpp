// The resampling lanes (four output pixels or rows at a time) against the plain loops, byte
// for byte, on random images and geometries and on the photographs (when ../shared/faces is
// there).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "filters/filter_codes.h"
#include "filters/resample.h"
#include "filters_test_util.h"
#include "photographs.h"

namespace ovfc {
namespace {

using test::Image;
using test::photoDir;
using test::photograph;

struct Rotation {
    double ox, oy, g, angle;
    int w, h;
};

std::string describe(const Rotation& q) {
    return "origin " + std::to_string(q.ox) + "," + std::to_string(q.oy) + " g " +
           std::to_string(q.g) + " angle " + std::to_string(q.angle) + " size " +
           std::to_string(q.w) + "x" + std::to_string(q.h);
}

void expectRotatedSame(const Image& img, const Rotation& q) {
    const double cx = std::cos(q.angle) / q.g, sx = std::sin(q.angle) / q.g;
    // Filled with different bytes: every output pixel must be written, and equally.
    Image lanes(q.w, q.h, 7), plain(q.w, q.h, 93);
    ResampleRotated(img.view(), q.ox, q.oy, q.g, cx, sx, lanes.span());
    ResampleRotatedPlain(img.view(), q.ox, q.oy, q.g, cx, sx, plain.span());
    ASSERT_EQ(lanes.pixels, plain.pixels) << describe(q);
}

TEST(ResampleLanes, RotatedEqualsThePlainLoopForAnyGeometry) {
    const Image img = test::Noise(61, 47, 29);
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> scale(0.15, 2.5), angle(-0.8, 0.8), pos(-12.0, 70.0);
    for (int k = 0; k < 600; ++k) {
        // Widths 1 .. 23 cover every remainder of the four lanes; origins off the image put
        // apertures across its borders.
        const Rotation q{pos(rng),
                         pos(rng),
                         scale(rng),
                         angle(rng),
                         1 + static_cast<int>(rng() % 23),
                         1 + static_cast<int>(rng() % 9)};
        expectRotatedSame(img, q);
    }
    // Exact scale 1, angle 0 and whole or half pixel origins: distances exactly at the
    // aperture's edges.
    for (const double o : {0.0, 0.5, 1.0, 3.25})
        for (const double g : {1.0, 0.5, 0.25, 2.0}) expectRotatedSame(img, {o, o, g, 0.0, 13, 5});
    // Apertures of radius 25.5 and 12: boxes far wider than the lanes are apart.
    for (const double g : {0.02, 0.0417}) expectRotatedSame(img, {20.3, 15.7, g, 0.3, 6, 3});
}

TEST(ResampleLanes, AreaEqualsThePlainLoopForAnyGeometry) {
    HeapScratch scratch;
    const Image img = test::Noise(97, 83, 31);
    std::mt19937 rng(19);
    std::uniform_real_distribution<double> scale(0.07, 1.8), pos(0.0, 85.0);
    for (int k = 0; k < 600; ++k) {
        const double g = scale(rng), ox = pos(rng), oy = pos(rng);
        const int c = 1 + static_cast<int>(rng() % 33), d = 1 + static_cast<int>(rng() % 19);
        Image lanes(c, d, 7), plain(c, d, 93);
        const int a = ResampleArea(scratch, img.view(), ox, oy, g, lanes.span());
        const int b = ResampleAreaPlain(scratch, img.view(), ox, oy, g, plain.span());
        ASSERT_EQ(a, b);
        ASSERT_EQ(lanes.pixels, plain.pixels)
            << "g " << g << " origin " << ox << "," << oy << " size " << c << "x" << d;
    }
    // Whole-pixel origins and scales 1 and 1/2: shares of exactly 1.
    for (const double g : {1.0, 0.5, 0.25}) {
        Image lanes(21, 10), plain(21, 10);
        ASSERT_EQ(ResampleArea(scratch, img.view(), 4.0, 2.0, g, lanes.span()), kFilterOk);
        ASSERT_EQ(ResampleAreaPlain(scratch, img.view(), 4.0, 2.0, g, plain.span()), kFilterOk);
        EXPECT_EQ(lanes.pixels, plain.pixels) << g;
    }
    Image out(5, 5);
    EXPECT_EQ(ResampleArea(scratch, img.view(), -0.5, 0.0, 0.5, out.span()), kFilterBadGeometry);
}

TEST(ResampleLanes, PhotographsAtTheSearchesScales) {
    const Image a = photograph("00000201.TIF"), b = photograph("00001106.TIF");
    if (a.pixels.empty() || b.pixels.empty()) GTEST_SKIP() << "no photographs in " << photoDir();
    HeapScratch scratch;
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> angle(-0.3, 0.3), pos(60.0, 190.0);
    for (const Image* img : {&a, &b}) {
        // The face search's scales (whole image and candidate neighbourhoods) ...
        for (double g = 0.11; g < 0.36; g *= 1.13) {
            const int c = static_cast<int>(255 * g), d = static_cast<int>(254 * g);
            Image lanes(c, d), plain(c, d);
            ASSERT_EQ(ResampleArea(scratch, img->view(), 0.3, 0.2, g, lanes.span()), kFilterOk);
            ASSERT_EQ(ResampleAreaPlain(scratch, img->view(), 0.3, 0.2, g, plain.span()),
                      kFilterOk);
            ASSERT_EQ(lanes.pixels, plain.pixels) << g;
            const double ox = pos(rng) - 40, oy = pos(rng) - 40;
            Image small(14, 20), smallPlain(14, 20);
            ASSERT_EQ(ResampleArea(scratch, img->view(), ox, oy, g, small.span()), kFilterOk);
            ASSERT_EQ(ResampleAreaPlain(scratch, img->view(), ox, oy, g, smallPlain.span()),
                      kFilterOk);
            ASSERT_EQ(small.pixels, smallPlain.pixels) << g << " at " << ox << "," << oy;
        }
        // ... and the eye-line regions of the eyes, elements and masks.
        for (int k = 0; k < 200; ++k) {
            const double g = 0.3 + 0.02 * (k % 30);
            expectRotatedSame(*img, {pos(rng), pos(rng), g, angle(rng), 10 + k % 31, 8 + k % 27});
        }
    }
}

}  // namespace
}  // namespace ovfc
