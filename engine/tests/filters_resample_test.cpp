#include <gtest/gtest.h>

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
