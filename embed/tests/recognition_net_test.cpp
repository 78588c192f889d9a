// The embedding network through its C calls: agreement with the reference package's
// embeddings (synthetic crops, and windows of the photographs when they are there),
// the same bits on every thread, grey against colour input, and bad arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "faces_dir.h"
#include "ovem32.h"
#include "ovio32.h"
#include "recognition_reference_data.h"
#include "sha256.h"

namespace {

constexpr int kSide = 150;
using Bytes = std::vector<uint8_t>;
using Embedding = std::vector<float>;

std::string modelPath(int kind) {
    std::string path = OVFC_BIN_DIR;
    path += "/models/";
    path += OvEmManifestName(kind);
    return path;
}

// The synthetic crops, defined as the reference script defines them.
Bytes gradient() {
    Bytes px(kSide * kSide * 3);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = &px[(y * kSide + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / 149);
            p[1] = static_cast<uint8_t>(y * 255 / 149);
            p[2] = static_cast<uint8_t>((x + y) * 255 / 298);
        }
    return px;
}

Bytes noise() {
    Bytes px(kSide * kSide * 3);
    uint32_t s = 2463534242u;
    for (uint8_t& v : px) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        v = static_cast<uint8_t>(s & 255);
    }
    return px;
}

Bytes syntheticCrop(std::string_view name) {
    if (name == "gradient") return gradient();
    if (name == "noise") return noise();
    if (name == "flat") return Bytes(kSide * kSide, 128);
    return {};
}

// The window of a stored photograph, read at its stored size; empty when it cannot be read.
Bytes photographCrop(const std::filesystem::path& file, int left, int top) {
    ImageInfo info{};
    if (OvGetImageInfo(file.c_str(), &info, OVIO_FORMAT_BY_NAME) != OVIO_OK) return {};
    ClipRect clip{};
    clip.outWidth = static_cast<int16_t>(info.width);
    clip.outHeight = static_cast<int16_t>(info.height);
    clip.srcWidth = clip.outWidth;
    clip.srcHeight = clip.outHeight;
    Bytes image(static_cast<size_t>(info.width) * info.height);
    if (OvReadClip(file.c_str(), image.data(), OVIO_FORMAT_BY_NAME, &clip) != OVIO_OK) return {};
    if (left < 0 || top < 0 || left + kSide > info.width || top + kSide > info.height) return {};
    Bytes px(kSide * kSide);
    for (int y = 0; y < kSide; ++y)
        std::memcpy(&px[y * kSide], &image[(top + y) * info.width + left], kSide);
    return px;
}

std::string hexOf(const Bytes& px) {
    return ovem::sha256Hex(std::string_view(reinterpret_cast<const char*>(px.data()), px.size()));
}

class EmRecognition : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string path = modelPath(OVEM_MODEL_EMBEDDING128);
        if (std::filesystem::exists(path))
            OvEmLoadModel(OVEM_MODEL_EMBEDDING128, path.c_str(), nullptr, &model_);
    }
    static void TearDownTestSuite() {
        OvEmFreeModel(model_);
        model_ = nullptr;
    }
    void SetUp() override {
        if (!model_) GTEST_SKIP() << "embedding model not fetched (scripts/setup)";
    }
    static Embedding embed(const Bytes& crop, int channels) {
        Embedding e(128, -7.0f);
        EXPECT_EQ(OvEmEmbedding(model_, crop.data(), channels, e.data()), OVEM_OK);
        return e;
    }
    static OvEmModel* model_;
};
OvEmModel* EmRecognition::model_ = nullptr;

void expectAgreement(const Embedding& e, const ovem_test::ReferenceCrop& ref) {
    const float d = OvEmDistance(e.data(), ref.embedding);
    EXPECT_LE(d, 1e-3f) << ref.name;
    for (float v : e) ASSERT_TRUE(std::isfinite(v)) << ref.name;
}

TEST_F(EmRecognition, AgreesWithReferenceOnSyntheticCrops) {
    int checked = 0;
    for (const ovem_test::ReferenceCrop& ref : ovem_test::kReferenceCrops) {
        if (ref.photograph) continue;
        const Bytes crop = syntheticCrop(ref.name);
        ASSERT_EQ(crop.size(), static_cast<size_t>(kSide * kSide * ref.channels)) << ref.name;
        ASSERT_EQ(hexOf(crop), ref.sha256) << ref.name << ": pattern differs from the script's";
        expectAgreement(embed(crop, ref.channels), ref);
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

TEST_F(EmRecognition, AgreesWithReferenceOnPhotographs) {
    if (!std::filesystem::exists(ovfc::test::photoDir()))
        GTEST_SKIP() << "no photographs in " << ovfc::test::photoDir();
    std::vector<Embedding> faces;
    for (const ovem_test::ReferenceCrop& ref : ovem_test::kReferenceCrops) {
        if (!ref.photograph) continue;
        const Bytes crop = photographCrop(ovfc::test::photoDir() / ref.name, ref.left, ref.top);
        ASSERT_FALSE(crop.empty()) << ref.name;
        ASSERT_EQ(hexOf(crop), ref.sha256) << ref.name << ": the photograph has changed";
        faces.push_back(embed(crop, 1));
        expectAgreement(faces.back(), ref);
    }
    ASSERT_EQ(faces.size(), 5u);
    // 0102 and 0106 show one person; 0206, 0706 and 1004 others.
    const float same = OvEmDistance(faces[0].data(), faces[1].data());
    for (size_t other = 2; other < faces.size(); ++other) {
        EXPECT_LT(same, OvEmDistance(faces[0].data(), faces[other].data())) << other;
        EXPECT_LT(same, OvEmDistance(faces[1].data(), faces[other].data())) << other;
    }
}

TEST_F(EmRecognition, FlatCropIsFiniteAndFarFromFaces) {
    const Embedding flat = embed(Bytes(kSide * kSide, 128), 1);
    const Embedding black = embed(Bytes(kSide * kSide * 3, 0), 3);
    for (size_t i = 0; i < 128; ++i) {
        ASSERT_TRUE(std::isfinite(flat[i]));
        ASSERT_TRUE(std::isfinite(black[i]));
    }
    for (const ovem_test::ReferenceCrop& ref : ovem_test::kReferenceCrops) {
        if (!ref.photograph) continue;
        EXPECT_GT(OvEmDistance(flat.data(), ref.embedding), 0.6f) << ref.name;
        EXPECT_GT(OvEmDistance(black.data(), ref.embedding), 0.6f) << ref.name;
    }
}

TEST_F(EmRecognition, GreyEqualsItsColourCopy) {
    const Bytes colour = noise();
    Bytes grey(kSide * kSide), replicated(kSide * kSide * 3);
    for (int i = 0; i < kSide * kSide; ++i) {
        grey[i] = colour[i * 3 + 1];
        replicated[i * 3] = replicated[i * 3 + 1] = replicated[i * 3 + 2] = grey[i];
    }
    const Embedding a = embed(grey, 1), b = embed(replicated, 3);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), 128 * sizeof(float)), 0);
    // The channel order matters: red and blue swapped is another input.
    Bytes swapped = colour;
    for (int i = 0; i < kSide * kSide; ++i) std::swap(swapped[i * 3], swapped[i * 3 + 2]);
    EXPECT_GT(OvEmDistance(embed(colour, 3).data(), embed(swapped, 3).data()), 1e-3f);
}

TEST_F(EmRecognition, SameBitsOnOneTwoAndFourThreads) {
    const std::vector<std::pair<Bytes, int>> crops = {
        {gradient(), 3}, {noise(), 3}, {Bytes(kSide * kSide, 200), 1}};
    std::vector<Embedding> alone;
    for (const auto& [crop, channels] : crops) alone.push_back(embed(crop, channels));
    for (int threads : {1, 2, 4}) {
        std::vector<std::vector<Embedding>> got(threads);
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t) {
            pool.emplace_back([&, t] {
                // Each thread starts at another crop, so that different crops overlap.
                got[t].resize(crops.size(), Embedding(128));
                for (size_t k = 0; k < crops.size(); ++k) {
                    const size_t i = (k + t) % crops.size();
                    OvEmEmbedding(model_, crops[i].first.data(), crops[i].second, got[t][i].data());
                }
            });
        }
        for (std::thread& th : pool) th.join();
        for (int t = 0; t < threads; ++t)
            for (size_t i = 0; i < crops.size(); ++i)
                EXPECT_EQ(std::memcmp(got[t][i].data(), alone[i].data(), 128 * sizeof(float)), 0)
                    << threads << " threads, thread " << t << ", crop " << i;
    }
}

TEST_F(EmRecognition, BadArgumentsLeaveTheOutput) {
    const Bytes crop = gradient();
    Embedding e(128, -7.0f);
    EXPECT_EQ(OvEmEmbedding(nullptr, crop.data(), 3, e.data()), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmEmbedding(model_, nullptr, 3, e.data()), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmEmbedding(model_, crop.data(), 3, nullptr), OVEM_E_ARGUMENT);
    for (int channels : {0, 2, 4, -1})
        EXPECT_EQ(OvEmEmbedding(model_, crop.data(), channels, e.data()), OVEM_E_ARGUMENT)
            << channels;
    const std::string landmarks = modelPath(OVEM_MODEL_LANDMARKS68);
    OvEmModel* other = nullptr;
    if (OvEmLoadModel(OVEM_MODEL_LANDMARKS68, landmarks.c_str(), nullptr, &other) == OVEM_OK) {
        EXPECT_EQ(OvEmEmbedding(other, crop.data(), 3, e.data()), OVEM_E_ARGUMENT);
        OvEmFreeModel(other);
    }
    EXPECT_EQ(e, Embedding(128, -7.0f));
}

TEST(EmDistance, EuclideanAndNullArguments) {
    float a[128] = {}, b[128] = {};
    EXPECT_EQ(OvEmDistance(a, b), 0.0f);
    b[0] = 3;
    b[127] = -4;
    EXPECT_EQ(OvEmDistance(a, b), 5.0f);
    EXPECT_EQ(OvEmDistance(b, a), 5.0f);
    for (int i = 0; i < 128; ++i) a[i] = 0.5f, b[i] = -0.5f;
    EXPECT_FLOAT_EQ(OvEmDistance(a, b), std::sqrt(128.0f));
    EXPECT_EQ(OvEmDistance(nullptr, b), -1.0f);
    EXPECT_EQ(OvEmDistance(a, nullptr), -1.0f);
}

}  // namespace
