#include "layers_pointwise.h"

namespace ovem::recognition {

void scaleChannels(float* map, size_t pixels, int channels, const float* weights,
                   const float* biases, bool relu) {
    for (size_t p = 0; p < pixels; ++p, map += channels) {
        for (int c = 0; c < channels; ++c) {
            const float v = map[c] * weights[c] + biases[c];
            map[c] = relu && !(v > 0.0f) ? 0.0f : v;
        }
    }
}

void relu(float* values, size_t n) {
    for (size_t i = 0; i < n; ++i) values[i] = values[i] > 0.0f ? values[i] : 0.0f;
}

}  // namespace ovem::recognition
