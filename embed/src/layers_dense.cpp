#include "layers_dense.h"

#include <cstddef>

namespace ovem::recognition {

void fullyConnected(const float* in, int inCount, const float* weights, const float* bias,
                    int outCount, float* out) {
    for (int j = 0; j < outCount; ++j) out[j] = 0.0f;
    for (int i = 0; i < inCount; ++i) {
        const float v = in[i];
        const float* row = weights + static_cast<size_t>(i) * outCount;
        for (int j = 0; j < outCount; ++j) out[j] += v * row[j];
    }
    if (bias) {
        for (int j = 0; j < outCount; ++j) out[j] += bias[j];
    }
}

}  // namespace ovem::recognition
