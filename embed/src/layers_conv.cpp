#include "layers_conv.h"

#include <cstring>

namespace ovem::recognition {
namespace {

// Output channels held as vector values of V (four floats for SSE, eight for AVX2), two
// vectors per output, so that the accumulators stay in registers over the whole sum.
// Lane-wise arithmetic only: each lane rounds as a lone float would, whatever the width.
typedef float Lanes4 __attribute__((vector_size(16)));
typedef float Lanes8 __attribute__((vector_size(32)));

#define OVEM_INLINE inline __attribute__((always_inline))

template <typename V>
OVEM_INLINE void loadLanes(const float* p, V& v) {
    std::memcpy(&v, p, sizeof v);
}

template <typename V>
OVEM_INLINE void storeLanes(const V& acc, const float* bias, float* out) {
    V v = acc;
    if (bias) {
        V b;
        loadLanes(bias, b);
        v += b;
    }
    std::memcpy(out, &v, sizeof v);
}

// Four neighbouring outputs of one row, 2 x lanes channels from co. window: the first input
// value of the first pixel's window; rowStride: floats from one input row to the next;
// pixelStride: floats between the windows of neighbouring outputs. The window's values of
// one row (k x in) are contiguous, as are the matching filter rows. The accumulators are
// named values so that they stay in registers.
template <typename V>
OVEM_INLINE void convFour(const float* window, int rowStride, int pixelStride, int rowLength, int k,
                          const float* filters, int outChannels, int co, const float* bias,
                          float* out) {
    constexpr int n = sizeof(V) / sizeof(float);
    V a0{}, a1{}, a2{}, a3{}, b0{}, b1{}, b2{}, b3{};
    for (int ky = 0; ky < k; ++ky) {
        const float* in = window + ky * rowStride;
        const float* f = filters + static_cast<size_t>(ky) * rowLength * outChannels + co;
        for (int j = 0; j < rowLength; ++j, f += outChannels) {
            V w, x;
            loadLanes(f, w);
            loadLanes(f + n, x);
            const float v0 = in[j], v1 = in[pixelStride + j], v2 = in[2 * pixelStride + j],
                        v3 = in[3 * pixelStride + j];
            a0 += v0 * w;
            b0 += v0 * x;
            a1 += v1 * w;
            b1 += v1 * x;
            a2 += v2 * w;
            b2 += v2 * x;
            a3 += v3 * w;
            b3 += v3 * x;
        }
    }
    const float* b = bias ? bias + co : nullptr;
    const float* bn = bias ? bias + co + n : nullptr;
    storeLanes(a0, b, out + co);
    storeLanes(b0, bn, out + co + n);
    storeLanes(a1, b, out + outChannels + co);
    storeLanes(b1, bn, out + outChannels + co + n);
    storeLanes(a2, b, out + 2 * outChannels + co);
    storeLanes(b2, bn, out + 2 * outChannels + co + n);
    storeLanes(a3, b, out + 3 * outChannels + co);
    storeLanes(b3, bn, out + 3 * outChannels + co + n);
}

// One output, 2 x lanes channels from co; arguments as convFour.
template <typename V>
OVEM_INLINE void convOne(const float* window, int rowStride, int rowLength, int k,
                         const float* filters, int outChannels, int co, const float* bias,
                         float* out) {
    constexpr int n = sizeof(V) / sizeof(float);
    V a{}, b{};
    for (int ky = 0; ky < k; ++ky) {
        const float* in = window + ky * rowStride;
        const float* f = filters + static_cast<size_t>(ky) * rowLength * outChannels + co;
        for (int j = 0; j < rowLength; ++j, f += outChannels) {
            V w, x;
            loadLanes(f, w);
            loadLanes(f + n, x);
            a += in[j] * w;
            b += in[j] * x;
        }
    }
    storeLanes(a, bias ? bias + co : nullptr, out + co);
    storeLanes(b, bias ? bias + co + n : nullptr, out + co + n);
}

// One output channel of one output: the channels past the last block.
OVEM_INLINE void convSingle(const float* window, int rowStride, int rowLength, int k,
                            const float* filters, int outChannels, int co, const float* bias,
                            float* out) {
    float acc = 0.0f;
    for (int ky = 0; ky < k; ++ky) {
        const float* in = window + ky * rowStride;
        const float* f = filters + static_cast<size_t>(ky) * rowLength * outChannels + co;
        for (int j = 0; j < rowLength; ++j, f += outChannels) acc += in[j] * *f;
    }
    out[co] = bias ? acc + bias[co] : acc;
}

template <typename V>
OVEM_INLINE void convRows(const float* in, MapShape shape, const float* filters, int k,
                          int outChannels, const float* bias, int stride, float* out) {
    constexpr int block = 2 * static_cast<int>(sizeof(V) / sizeof(float));
    const int outHeight = validSide(shape.height, k, stride);
    const int outWidth = validSide(shape.width, k, stride);
    const int rowStride = shape.width * shape.channels;
    const int pixelStride = stride * shape.channels;
    const int rowLength = k * shape.channels;
    const int blocked = outChannels - outChannels % block;
    for (int oy = 0; oy < outHeight; ++oy) {
        const float* row = in + static_cast<size_t>(oy) * stride * rowStride;
        float* o = out + static_cast<size_t>(oy) * outWidth * outChannels;
        int ox = 0;
        for (; ox + 4 <= outWidth; ox += 4) {
            const float* window = row + ox * pixelStride;
            float* po = o + ox * outChannels;
            for (int co = 0; co < blocked; co += block) {
                convFour<V>(window, rowStride, pixelStride, rowLength, k, filters, outChannels, co,
                            bias, po);
            }
            for (int p = 0; p < 4; ++p) {
                for (int co = blocked; co < outChannels; ++co) {
                    convSingle(window + p * pixelStride, rowStride, rowLength, k, filters,
                               outChannels, co, bias, po + p * outChannels);
                }
            }
        }
        for (; ox < outWidth; ++ox) {
            const float* window = row + ox * pixelStride;
            float* po = o + ox * outChannels;
            for (int co = 0; co < blocked; co += block) {
                convOne<V>(window, rowStride, rowLength, k, filters, outChannels, co, bias, po);
            }
            for (int co = blocked; co < outChannels; ++co) {
                convSingle(window, rowStride, rowLength, k, filters, outChannels, co, bias, po);
            }
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
#define OVEM_HAVE_AVX2_PATH 1
__attribute__((target("avx2"))) void convRowsAvx2(const float* in, MapShape shape,
                                                  const float* filters, int k, int outChannels,
                                                  const float* bias, int stride, float* out) {
    convRows<Lanes8>(in, shape, filters, k, outChannels, bias, stride, out);
}
#endif

}  // namespace

void conv2d(const float* in, MapShape shape, const float* filters, int k, int outChannels,
            const float* bias, int stride, float* out) {
#ifdef OVEM_HAVE_AVX2_PATH
    if (__builtin_cpu_supports("avx2")) {
        convRowsAvx2(in, shape, filters, k, outChannels, bias, stride, out);
        return;
    }
#endif
    convRows<Lanes4>(in, shape, filters, k, outChannels, bias, stride, out);
}

void conv2dBaseline(const float* in, MapShape shape, const float* filters, int k, int outChannels,
                    const float* bias, int stride, float* out) {
    convRows<Lanes4>(in, shape, filters, k, outChannels, bias, stride, out);
}

void padBorder(const float* in, MapShape shape, int pad, float* out) {
    const size_t rowFloats = static_cast<size_t>(shape.width) * shape.channels;
    const size_t outRow = static_cast<size_t>(shape.width + 2 * pad) * shape.channels;
    const size_t side = static_cast<size_t>(pad) * shape.channels;
    std::memset(out, 0, outRow * pad * sizeof(float));
    float* o = out + outRow * pad;
    for (int y = 0; y < shape.height; ++y, o += outRow, in += rowFloats) {
        std::memset(o, 0, side * sizeof(float));
        std::memcpy(o + side, in, rowFloats * sizeof(float));
        std::memset(o + side + rowFloats, 0, side * sizeof(float));
    }
    std::memset(o, 0, outRow * pad * sizeof(float));
}

}  // namespace ovem::recognition
