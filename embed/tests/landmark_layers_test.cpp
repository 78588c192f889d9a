// Each layer kind of the landmark network on small inputs worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "landmark_layers.h"

namespace {

using ovem::FeatureShape;

TEST(EmLandmarkLayers, SameOutputSide) {
    EXPECT_EQ(ovem::sameOutputSide(112, 2), 56);
    EXPECT_EQ(ovem::sameOutputSide(7, 2), 4);
    EXPECT_EQ(ovem::sameOutputSide(7, 1), 7);
}

TEST(EmLandmarkLayers, ConvolutionStrideOneSumsTheNeighbourhood) {
    // 3x3 single channel 1..9, a filter of ones and bias 0.5: each output is the sum of the
    // pixels its window covers inside the image.
    const std::vector<float> in = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::vector<float> filters(9, 1.0f);
    const float bias = 0.5f;
    std::vector<float> out(9, -1.0f);
    ovem::conv3x3(in.data(), {3, 3, 1}, filters.data(), &bias, 1, 1, out.data());
    const std::vector<float> expected = {12.5f, 21.5f, 16.5f, 27.5f, 45.5f,
                                         33.5f, 24.5f, 39.5f, 28.5f};
    EXPECT_EQ(out, expected);
}

TEST(EmLandmarkLayers, ConvolutionStrideTwoPadsOnlyAfter) {
    // 4x4 input, stride 2: the one padding row and column go to the bottom and right, so
    // the top-left tap of output (y, x) reads input (2y, 2x) and the bottom-right tap of
    // the last output falls into the padding.
    std::vector<float> in(16);
    for (int i = 0; i < 16; ++i) in[i] = static_cast<float>(i + 1);
    std::vector<float> topLeft(9, 0.0f), bottomRight(9, 0.0f);
    topLeft[0] = 1.0f;
    bottomRight[8] = 1.0f;
    const float bias = 0.0f;
    std::vector<float> out(4);
    ovem::conv3x3(in.data(), {4, 4, 1}, topLeft.data(), &bias, 1, 2, out.data());
    EXPECT_EQ(out, (std::vector<float>{1, 3, 9, 11}));
    ovem::conv3x3(in.data(), {4, 4, 1}, bottomRight.data(), &bias, 1, 2, out.data());
    EXPECT_EQ(out, (std::vector<float>{11, 0, 0, 0}));
}

TEST(EmLandmarkLayers, ConvolutionMixesChannelsInFilterOrder) {
    // One pixel, two input channels (a=2, b=3), two outputs: only the centre tap reaches
    // the pixel; filters[1][1][in][out] = {{1, 10}, {100, 1000}} in [in][out] order.
    const std::vector<float> in = {2, 3};
    std::vector<float> filters(3 * 3 * 2 * 2, 7.0f);  // off-centre taps see only padding
    const int centre = (1 * 3 + 1) * 4;
    filters[centre + 0] = 1;     // in 0 -> out 0
    filters[centre + 1] = 10;    // in 0 -> out 1
    filters[centre + 2] = 100;   // in 1 -> out 0
    filters[centre + 3] = 1000;  // in 1 -> out 1
    const float bias[2] = {0.25f, -0.25f};
    float out[2];
    ovem::conv3x3(in.data(), {1, 1, 2}, filters.data(), bias, 2, 1, out);
    EXPECT_EQ(out[0], 2 * 1 + 3 * 100 + 0.25f);
    EXPECT_EQ(out[1], 2 * 10 + 3 * 1000 - 0.25f);
}

TEST(EmLandmarkLayers, DepthwiseKeepsChannelsApart) {
    // 2x2 image, channel 0 = 1 2 / 3 4, channel 1 = 10 20 / 30 40; stride 1.
    const std::vector<float> in = {1, 10, 2, 20, 3, 30, 4, 40};
    std::vector<float> filters(9 * 2, 0.0f);
    filters[4 * 2 + 0] = 1.0f;  // channel 0: centre tap
    filters[5 * 2 + 1] = 2.0f;  // channel 1: right-hand neighbour, doubled
    std::vector<float> out(8);
    ovem::depthwise3x3(in.data(), {2, 2, 2}, filters.data(), 1, out.data());
    EXPECT_EQ(out, (std::vector<float>{1, 40, 2, 0, 3, 80, 4, 0}));
    // Stride 2 on the same image: one output from the top-left window.
    std::vector<float> ones(9 * 2, 1.0f);
    float one[2];
    ovem::depthwise3x3(in.data(), {2, 2, 2}, ones.data(), 2, one);
    EXPECT_EQ(one[0], 10.0f);
    EXPECT_EQ(one[1], 100.0f);
}

TEST(EmLandmarkLayers, PointwiseAndFullyConnected) {
    // Two pixels of two channels to three outputs: weights [in][out].
    const std::vector<float> in = {1, 2, -1, 0.5f};
    const std::vector<float> w = {1, 0, 3, 0, 1, -2};
    const float bias[3] = {0.5f, 0, -1};
    std::vector<float> out(6);
    ovem::pointwise(in.data(), 2, 2, w.data(), bias, 3, out.data());
    EXPECT_EQ(out, (std::vector<float>{1.5f, 2, -2, -0.5f, 0.5f, -5}));
    // Five pixels: four taken together, one alone; each as if alone.
    const std::vector<float> five = {1, 2, -1, 0.5f, 0, 0, 2, -1, 3, 1};
    std::vector<float> out5(15);
    ovem::pointwise(five.data(), 5, 2, w.data(), bias, 3, out5.data());
    EXPECT_EQ(out5, (std::vector<float>{1.5f, 2, -2, -0.5f, 0.5f, -5, 0.5f, 0, -1, 2.5f, -1, 7,
                                        3.5f, 1, 6}));
    float fc[3];
    ovem::fullyConnected(in.data(), 2, w.data(), bias, 3, fc);
    EXPECT_EQ(fc[0], 1.5f);
    EXPECT_EQ(fc[1], 2.0f);
    EXPECT_EQ(fc[2], -2.0f);
}

TEST(EmLandmarkLayers, RectifiedSumsAndAccumulation) {
    std::vector<float> a = {1, -2, 3, -4};
    const std::vector<float> b = {-2, 1, 0.5f, 5};
    std::vector<float> out(4);
    ovem::addRelu(a.data(), b.data(), 4, out.data());
    EXPECT_EQ(out, (std::vector<float>{0, 0, 3.5f, 1}));
    ovem::addRelu(a.data(), nullptr, 4, out.data());
    EXPECT_EQ(out, (std::vector<float>{1, 0, 3, 0}));
    ovem::accumulate(b.data(), 4, a.data());
    EXPECT_EQ(a, (std::vector<float>{-1, -1, 3.5f, 1}));
    // In place, as the network uses it.
    ovem::addRelu(a.data(), nullptr, 4, a.data());
    EXPECT_EQ(a, (std::vector<float>{0, 0, 3.5f, 1}));
}

TEST(EmLandmarkLayers, AveragePool) {
    // 7x7 window over a 7x7 map of two channels: the mean of each.
    std::vector<float> in(49 * 2);
    for (int i = 0; i < 49; ++i) {
        in[2 * i] = static_cast<float>(i);  // mean 24
        in[2 * i + 1] = 49.0f;
    }
    float out[2];
    ovem::averagePool(in.data(), {7, 7, 2}, 7, 2, out);
    EXPECT_EQ(out[0], 24.0f);
    EXPECT_EQ(out[1], 49.0f);
    // 2x2 windows at stride 2 over 4x4 (one channel): four block means; a fifth column
    // would not fit a window and is left out.
    std::vector<float> grid(5 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) grid[y * 5 + x] = static_cast<float>(y * 5 + x);
    float pooled[4];
    ovem::averagePool(grid.data(), {4, 5, 1}, 2, 2, pooled);
    EXPECT_EQ(pooled[0], 3.0f);   // 0 1 5 6
    EXPECT_EQ(pooled[1], 5.0f);   // 2 3 7 8
    EXPECT_EQ(pooled[2], 13.0f);  // 10 11 15 16
    EXPECT_EQ(pooled[3], 15.0f);
}

}  // namespace
