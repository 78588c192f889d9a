#include <gtest/gtest.h>

#include "filters/smooth.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

using test::Image;

TEST(SmoothImage, WeightOneLeavesTheImageByteIdentical) {
    HeapScratch scratch;
    Image img = test::Noise(17, 13, 4);
    const auto before = img.pixels;
    ASSERT_EQ(SmoothImage(scratch, img.span(), 1.0), kFilterOk);
    EXPECT_EQ(img.pixels, before);
}

TEST(SmoothImage, BlendsWithTheUnsmoothedNeighbourMean) {
    HeapScratch scratch;
    Image img(4, 3, 20);
    img.at(1, 1) = 100;
    img.at(2, 1) = 180;
    ASSERT_EQ(SmoothImage(scratch, img.span(), 0.5), kFilterOk);
    // (1, 1): 50 + 0.5 x (7 x 20 + 180) / 8 = 70; (2, 1) uses the old 100: 90 + (140 + 100) / 16.
    EXPECT_EQ(img.at(1, 1), 70);
    EXPECT_EQ(img.at(2, 1), 105);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.at(x, 0), 20);
    EXPECT_EQ(img.at(0, 1), 20);
    EXPECT_EQ(img.at(3, 1), 20);
    // Weight 0: the plain neighbour mean, truncated: (7 x 20 + 101) / 8 = 30.125.
    Image one(3, 3, 20);
    one.at(0, 0) = 101;
    one.at(1, 1) = 255;
    ASSERT_EQ(SmoothImage(scratch, one.span(), 0.0), kFilterOk);
    EXPECT_EQ(one.at(1, 1), 30);
    EXPECT_EQ(one.at(0, 0), 101);
}

}  // namespace
}  // namespace ovfc
