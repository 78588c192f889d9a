// Four dense blocks (32, 64, 128, 256 channels), each halving the side with its first
// convolution: a plain 3x3 one in the first block, a separable one in the others. Inside a
// block every convolution after the first sees the rectified sum of the outputs before it,
// and the block gives the rectified sum of all four. A 7x7 average pool over the last 7x7
// map and a fully connected layer give the 136 values.
#include "ovem32.h"
#include "landmark_layers.h"
#include "landmark_net.h"

#include <string>

namespace ovem {
namespace {

constexpr int kBlockChannels[4] = {32, 64, 128, 256};
// The largest map: the first block's output, 56 x 56 x 32.
constexpr int kMaxMap = 56 * 56 * 32;

const float* tensor(const Model& model, const std::string& name) {
    const Model::Tensor* t = model.find(name);
    return t ? model.data(*t) : nullptr;
}

struct Separable {
    const float* depthwise;
    const float* pointwise;
    const float* bias;
};

std::string layerName(int block, int conv, const char* part) {
    std::string name = "dense";
    name += std::to_string(block);
    name += "/conv";
    name += std::to_string(conv);
    name += part;
    return name;
}

bool separable(const Model& model, int block, int conv, Separable& s) {
    s.depthwise = tensor(model, layerName(block, conv, "/depthwise_filter"));
    s.pointwise = tensor(model, layerName(block, conv, "/pointwise_filter"));
    s.bias = tensor(model, layerName(block, conv, "/bias"));
    return s.depthwise && s.pointwise && s.bias;
}

}  // namespace

LandmarkWorkspace::LandmarkWorkspace()
    : input_(kLandmarkInputSide * kLandmarkInputSide * 3),
      block_(kMaxMap),
      first_(kMaxMap),
      sum_(kMaxMap),
      next_(kMaxMap),
      depthwise_(kMaxMap),
      conv_(kMaxMap) {}

Status landmarkForward(const Model& model, LandmarkWorkspace& work, float out[kLandmarkOutputs]) {
    if (model.kind() != OVEM_MODEL_LANDMARKS68) return Status::kArgument;
    const float* firstFilters = tensor(model, "dense0/conv0/filters");
    const float* firstBias = tensor(model, "dense0/conv0/bias");
    const float* fcWeights = tensor(model, "fc/weights");
    const float* fcBias = tensor(model, "fc/bias");
    Separable layers[4][4] = {};
    bool complete = firstFilters && firstBias && fcWeights && fcBias;
    for (int b = 0; b < 4; ++b)
        for (int c = (b == 0 ? 1 : 0); c < 4; ++c) complete = complete && separable(model, b, c, layers[b][c]);
    if (!complete) return Status::kArgument;

    const float* in = work.input_.data();
    FeatureShape shape{kLandmarkInputSide, kLandmarkInputSide, 3};
    for (int b = 0; b < 4; ++b) {
        const int channels = kBlockChannels[b];
        const FeatureShape half{sameOutputSide(shape.height, 2), sameOutputSide(shape.width, 2),
                                channels};
        const int n = half.size();
        const int pixels = half.height * half.width;
        float* first = work.first_.data();
        float* sum = work.sum_.data();
        float* next = work.next_.data();
        float* conv = work.conv_.data();
        float* depthwise = work.depthwise_.data();
        if (b == 0) {
            conv3x3(in, shape, firstFilters, firstBias, channels, 2, first);
        } else {
            const Separable& s = layers[b][0];
            depthwise3x3(in, shape, s.depthwise, 2, depthwise);
            pointwise(depthwise, pixels, shape.channels, s.pointwise, s.bias, channels, first);
        }
        addRelu(first, nullptr, n, first);
        // The later convolutions: next = relu(first + sum of the outputs so far).
        const float* convIn = first;
        for (int c = 1; c < 4; ++c) {
            const Separable& s = layers[b][c];
            depthwise3x3(convIn, half, s.depthwise, 1, depthwise);
            pointwise(depthwise, pixels, channels, s.pointwise, s.bias, channels,
                      c == 1 ? sum : conv);
            if (c > 1) accumulate(conv, n, sum);
            addRelu(first, sum, n, c == 3 ? work.block_.data() : next);
            convIn = next;
        }
        in = work.block_.data();
        shape = half;
    }
    float pooled[256];
    averagePool(in, shape, 7, 2, pooled);
    fullyConnected(pooled, shape.channels, fcWeights, fcBias, kLandmarkOutputs, out);
    return Status::kOk;
}

}  // namespace ovem
