#include "landmark_layers.h"

namespace ovem {
namespace {

// Padding before the first pixel for a 3x3 window: half of what 'same' needs, rounded down.
int padBefore(int side, int stride) {
    const int out = sameOutputSide(side, stride);
    const int total = (out - 1) * stride + 3 - side;
    return total > 0 ? total / 2 : 0;
}

}  // namespace

int sameOutputSide(int side, int stride) {
    return (side + stride - 1) / stride;
}

void conv3x3(const float* in, FeatureShape shape, const float* filters, const float* bias,
             int outChannels, int stride, float* out) {
    const int oh = sameOutputSide(shape.height, stride);
    const int ow = sameOutputSide(shape.width, stride);
    const int py = padBefore(shape.height, stride);
    const int px = padBefore(shape.width, stride);
    const int ci = shape.channels;
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            float* __restrict o = out + (y * ow + x) * outChannels;
            for (int c = 0; c < outChannels; ++c) o[c] = bias[c];
            for (int ky = 0; ky < 3; ++ky) {
                const int iy = y * stride + ky - py;
                if (iy < 0 || iy >= shape.height) continue;
                for (int kx = 0; kx < 3; ++kx) {
                    const int ix = x * stride + kx - px;
                    if (ix < 0 || ix >= shape.width) continue;
                    const float* v = in + (iy * shape.width + ix) * ci;
                    const float* w = filters + (ky * 3 + kx) * ci * outChannels;
                    for (int i = 0; i < ci; ++i) {
                        const float vi = v[i];
                        const float* __restrict wi = w + i * outChannels;
                        for (int c = 0; c < outChannels; ++c) o[c] += vi * wi[c];
                    }
                }
            }
        }
    }
}

void depthwise3x3(const float* in, FeatureShape shape, const float* filters, int stride,
                  float* out) {
    const int oh = sameOutputSide(shape.height, stride);
    const int ow = sameOutputSide(shape.width, stride);
    const int py = padBefore(shape.height, stride);
    const int px = padBefore(shape.width, stride);
    const int ch = shape.channels;
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            float* __restrict o = out + (y * ow + x) * ch;
            for (int c = 0; c < ch; ++c) o[c] = 0.0f;
            for (int ky = 0; ky < 3; ++ky) {
                const int iy = y * stride + ky - py;
                if (iy < 0 || iy >= shape.height) continue;
                for (int kx = 0; kx < 3; ++kx) {
                    const int ix = x * stride + kx - px;
                    if (ix < 0 || ix >= shape.width) continue;
                    const float* __restrict v = in + (iy * shape.width + ix) * ch;
                    const float* __restrict w = filters + (ky * 3 + kx) * ch;
                    for (int c = 0; c < ch; ++c) o[c] += v[c] * w[c];
                }
            }
        }
    }
}

void pointwise(const float* in, int pixels, int inChannels, const float* filters,
               const float* bias, int outChannels, float* out) {
    // Four pixels at a time share each filter row; every output still sums its bias and
    // then the input channels in order, so the bits are those of one pixel at a time.
    int p = 0;
    for (; p + 4 <= pixels; p += 4) {
        const float* v = in + p * inChannels;
        float* __restrict o0 = out + p * outChannels;
        float* __restrict o1 = o0 + outChannels;
        float* __restrict o2 = o1 + outChannels;
        float* __restrict o3 = o2 + outChannels;
        for (int c = 0; c < outChannels; ++c) o0[c] = o1[c] = o2[c] = o3[c] = bias[c];
        for (int i = 0; i < inChannels; ++i) {
            const float v0 = v[i], v1 = v[inChannels + i];
            const float v2 = v[2 * inChannels + i], v3 = v[3 * inChannels + i];
            const float* __restrict w = filters + i * outChannels;
            for (int c = 0; c < outChannels; ++c) {
                o0[c] += v0 * w[c];
                o1[c] += v1 * w[c];
                o2[c] += v2 * w[c];
                o3[c] += v3 * w[c];
            }
        }
    }
    for (; p < pixels; ++p) {
        const float* v = in + p * inChannels;
        float* __restrict o = out + p * outChannels;
        for (int c = 0; c < outChannels; ++c) o[c] = bias[c];
        for (int i = 0; i < inChannels; ++i) {
            const float vi = v[i];
            const float* __restrict w = filters + i * outChannels;
            for (int c = 0; c < outChannels; ++c) o[c] += vi * w[c];
        }
    }
}

void addRelu(const float* a, const float* b, int n, float* out) {
    for (int i = 0; i < n; ++i) {
        const float s = b ? a[i] + b[i] : a[i];
        out[i] = s > 0.0f ? s : 0.0f;
    }
}

void accumulate(const float* x, int n, float* acc) {
    for (int i = 0; i < n; ++i) acc[i] += x[i];
}

void averagePool(const float* in, FeatureShape shape, int k, int stride, float* out) {
    const int oh = (shape.height - k) / stride + 1;
    const int ow = (shape.width - k) / stride + 1;
    const int ch = shape.channels;
    const float area = static_cast<float>(k * k);
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            float* __restrict o = out + (y * ow + x) * ch;
            for (int c = 0; c < ch; ++c) o[c] = 0.0f;
            for (int ky = 0; ky < k; ++ky)
                for (int kx = 0; kx < k; ++kx) {
                    const float* __restrict v =
                        in + ((y * stride + ky) * shape.width + x * stride + kx) * ch;
                    for (int c = 0; c < ch; ++c) o[c] += v[c];
                }
            for (int c = 0; c < ch; ++c) o[c] /= area;
        }
    }
}

void fullyConnected(const float* in, int inCount, const float* weights, const float* bias,
                    int outCount, float* out) {
    pointwise(in, 1, inCount, weights, bias, outCount, out);
}

}  // namespace ovem
