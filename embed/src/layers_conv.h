// Convolution of an activation map with filters stored [ky][kx][in][out], as the weights
// manifest gives them. Each output is the sum over ky, then kx, then the input channel, in
// that order, plus the bias: the bits do not depend on how the compiler vectorises the
// output channels. No call allocates; outputs must not overlap inputs.
#ifndef OVEM_LAYERS_CONV_H
#define OVEM_LAYERS_CONV_H

#include "layers_map.h"

namespace ovem::recognition {

// k x k convolution at the given stride without padding ('valid'): out holds
// validSide(height) x validSide(width) x outChannels. bias may be null (no bias).
// On processors with AVX2 the output channels are computed eight at a time, else four at a
// time; the bits are the same.
void conv2d(const float* in, MapShape shape, const float* filters, int k, int outChannels,
            const float* bias, int stride, float* out);

// conv2d four channels at a time on every processor, to compare the two.
void conv2dBaseline(const float* in, MapShape shape, const float* filters, int k, int outChannels,
                    const float* bias, int stride, float* out);

// Copies the map into the middle of a map `pad` pixels larger on every side, the border
// zero; convolving that without padding is the 'same' convolution at stride 1.
// out holds (height + 2 pad) x (width + 2 pad) x channels.
void padBorder(const float* in, MapShape shape, int pad, float* out);

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_CONV_H
