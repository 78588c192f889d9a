// Landmarks: four dense blocks of separable 3x3 convolutions (the first opens with a plain
// 3x3 convolution on the colour input), channels 32, 64, 128, 256, then a fully connected
// layer to 136 values. Embedding: a 7x7 convolution with a per-channel scale, then residual
// blocks of two 3x3 convolutions with scales, 32 to 256 channels, and a 256 x 128 matrix.
#include "network_layout.h"

#include "ovem32.h"

namespace ovem {
namespace {

// Appends with += (the + operator trips a false -Wrestrict in g++ 12).
std::string cat(const std::string& a, const char* b) {
    std::string s = a;
    s += b;
    return s;
}

void addLandmarkLayout(std::vector<ExpectedTensor>& out) {
    static constexpr uint32_t kChannels[4] = {32, 64, 128, 256};
    uint32_t in = 3;
    for (int block = 0; block < 4; ++block) {
        uint32_t c = kChannels[block];
        std::string prefix = "dense";
        prefix += std::to_string(block);
        for (int conv = 0; conv < 4; ++conv) {
            std::string layer = prefix;
            layer += "/conv";
            layer += std::to_string(conv);
            if (block == 0 && conv == 0) {
                out.push_back({cat(layer, "/filters"), {3, 3, in, c}});
            } else {
                out.push_back({cat(layer, "/depthwise_filter"), {3, 3, in, 1}});
                out.push_back({cat(layer, "/pointwise_filter"), {1, 1, in, c}});
            }
            out.push_back({cat(layer, "/bias"), {c}});
            in = c;
        }
    }
    out.push_back({"fc/weights", {256, 136}});
    out.push_back({"fc/bias", {136}});
}

void addScaledConv(const std::string& layer, uint32_t k, uint32_t in, uint32_t outChannels,
                   std::vector<ExpectedTensor>& out) {
    out.push_back({cat(layer, "/conv/filters"), {k, k, in, outChannels}});
    out.push_back({cat(layer, "/conv/bias"), {outChannels}});
    out.push_back({cat(layer, "/scale/weights"), {outChannels}});
    out.push_back({cat(layer, "/scale/biases"), {outChannels}});
}

void addEmbeddingLayout(std::vector<ExpectedTensor>& out) {
    out.push_back({"conv32_down/conv/filters", {7, 7, 3, 32}});
    out.push_back({"conv32_down/conv/bias", {32}});
    out.push_back({"conv32_down/scale/weights", {32}});
    out.push_back({"conv32_down/scale/biases", {32}});
    struct Block {
        const char* name;
        uint32_t in;
        uint32_t out;
    };
    static constexpr Block kBlocks[] = {
        {"conv32_1", 32, 32},    {"conv32_2", 32, 32},           {"conv32_3", 32, 32},
        {"conv64_down", 32, 64}, {"conv64_1", 64, 64},           {"conv64_2", 64, 64},
        {"conv64_3", 64, 64},    {"conv128_down", 64, 128},      {"conv128_1", 128, 128},
        {"conv128_2", 128, 128}, {"conv256_down", 128, 256},     {"conv256_1", 256, 256},
        {"conv256_2", 256, 256}, {"conv256_down_out", 256, 256},
    };
    for (const Block& b : kBlocks) {
        std::string name = b.name;
        addScaledConv(cat(name, "/conv1"), 3, b.in, b.out, out);
        addScaledConv(cat(name, "/conv2"), 3, b.out, b.out, out);
    }
    out.push_back({"fc", {256, 128}});
}

}  // namespace

std::vector<ExpectedTensor> networkLayout(int kind) {
    std::vector<ExpectedTensor> layout;
    if (kind == OVEM_MODEL_LANDMARKS68) addLandmarkLayout(layout);
    if (kind == OVEM_MODEL_EMBEDDING128) addEmbeddingLayout(layout);
    return layout;
}

}  // namespace ovem
