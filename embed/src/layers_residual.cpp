#include "layers_residual.h"

#include <algorithm>

#include "layers_conv.h"
#include "layers_pointwise.h"
#include "layers_pool.h"

namespace ovem::recognition {

void scaledConv(const float* in, MapShape shape, const ScaledConv& w, int k, int outChannels,
                int stride, bool relu, float* out) {
    conv2d(in, shape, w.filters, k, outChannels, w.bias, stride, out);
    const size_t pixels = static_cast<size_t>(validSide(shape.height, k, stride)) *
                          static_cast<size_t>(validSide(shape.width, k, stride));
    scaleChannels(out, pixels, outChannels, w.scaleWeights, w.scaleBiases, relu);
}

void residualBlock(float* map, MapShape shape, const ResidualWeights& w,
                   const ResidualScratch& scratch) {
    const MapShape padded{shape.height + 2, shape.width + 2, shape.channels};
    padBorder(map, shape, 1, scratch.padded);
    scaledConv(scratch.padded, padded, w.conv1, 3, w.outChannels, 1, true, scratch.first);
    padBorder(scratch.first, shape, 1, scratch.padded);
    scaledConv(scratch.padded, padded, w.conv2, 3, w.outChannels, 1, false, scratch.second);
    const size_t n = shape.size();
    for (size_t i = 0; i < n; ++i) {
        const float v = scratch.second[i] + map[i];
        map[i] = v > 0.0f ? v : 0.0f;
    }
}

MapShape residualDownShape(MapShape in, int outChannels) {
    return {validSide(in.height, 2, 2), validSide(in.width, 2, 2), outChannels};
}

void residualDownBlock(const float* in, MapShape shape, const ResidualWeights& w,
                       const ResidualScratch& scratch, float* out) {
    const MapShape conv{validSide(shape.height, 3, 2), validSide(shape.width, 3, 2), w.outChannels};
    scaledConv(in, shape, w.conv1, 3, w.outChannels, 2, true, scratch.first);
    padBorder(scratch.first, conv, 1, scratch.padded);
    const MapShape padded{conv.height + 2, conv.width + 2, conv.channels};
    scaledConv(scratch.padded, padded, w.conv2, 3, w.outChannels, 1, false, scratch.second);
    averagePool(in, shape, 2, 2, scratch.pooled);
    const MapShape pooled{validSide(shape.height, 2, 2), validSide(shape.width, 2, 2),
                          shape.channels};
    shortcutSum(scratch.pooled, pooled, scratch.second, conv, out);
}

void shortcutSum(const float* pooled, MapShape pooledShape, const float* conv, MapShape convShape,
                 float* out) {
    const int c = convShape.channels;
    const int pc = std::min(pooledShape.channels, c);
    for (int y = 0; y < pooledShape.height; ++y) {
        for (int x = 0; x < pooledShape.width; ++x, out += c) {
            const float* p =
                pooled + (static_cast<size_t>(y) * pooledShape.width + x) * pooledShape.channels;
            const bool inside = y < convShape.height && x < convShape.width;
            const float* v =
                inside ? conv + (static_cast<size_t>(y) * convShape.width + x) * c : nullptr;
            for (int ch = 0; ch < c; ++ch) {
                const float s = (ch < pc ? p[ch] : 0.0f) + (inside ? v[ch] : 0.0f);
                out[ch] = s > 0.0f ? s : 0.0f;
            }
        }
    }
}

}  // namespace ovem::recognition
