// The layer kinds of the embedding network on small cases worked out by hand, and the
// blocked convolution against the plain six-loop one.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "layers_conv.h"
#include "layers_dense.h"
#include "layers_pointwise.h"
#include "layers_pool.h"
#include "layers_residual.h"

namespace ovem::recognition {
namespace {

using Floats = std::vector<float>;

TEST(EmLayers, ConvolutionByHand) {
    // 3x3 input, one channel; 2x2 filters, two outputs: [ky][kx][in][out].
    const Floats in = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Floats filters = {1,  0, 0, 1,   // ky 0: kx 0, kx 1
                            -1, 0, 0, 2};  // ky 1
    const Floats bias = {0.5f, -1};
    Floats out(2 * 2 * 2, -99);
    conv2d(in.data(), {3, 3, 1}, filters.data(), 2, 2, bias.data(), 1, out.data());
    // out0 = a - c + 0.5, out1 = b + 2d - 1 for the window [a b; c d].
    EXPECT_EQ(out, (Floats{1 - 4 + 0.5f, 2 + 10 - 1, 2 - 5 + 0.5f, 3 + 12 - 1, 4 - 7 + 0.5f,
                           5 + 16 - 1, 5 - 8 + 0.5f, 6 + 18 - 1}));

    // Stride 2, two input channels, no bias: 5 wide, 3 high gives 2 x 1 outputs.
    Floats in2(3 * 5 * 2);
    for (size_t i = 0; i < in2.size(); ++i) in2[i] = static_cast<float>(i);
    // 3x3 filters, one output: only (ky 1, kx 2, channel 1) and (ky 0, kx 0, channel 0).
    Floats f2(3 * 3 * 2, 0.0f);
    f2[(1 * 3 + 2) * 2 + 1] = 10;
    f2[0] = 1;
    Floats out2(2, -99);
    conv2d(in2.data(), {3, 5, 2}, f2.data(), 3, 1, nullptr, 2, out2.data());
    // Output x: window at column 2x; value(y, x, c) = (y * 5 + x) * 2 + c.
    EXPECT_EQ(out2[0], 0 + 10 * ((1 * 5 + 2) * 2 + 1));
    EXPECT_EQ(out2[1], ((0 * 5 + 2) * 2) + 10 * ((1 * 5 + 4) * 2 + 1));
}

TEST(EmLayers, PaddedBorderIsZero) {
    const Floats in = {1, 2, 3, 4, 5, 6, 7, 8};  // 2x2, two channels
    Floats out(4 * 4 * 2, -1);
    padBorder(in.data(), {2, 2, 2}, 1, out.data());
    Floats expected(4 * 4 * 2, 0.0f);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 2; ++c)
                expected[((y + 1) * 4 + x + 1) * 2 + c] = in[(y * 2 + x) * 2 + c];
    EXPECT_EQ(out, expected);
}

// The sum in the order ky, kx, channel, as the kernel promises.
Floats plainConv(const Floats& in, MapShape s, const Floats& f, int k, int outChannels,
                 const float* bias, int stride) {
    const int oh = validSide(s.height, k, stride), ow = validSide(s.width, k, stride);
    Floats out(static_cast<size_t>(oh) * ow * outChannels);
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x)
            for (int o = 0; o < outChannels; ++o) {
                float acc = 0.0f;
                for (int ky = 0; ky < k; ++ky)
                    for (int kx = 0; kx < k; ++kx)
                        for (int c = 0; c < s.channels; ++c)
                            acc += in[((y * stride + ky) * s.width + x * stride + kx) * s.channels +
                                      c] *
                                   f[((ky * k + kx) * s.channels + c) * outChannels + o];
                out[(static_cast<size_t>(y) * ow + x) * outChannels + o] =
                    bias ? acc + bias[o] : acc;
            }
    return out;
}

TEST(EmLayers, BlockedConvolutionMatchesPlainLoopsBitForBit) {
    struct Case {
        MapShape shape;
        int k, outChannels, stride;
        bool bias;
    };
    // Widths that leave remainders after groups of four outputs; channel counts below,
    // at and above the blocks of eight and sixteen.
    const Case cases[] = {{{9, 11, 3}, 7, 32, 2, true},   {{7, 7, 5}, 3, 9, 1, true},
                          {{6, 13, 16}, 3, 17, 2, false}, {{3, 3, 8}, 3, 3, 1, true},
                          {{5, 6, 2}, 1, 8, 1, true},     {{6, 9, 4}, 3, 40, 1, true}};
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (const Case& c : cases) {
        Floats in(c.shape.size()),
            f(static_cast<size_t>(c.k) * c.k * c.shape.channels * c.outChannels),
            bias(c.outChannels);
        for (float& v : in) v = u(rng);
        for (float& v : f) v = u(rng);
        for (float& v : bias) v = u(rng);
        const float* b = c.bias ? bias.data() : nullptr;
        const Floats expected = plainConv(in, c.shape, f, c.k, c.outChannels, b, c.stride);
        Floats out(expected.size(), 12345.0f), baseline(expected.size(), 12345.0f);
        conv2d(in.data(), c.shape, f.data(), c.k, c.outChannels, b, c.stride, out.data());
        conv2dBaseline(in.data(), c.shape, f.data(), c.k, c.outChannels, b, c.stride,
                       baseline.data());
        EXPECT_EQ(out, expected) << c.shape.height << "x" << c.shape.width << "x"
                                 << c.shape.channels << " k" << c.k << " s" << c.stride;
        EXPECT_EQ(baseline, expected) << c.shape.height << "x" << c.shape.width << "x"
                                      << c.shape.channels << " k" << c.k << " s" << c.stride;
    }
}

TEST(EmLayers, ScaleAndRelu) {
    Floats map = {1, -2, 3, 0.5f, -4, 6};  // three pixels, two channels
    const Floats w = {2, -1}, b = {-3, 1};
    Floats plain = map;
    scaleChannels(plain.data(), 3, 2, w.data(), b.data(), false);
    EXPECT_EQ(plain, (Floats{-1, 3, 3, 0.5f, -11, -5}));
    scaleChannels(map.data(), 3, 2, w.data(), b.data(), true);
    EXPECT_EQ(map, (Floats{0, 3, 3, 0.5f, 0, 0}));

    Floats v = {-1, 0, 2.5f, -0.0f, 7};
    relu(v.data(), v.size());
    EXPECT_EQ(v, (Floats{0, 0, 2.5f, 0, 7}));
}

TEST(EmLayers, Pools) {
    // 5x5, two channels: channel 0 = y * 5 + x, channel 1 = its negative.
    Floats in(5 * 5 * 2);
    for (int i = 0; i < 25; ++i) {
        in[i * 2] = static_cast<float>(i);
        in[i * 2 + 1] = -static_cast<float>(i);
    }
    Floats out(2 * 2 * 2, -99);
    maxPool(in.data(), {5, 5, 2}, 3, 2, out.data());
    // Windows start at 0 and 2: the bottom-right value of channel 0, the top-left of 1.
    EXPECT_EQ(out, (Floats{12, 0, 14, -2, 22, -10, 24, -12}));

    averagePool(in.data(), {5, 5, 2}, 2, 2, out.data());
    // Window [a a+1; a+5 a+6] has mean a + 3; the last row and column are left out.
    EXPECT_EQ(out, (Floats{3, -3, 5, -5, 13, -13, 15, -15}));

    const Floats grid = {1, 10, 2, 20, 3, 30, 6, 60};  // 2x2, two channels
    Floats mean(2, -99);
    spatialMean(grid.data(), {2, 2, 2}, mean.data());
    EXPECT_EQ(mean, (Floats{3, 30}));
}

TEST(EmLayers, FullyConnected) {
    const Floats in = {1, -2, 0.5f};
    const Floats w = {1, 2, 3, 4, 5, 6};  // [3][2]
    Floats out(2, -99);
    fullyConnected(in.data(), 3, w.data(), nullptr, 2, out.data());
    EXPECT_EQ(out, (Floats{1 - 6 + 2.5f, 2 - 8 + 3}));
    const Floats bias = {10, -10};
    fullyConnected(in.data(), 3, w.data(), bias.data(), 2, out.data());
    EXPECT_EQ(out, (Floats{1 - 6 + 2.5f + 10, 2 - 8 + 3 - 10}));
}

// One-channel 3x3 filters with a single tap.
Floats tap(int ky, int kx, float v) {
    Floats f(9, 0.0f);
    f[ky * 3 + kx] = v;
    return f;
}

TEST(EmLayers, PlainResidualBlock) {
    Floats map = {1, -2, 3, 4};  // 2x2, one channel
    const Floats f1 = tap(1, 1, 1), f2 = tap(0, 0, 1);
    const Floats zero = {0}, one = {1}, two = {2}, minusOne = {-1}, half = {0.5f};
    ResidualWeights w;
    w.conv1 = {f1.data(), zero.data(), two.data(), minusOne.data()};
    w.conv2 = {f2.data(), half.data(), one.data(), zero.data()};
    w.outChannels = 1;
    Floats padded(16), first(4), second(4);
    residualBlock(map.data(), {2, 2, 1}, w, {padded.data(), first.data(), second.data(), nullptr});
    // first = max(0, 2x - 1) = [1 0; 5 7]; second = its up-left neighbour (zero outside)
    // + 0.5 = [0.5 0.5; 0.5 1.5]; out = max(0, second + x).
    EXPECT_EQ(map, (Floats{1.5f, 0, 3.5f, 5.5f}));
}

TEST(EmLayers, DownResidualBlock) {
    const Floats in = {1, 2, 3, 4, 5, 6, 7, 8, -9, -10, -11, -12, 0, 20, 0, -4};  // 4x4x1
    // conv1 (1 -> 2): channel 0 sums the window, channel 1 takes its centre.
    Floats f1(9 * 2, 0.0f);
    for (int t = 0; t < 9; ++t) f1[t * 2] = 1;
    f1[4 * 2 + 1] = 1;
    // conv2 (2 -> 2) on a 1x1 map: only the centre tap meets data; the others are 7 to
    // show the border is zero.
    Floats f2(9 * 2 * 2, 7.0f);
    f2[(4 * 2 + 0) * 2 + 0] = 1;
    f2[(4 * 2 + 0) * 2 + 1] = 0;
    f2[(4 * 2 + 1) * 2 + 0] = 0;
    f2[(4 * 2 + 1) * 2 + 1] = 1;
    const Floats zero2 = {0, 0}, one2 = {1, 1}, b1 = {10, 0}, bias2 = {0, -1}, w2 = {1, 0.5f};
    ResidualWeights w;
    w.conv1 = {f1.data(), zero2.data(), one2.data(), b1.data()};
    w.conv2 = {f2.data(), bias2.data(), w2.data(), zero2.data()};
    w.outChannels = 2;
    const MapShape shape{4, 4, 1};
    ASSERT_EQ(residualDownShape(shape, 2), (MapShape{2, 2, 2}));
    Floats padded(3 * 3 * 2), first(2), second(2), pooled(4), out(8, -99);
    residualDownBlock(in.data(), shape, w,
                      {padded.data(), first.data(), second.data(), pooled.data()}, out.data());
    // conv1: window sum -6 + 10 = 4, centre 6; conv2: [4, (6 - 1) x 0.5]. Pooled means
    // 3.5, 5.5, 0.25, -6.75; the convolutions' 1x1 map adds to the top-left pixel only,
    // the pooled map's one channel to channel 0 only.
    EXPECT_EQ(out, (Floats{7.5f, 2.5f, 5.5f, 0, 0.25f, 0, 0, 0}));
}

}  // namespace
}  // namespace ovem::recognition
