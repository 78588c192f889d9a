// The landmark network's input from a frame and box, and its points mapped back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "landmark_input.h"

namespace {

constexpr int kW = 256, kH = 255;
constexpr float kMean[3] = {122.782f, 117.001f, 104.298f};

std::vector<uint8_t> patternFrame() {
    std::vector<uint8_t> f(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) f[y * kW + x] = static_cast<uint8_t>((x * 7 + y * 13) % 256);
    return f;
}

float normalised(int grey, int channel) {
    return (static_cast<float>(grey) - kMean[channel]) / 255.0f;
}

class EmLandmarkInput : public ::testing::Test {
  protected:
    const std::vector<uint8_t> frame_ = patternFrame();
    std::vector<float> input_ = std::vector<float>(112 * 112 * 3);
    int grey(int y, int x) const { return frame_[y * kW + x]; }
    float at(int r, int c, int k) const { return input_[(r * 112 + c) * 3 + k]; }
};

TEST_F(EmLandmarkInput, BoxOfTheInputSizeIsCopiedAndNormalised) {
    ovem::landmarkInput(frame_.data(), kW, kH, {10, 20, 112, 112}, input_.data());
    for (int r : {0, 1, 57, 111})
        for (int c : {0, 3, 64, 111})
            for (int k = 0; k < 3; ++k)
                ASSERT_FLOAT_EQ(at(r, c, k), normalised(grey(20 + r, 10 + c), k)) << r << "," << c;
}

TEST_F(EmLandmarkInput, DoubleSizeBoxSamplesEverySecondPixel) {
    ovem::landmarkInput(frame_.data(), kW, kH, {5, 6, 224, 224}, input_.data());
    for (int r : {0, 50, 111})
        for (int c : {0, 7, 111}) ASSERT_FLOAT_EQ(at(r, c, 1), normalised(grey(6 + 2 * r, 5 + 2 * c), 1));
}

TEST_F(EmLandmarkInput, InterpolatesBetweenPixels) {
    // A 168-pixel box: output 1 samples source 1.5, halfway between pixels 1 and 2.
    ovem::landmarkInput(frame_.data(), kW, kH, {0, 0, 168, 168}, input_.data());
    const double mid = (grey(0, 1) + grey(0, 2)) / 2.0;
    EXPECT_FLOAT_EQ(at(0, 1, 0), normalised(0, 0) + static_cast<float>(mid) / 255.0f);
}

TEST_F(EmLandmarkInput, NarrowBoxIsCentredWithBlack) {
    // Width 100 in a 112 square: 6 black columns before, 6 after.
    ovem::landmarkInput(frame_.data(), kW, kH, {30, 40, 100, 112}, input_.data());
    for (int c = 0; c < 6; ++c) ASSERT_FLOAT_EQ(at(10, c, 0), normalised(0, 0));
    EXPECT_FLOAT_EQ(at(10, 6, 0), normalised(grey(50, 30), 0));
    EXPECT_FLOAT_EQ(at(10, 105, 0), normalised(grey(50, 129), 0));
    for (int c = 106; c < 112; ++c) ASSERT_FLOAT_EQ(at(10, c, 0), normalised(0, 0));
    // An odd difference (101 wide) puts the larger half after: 5 before, 6 after.
    ovem::landmarkInput(frame_.data(), kW, kH, {30, 40, 101, 112}, input_.data());
    EXPECT_FLOAT_EQ(at(10, 4, 2), normalised(0, 2));
    EXPECT_FLOAT_EQ(at(10, 5, 2), normalised(grey(50, 30), 2));
    EXPECT_FLOAT_EQ(at(10, 105, 2), normalised(grey(50, 130), 2));
    EXPECT_FLOAT_EQ(at(10, 106, 2), normalised(0, 2));
    // A wide box pads rows instead.
    ovem::landmarkInput(frame_.data(), kW, kH, {30, 40, 112, 100}, input_.data());
    EXPECT_FLOAT_EQ(at(5, 10, 0), normalised(0, 0));
    EXPECT_FLOAT_EQ(at(6, 10, 0), normalised(grey(40, 40), 0));
}

TEST_F(EmLandmarkInput, PixelsPastTheFrameAreBlack) {
    ovem::landmarkInput(frame_.data(), kW, kH, {-5, 200, 112, 112}, input_.data());
    EXPECT_FLOAT_EQ(at(0, 4, 0), normalised(0, 0));
    EXPECT_FLOAT_EQ(at(0, 5, 0), normalised(grey(200, 0), 0));
    EXPECT_FLOAT_EQ(at(54, 5, 0), normalised(grey(254, 0), 0));
    EXPECT_FLOAT_EQ(at(55, 5, 0), normalised(0, 0));
}

TEST(EmLandmarkPoints, MappedIntoTheBox) {
    float raw[136] = {};
    raw[0] = 0.5f;
    raw[1] = 0.25f;
    raw[2] = 0.0f;
    raw[3] = 1.0f;
    float points[136];
    ovem::landmarkPointsToFrame(raw, {10, 20, 100, 100}, points);
    EXPECT_FLOAT_EQ(points[0], 60.0f);
    EXPECT_FLOAT_EQ(points[1], 45.0f);
    EXPECT_FLOAT_EQ(points[2], 10.0f);
    EXPECT_FLOAT_EQ(points[3], 120.0f);
    // A box half as wide as high: the square's first and last quarter across are padding.
    raw[0] = 0.25f;
    raw[1] = 0.5f;
    raw[2] = 0.75f;
    raw[3] = 0.0f;
    ovem::landmarkPointsToFrame(raw, {-4, 8, 56, 112}, points);
    EXPECT_FLOAT_EQ(points[0], -4.0f);
    EXPECT_FLOAT_EQ(points[1], 64.0f);
    EXPECT_FLOAT_EQ(points[2], 52.0f);
    EXPECT_FLOAT_EQ(points[3], 8.0f);
}

TEST(EmLandmarkPoints, FlatBoxes) {
    std::vector<uint8_t> f(kW * kH, 90);
    EXPECT_TRUE(ovem::boxIsFlat(f.data(), kW, kH, {0, 0, kW, kH}));
    f[100 * kW + 100] = 91;
    EXPECT_FALSE(ovem::boxIsFlat(f.data(), kW, kH, {0, 0, kW, kH}));
    EXPECT_FALSE(ovem::boxIsFlat(f.data(), kW, kH, {100, 100, 1, 2}));
    // Only frame pixels count: the one odd pixel is at the box's last frame column.
    EXPECT_FALSE(ovem::boxIsFlat(f.data(), kW, kH, {100, 90, 1, 400}));
    EXPECT_TRUE(ovem::boxIsFlat(f.data(), kW, kH, {101, 90, 1, 400}));
    EXPECT_TRUE(ovem::boxIsFlat(f.data(), kW, kH, {300, 0, 20, 20}));
}

}  // namespace
