#include "image_intake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "library_state.h"
#include "status.h"

namespace {

using ovfc::BlockPool;
using ovfc::GreyImage;

GreyImage imageOf(BlockPool& pool, const std::vector<std::uint8_t>& px, int w, int h) {
    GreyImage img;
    EXPECT_EQ(ovfc::copyImage(pool, img, px.data(), w, h), 0);
    return img;
}

TEST(ImageIntake, ChecksumAddsWholeLittleEndianWords) {
    const std::vector<std::uint8_t> px = {1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF, 9, 9, 9};
    // 0x04030201 + 0xFFFFFFFF wraps to 0x04030200; the three trailing bytes do not count.
    EXPECT_EQ(ovfc::imageChecksum(px.data(), px.size()), 0x04030200u);
    BlockPool pool;
    GreyImage img = imageOf(pool, px, 11, 1);
    EXPECT_EQ(img.checksum, 0x04030200u);
    EXPECT_EQ(img.width, 11);
    EXPECT_EQ(pool.blocksInUse(), 1);
}

TEST(ImageIntake, GreyRangeIsTakenFromTheCentreWithoutSaturatedPixels) {
    // 20 x 10: the counted region is rows 2..7 and columns 5..14 (60 pixels).
    const int w = 20, h = 10;
    std::vector<std::uint8_t> px(w * h, 0);  // the border is all 0 and must not count
    int i = 0;
    for (int y = 2; y < 8; ++y)
        for (int x = 5; x < 15; ++x) px[y * w + x] = static_cast<std::uint8_t>(10 + (i++ % 50));
    px[5 * w + 7] = 255;  // was 42; left out: 59 pixels counted, target trunc(8.85) = 8
    BlockPool pool;
    GreyImage img = imageOf(pool, px, w, h);
    ovfc::estimateGreyRange(img);
    // Levels 10..19 hold 2 pixels, 20..59 one. From below the sum is 8 after level 13
    // (not above the target) and 10 after level 14: the level reached is 15.
    EXPECT_EQ(img.greyLow, 15);
    // From above the sum passes 8 after levels 59..51: the level reached is 50.
    EXPECT_EQ(img.greyHigh, 50);
}

TEST(ImageIntake, GreyRangeOfAFlatImage) {
    BlockPool pool;
    GreyImage img = imageOf(pool, std::vector<std::uint8_t>(64 * 64, 100), 64, 64);
    ovfc::estimateGreyRange(img);
    EXPECT_EQ(img.greyLow, 101);
    EXPECT_EQ(img.greyHigh, 101) << "the high cut never passes the low cut";
}

TEST(ImageIntake, StretchUsesTheLogarithmicTable) {
    std::vector<std::uint8_t> px = {50, 51, 100, 150, 200, 0 + 50};
    BlockPool pool;
    GreyImage img = imageOf(pool, px, 3, 2);
    ASSERT_EQ(ovfc::stretchGrey(img), 0);
    const double top = std::log10(150 / 256.0 + 1.0);
    auto entry = [&](int v) {
        return static_cast<int>(std::log10((v - 50) / 256.0 + 1.0) * 255 / top);
    };
    EXPECT_EQ(img.data()[0], 0);
    EXPECT_EQ(img.data()[1], entry(51));
    EXPECT_EQ(img.data()[2], entry(100));
    EXPECT_EQ(img.data()[3], entry(150));
    EXPECT_EQ(img.data()[4], 255);
    EXPECT_GT(entry(100), 255 * 50 / 150) << "the curve lifts the dark half";
}

TEST(ImageIntake, StretchOfAFlatImageGivesCode1) {
    BlockPool pool;
    GreyImage img = imageOf(pool, std::vector<std::uint8_t>(12, 77), 4, 3);
    EXPECT_EQ(ovfc::stretchGrey(img), ovfc::kFlatImage);
    EXPECT_EQ(img.data()[0], 77) << "left unchanged";
}

TEST(ImageIntake, TakeInAppliesTheStretchOnlyWithGammaAndCopiesTheReference) {
    ovfc::LibraryState state;
    state.config.set("param", "Number_of_face_elements", "8");
    state.config.set("param", "using_descriptors_mask", "0x1FF");
    state.config.set("param", "gamma", "0");
    std::vector<std::uint8_t> px(16 * 16);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(40 + i % 100);
    std::vector<std::uint8_t> ref(px.size(), 3);
    {
        ovfc::FaceContext ctx(state);
        EXPECT_EQ(ctx.filterMask, 0u) << "the integer read stops at the x";
        ASSERT_EQ(ovfc::takeInImage(ctx, px.data(), 16, 16, ref.data()), 0);
        EXPECT_EQ(ctx.image.data()[0], 40);
        EXPECT_EQ(ctx.secondImage.data()[5], 3);
        EXPECT_EQ(ctx.secondImage.width, 16);
        EXPECT_EQ(state.pool.blocksInUse(), 2);
    }
    EXPECT_EQ(state.pool.blocksInUse(), 0) << "the context gives its blocks back";
    state.config.set("param", "gamma", "1");
    {
        ovfc::FaceContext ctx(state);
        ASSERT_EQ(ovfc::takeInImage(ctx, px.data(), 16, 16, nullptr), 0);
        EXPECT_EQ(ctx.image.data()[0], 0);
        EXPECT_EQ(ctx.image.data()[99], 255);
    }
    std::vector<std::uint8_t> flat(px.size(), 9);
    ovfc::FaceContext ctx(state);
    EXPECT_EQ(ovfc::takeInImage(ctx, flat.data(), 16, 16, nullptr), ovfc::kFlatImage);
}

TEST(FaceContext, RecordsAreNamedAndUnusableCountsRefused) {
    ovfc::LibraryState state;
    state.config.set("param", "Number_of_face_elements", "6");
    state.config.set("param", "using_descriptors_mask", "261");
    ovfc::FaceContext ctx(state);
    EXPECT_EQ(ctx.face.id, 255);
    EXPECT_STREQ(ctx.face.name, "face");
    EXPECT_STREQ(ctx.elements[4].name, "mout");
    EXPECT_EQ(ctx.elements[7].id, 7);
    EXPECT_EQ(ctx.elementCount, 6u);
    EXPECT_EQ(ctx.filterCount, 3u);
    state.config.set("param", "Number_of_face_elements", "9");
    EXPECT_THROW(ovfc::FaceContext{state}, ovfc::XERRORINI);
    state.config.set("param", "Number_of_face_elements", "8");
    state.config.set("param", "using_descriptors_mask", "512");
    EXPECT_THROW(ovfc::FaceContext{state}, ovfc::XERRORINI);
}

}  // namespace
