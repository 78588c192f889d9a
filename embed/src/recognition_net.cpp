// Layers: a 7x7 scaled convolution at stride 2 without padding and max(0, .), a 3x3 max
// pool at stride 2, residual blocks (32 channels x 3, down to 64 and 3 more, down to 128
// and 2 more, down to 256 and 2 more, down to 256 once more), the mean over all pixels, and
// a 256 x 128 matrix without bias.
#include "recognition_net.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "layers_conv.h"
#include "layers_dense.h"
#include "layers_pointwise.h"
#include "layers_pool.h"
#include "layers_residual.h"
#include "ovem32.h"

namespace ovem::recognition {
namespace {

struct Block {
    const char* name;
    bool down;
    int outChannels;
};

constexpr Block kBlocks[] = {
    {"conv32_1", false, 32},   {"conv32_2", false, 32},         {"conv32_3", false, 32},
    {"conv64_down", true, 64}, {"conv64_1", false, 64},         {"conv64_2", false, 64},
    {"conv64_3", false, 64},   {"conv128_down", true, 128},     {"conv128_1", false, 128},
    {"conv128_2", false, 128}, {"conv256_down", true, 256},     {"conv256_1", false, 256},
    {"conv256_2", false, 256}, {"conv256_down_out", true, 256},
};

constexpr int kStemChannels = 32;
constexpr int kLastChannels = 256;
static_assert(kBlocks[std::size(kBlocks) - 1].outChannels == kLastChannels);
constexpr int kStemKernel = 7;
constexpr float kMeanRgb[3] = {122.782f, 117.001f, 104.298f};

const MapShape kInput{kRecognitionSide, kRecognitionSide, 3};
const MapShape kStem{validSide(kRecognitionSide, kStemKernel, 2),
                     validSide(kRecognitionSide, kStemKernel, 2), kStemChannels};
const MapShape kPooledStem{validSide(kStem.height, 3, 2), validSide(kStem.width, 3, 2),
                           kStemChannels};

const float* tensor(const Model& model, const std::string& name) {
    const Model::Tensor* t = model.find(name);
    return t ? model.data(*t) : nullptr;
}

ScaledConv scaledConvWeights(const Model& model, const std::string& layer) {
    ScaledConv w;
    std::string name = layer;
    name += "/conv/filters";
    w.filters = tensor(model, name);
    name = layer;
    name += "/conv/bias";
    w.bias = tensor(model, name);
    name = layer;
    name += "/scale/weights";
    w.scaleWeights = tensor(model, name);
    name = layer;
    name += "/scale/biases";
    w.scaleBiases = tensor(model, name);
    return w;
}

ResidualWeights blockWeights(const Model& model, const Block& block) {
    ResidualWeights w;
    std::string name = block.name;
    name += "/conv1";
    w.conv1 = scaledConvWeights(model, name);
    name = block.name;
    name += "/conv2";
    w.conv2 = scaledConvWeights(model, name);
    w.outChannels = block.outChannels;
    return w;
}

// The floats each buffer needs over the whole pass.
struct BufferSizes {
    size_t map = 0, padded = 0, first = 0, pooled = 0;
};

BufferSizes bufferSizes() {
    BufferSizes s;
    s.map = std::max({kInput.size(), kStem.size(), kPooledStem.size()});
    MapShape shape = kPooledStem;
    for (const Block& b : kBlocks) {
        if (!b.down) {
            s.padded = std::max(s.padded,
                                MapShape{shape.height + 2, shape.width + 2, b.outChannels}.size());
            s.first = std::max(s.first, shape.size());
            continue;
        }
        const MapShape conv{validSide(shape.height, 3, 2), validSide(shape.width, 3, 2),
                            b.outChannels};
        s.padded =
            std::max(s.padded, MapShape{conv.height + 2, conv.width + 2, b.outChannels}.size());
        s.first = std::max(s.first, conv.size());
        s.pooled = std::max(s.pooled, MapShape{validSide(shape.height, 2, 2),
                                               validSide(shape.width, 2, 2), shape.channels}
                                          .size());
        shape = residualDownShape(shape, b.outChannels);
        s.map = std::max(s.map, shape.size());
    }
    return s;
}

void normaliseCrop(const uint8_t* crop, int channels, float* out) {
    const int pixels = kRecognitionSide * kRecognitionSide;
    for (int p = 0; p < pixels; ++p, out += 3) {
        for (int c = 0; c < 3; ++c) {
            const uint8_t v = channels == 1 ? crop[p] : crop[p * 3 + c];
            out[c] = (static_cast<float>(v) - kMeanRgb[c]) / 255.0f;
        }
    }
}

}  // namespace

RecognitionWorkspace::RecognitionWorkspace() {
    const BufferSizes s = bufferSizes();
    a_ = std::make_unique_for_overwrite<float[]>(s.map);
    b_ = std::make_unique_for_overwrite<float[]>(s.map);
    padded_ = std::make_unique_for_overwrite<float[]>(s.padded);
    first_ = std::make_unique_for_overwrite<float[]>(s.first);
    second_ = std::make_unique_for_overwrite<float[]>(s.first);
    pooled_ = std::make_unique_for_overwrite<float[]>(s.pooled);
}

Status computeEmbedding(const Model& model, const uint8_t* crop, int channels,
                        RecognitionWorkspace& ws, float* out) {
    if (model.kind() != OVEM_MODEL_EMBEDDING128 || !crop || !out ||
        (channels != 1 && channels != 3)) {
        return Status::kArgument;
    }
    float* map = ws.a_.get();
    float* other = ws.b_.get();
    normaliseCrop(crop, channels, map);
    scaledConv(map, kInput, scaledConvWeights(model, "conv32_down"), kStemKernel, kStemChannels, 2,
               true, other);
    maxPool(other, kStem, 3, 2, map);

    const ResidualScratch scratch{ws.padded_.get(), ws.first_.get(), ws.second_.get(),
                                  ws.pooled_.get()};
    MapShape shape = kPooledStem;
    for (const Block& b : kBlocks) {
        const ResidualWeights w = blockWeights(model, b);
        if (!b.down) {
            residualBlock(map, shape, w, scratch);
            continue;
        }
        residualDownBlock(map, shape, w, scratch, other);
        shape = residualDownShape(shape, b.outChannels);
        std::swap(map, other);
    }

    float mean[kLastChannels];
    spatialMean(map, shape, mean);
    fullyConnected(mean, shape.channels, tensor(model, "fc"), nullptr, kEmbeddingValues, out);
    return Status::kOk;
}

}  // namespace ovem::recognition
