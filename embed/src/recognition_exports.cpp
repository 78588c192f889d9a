// The C calls of the embedding network.
#include <cmath>
#include <new>

#include "model_handle.h"
#include "ovem32.h"
#include "recognition_net.h"

extern "C" OVEM_API int OvEmEmbedding(const OvEmModel* model, const uint8_t* crop, int channels,
                                      float embedding[128]) {
    if (!model || !crop || !embedding) return OVEM_E_ARGUMENT;
    try {
        ovem::recognition::RecognitionWorkspace workspace;
        return static_cast<int>(ovem::recognition::computeEmbedding(model->model, crop, channels,
                                                                    workspace, embedding));
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}

extern "C" OVEM_API float OvEmDistance(const float a[128], const float b[128]) {
    if (!a || !b) return -1.0f;
    // Eight partial sums, each over every eighth index, then added in a fixed order: the
    // compiler may vectorise across them without changing a bit.
    double part[8] = {};
    for (int i = 0; i < 128; i += 8) {
        for (int j = 0; j < 8; ++j) {
            const double d = static_cast<double>(a[i + j]) - static_cast<double>(b[i + j]);
            part[j] += d * d;
        }
    }
    const double sum = ((part[0] + part[1]) + (part[2] + part[3])) +
                       ((part[4] + part[5]) + (part[6] + part[7]));
    return static_cast<float>(std::sqrt(sum));
}
