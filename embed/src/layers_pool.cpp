#include "layers_pool.h"

namespace ovem::recognition {

void maxPool(const float* in, MapShape shape, int k, int stride, float* out) {
    const int outHeight = validSide(shape.height, k, stride);
    const int outWidth = validSide(shape.width, k, stride);
    const int c = shape.channels;
    for (int oy = 0; oy < outHeight; ++oy) {
        for (int ox = 0; ox < outWidth; ++ox, out += c) {
            const float* first = in + (static_cast<size_t>(oy) * stride * shape.width +
                                       static_cast<size_t>(ox) * stride) *
                                          c;
            for (int ch = 0; ch < c; ++ch) out[ch] = first[ch];
            for (int ky = 0; ky < k; ++ky) {
                for (int kx = 0; kx < k; ++kx) {
                    const float* p = first + (static_cast<size_t>(ky) * shape.width + kx) * c;
                    for (int ch = 0; ch < c; ++ch) out[ch] = p[ch] > out[ch] ? p[ch] : out[ch];
                }
            }
        }
    }
}

void averagePool(const float* in, MapShape shape, int k, int stride, float* out) {
    const int outHeight = validSide(shape.height, k, stride);
    const int outWidth = validSide(shape.width, k, stride);
    const int c = shape.channels;
    const float count = static_cast<float>(k * k);
    for (int oy = 0; oy < outHeight; ++oy) {
        for (int ox = 0; ox < outWidth; ++ox, out += c) {
            const float* first = in + (static_cast<size_t>(oy) * stride * shape.width +
                                       static_cast<size_t>(ox) * stride) *
                                          c;
            for (int ch = 0; ch < c; ++ch) out[ch] = 0.0f;
            for (int ky = 0; ky < k; ++ky) {
                for (int kx = 0; kx < k; ++kx) {
                    const float* p = first + (static_cast<size_t>(ky) * shape.width + kx) * c;
                    for (int ch = 0; ch < c; ++ch) out[ch] += p[ch];
                }
            }
            for (int ch = 0; ch < c; ++ch) out[ch] /= count;
        }
    }
}

void spatialMean(const float* in, MapShape shape, float* out) {
    const int c = shape.channels;
    const size_t pixels = static_cast<size_t>(shape.height) * shape.width;
    for (int ch = 0; ch < c; ++ch) out[ch] = 0.0f;
    for (size_t p = 0; p < pixels; ++p, in += c) {
        for (int ch = 0; ch < c; ++ch) out[ch] += in[ch];
    }
    const float count = static_cast<float>(pixels);
    for (int ch = 0; ch < c; ++ch) out[ch] /= count;
}

}  // namespace ovem::recognition
