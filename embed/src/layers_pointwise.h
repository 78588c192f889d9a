// Per-value layers of the embedding network over maps stored channels fastest. No call
// allocates; out may be the input (in place) unless a comment says otherwise.
#ifndef OVEM_LAYERS_POINTWISE_H
#define OVEM_LAYERS_POINTWISE_H

#include <cstddef>

namespace ovem::recognition {

// Scale layer over `pixels` pixels of `channels` values: v x weights[c] + biases[c], then
// max(0, .) when relu is set.
void scaleChannels(float* map, size_t pixels, int channels, const float* weights,
                   const float* biases, bool relu);

// max(0, v) over n values.
void relu(float* values, size_t n);

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_POINTWISE_H
