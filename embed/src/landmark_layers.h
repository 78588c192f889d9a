// The layer kinds of the landmark network, on activations stored height x width x channels
// (channels fastest). Filters are stored as the weights manifest gives them: [ky][kx][in][out]
// for a plain convolution, [ky][kx][channel] for a depthwise one, [in][out] for a pointwise
// one and for the fully connected layer. Every sum runs in a fixed order, so the same input
// gives the same bits; no call allocates. Outputs must not overlap inputs.
#ifndef OVEM_LANDMARK_LAYERS_H
#define OVEM_LANDMARK_LAYERS_H

namespace ovem {

struct FeatureShape {
    int height = 0, width = 0, channels = 0;
    int size() const { return height * width * channels; }
};

// The output side of a 3x3 window over `side` pixels with zero padding of the 'same' kind:
// ceil(side / stride).
int sameOutputSide(int side, int stride);

// 3x3 convolution with bias, zero padding 'same' (a padding row or column that does not
// split evenly goes to the bottom or right). out has sameOutputSide() squared x outChannels.
void conv3x3(const float* in, FeatureShape shape, const float* filters, const float* bias,
             int outChannels, int stride, float* out);

// 3x3 depthwise convolution without bias, padding as conv3x3; out keeps the channels.
void depthwise3x3(const float* in, FeatureShape shape, const float* filters, int stride,
                  float* out);

// 1x1 convolution with bias over `pixels` pixels of inChannels values each.
void pointwise(const float* in, int pixels, int inChannels, const float* filters,
               const float* bias, int outChannels, float* out);

// out = max(0, a + b) over n values (b may be null: max(0, a)). out may be a or b.
void addRelu(const float* a, const float* b, int n, float* out);

// acc += x over n values.
void accumulate(const float* x, int n, float* acc);

// Average over k x k windows at the given stride without padding ('valid'); every window
// lies wholly inside, and its mean divides by k x k.
void averagePool(const float* in, FeatureShape shape, int k, int stride, float* out);

// out[j] = bias[j] + sum_i in[i] x weights[i][j].
void fullyConnected(const float* in, int inCount, const float* weights, const float* bias,
                    int outCount, float* out);

}  // namespace ovem

#endif  // OVEM_LANDMARK_LAYERS_H
