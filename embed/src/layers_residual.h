// The residual blocks of the embedding network. A scaled convolution is a convolution with
// bias, then the scale layer (per-channel weights and biases). A block is two 3x3 scaled
// convolutions, the first followed by max(0, .); its sum with the shortcut is followed by
// max(0, .).
//   plain block: stride 1, both convolutions padded 'same', the shortcut is the input.
//   down block:  the first convolution at stride 2 without padding; the shortcut is the
//                2x2 average pool of the input (stride 2), its channels followed by zeros
//                up to the block's channels; where the pooled map is larger, the
//                convolutions' map is followed by zero rows and columns.
// No call allocates: the scratch buffers are the caller's (sizes below).
#ifndef OVEM_LAYERS_RESIDUAL_H
#define OVEM_LAYERS_RESIDUAL_H

#include "layers_map.h"

namespace ovem::recognition {

struct ScaledConv {
    const float* filters = nullptr;  // [3][3][in][out]
    const float* bias = nullptr;     // [out]
    const float* scaleWeights = nullptr;
    const float* scaleBiases = nullptr;
};

struct ResidualWeights {
    ScaledConv conv1, conv2;
    int outChannels = 0;
};

// Scratch of one block on an input of the given shape: `padded` holds
// (h + 2) x (w + 2) x outChannels floats of the largest map the block pads, `first` and
// `second` a map of the block's output (for a down block: of the convolutions' output,
// and `pooled` the pooled input).
struct ResidualScratch {
    float* padded = nullptr;
    float* first = nullptr;
    float* second = nullptr;
    float* pooled = nullptr;
};

// conv (k x k, stride, no padding) with bias, scale, then max(0, .) when relu is set.
void scaledConv(const float* in, MapShape shape, const ScaledConv& w, int k, int outChannels,
                int stride, bool relu, float* out);

// The plain block, in place on map (shape.channels must equal w.outChannels).
void residualBlock(float* map, MapShape shape, const ResidualWeights& w,
                   const ResidualScratch& scratch);

// Shape of a down block's output on an input of the given shape.
MapShape residualDownShape(MapShape in, int outChannels);

// The down block: out holds residualDownShape(shape) and must not overlap the input or the
// scratch.
void residualDownBlock(const float* in, MapShape shape, const ResidualWeights& w,
                       const ResidualScratch& scratch, float* out);

// The down block's sum: out = max(0, pooled' + conv'), pooled' the pooled map with zero
// channels up to conv's channels, conv' the convolutions' map with zero rows and columns up
// to the pooled map's size. out holds pooled.height x pooled.width x conv.channels.
void shortcutSum(const float* pooled, MapShape pooledShape, const float* conv, MapShape convShape,
                 float* out);

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_RESIDUAL_H
