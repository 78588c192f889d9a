// Loading through the C interface: a good model, dequantised values worked out by hand,
// and every damaged file the loader must turn into a result code.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <limits>
#include <set>
#include <string>

#include "model_files.h"
#include "ovem32.h"

namespace {

using ovem_test::fakeNetwork;
using ovem_test::FakeTensor;
using ovem_test::findTensor;
using ovem_test::floatBytes;
using ovem_test::ModelFolder;

// Owns a loaded model.
struct Loaded {
    OvEmModel* model = nullptr;
    int result = -1;
    Loaded(int kind, const std::string& manifest, const std::string* sums) {
        result = OvEmLoadModel(kind, manifest.c_str(), sums ? sums->c_str() : nullptr, &model);
    }
    ~Loaded() { OvEmFreeModel(model); }
};

std::vector<float> values(const OvEmModel* model, const char* name) {
    const float* data = nullptr;
    uint64_t count = 0;
    EXPECT_EQ(OvEmModelTensor(model, name, &data, &count), OVEM_OK) << name;
    return data ? std::vector<float>(data, data + count) : std::vector<float>();
}

TEST(EmLoad, FakeNetworksOfBothKinds) {
    for (int kind : {OVEM_MODEL_LANDMARKS68, OVEM_MODEL_EMBEDDING128}) {
        ModelFolder folder;
        std::vector<FakeTensor> tensors = fakeNetwork(kind);
        std::string sums = folder.sumsPath();
        Loaded m(kind, folder.writeModel(tensors), &sums);
        ASSERT_EQ(m.result, OVEM_OK) << OvEmResultText(m.result);
        int gotKind = 0;
        uint32_t tensorCount = 0;
        uint64_t weights = 0;
        ASSERT_EQ(OvEmModelInfo(m.model, &gotKind, &tensorCount, &weights), OVEM_OK);
        EXPECT_EQ(gotKind, kind);
        EXPECT_EQ(tensorCount, tensors.size());
        uint64_t expected = 0;
        for (const FakeTensor& t : tensors) expected += t.bytes.size();
        EXPECT_EQ(weights, expected);
        // Each value is min + scale x byte of its own position.
        const FakeTensor& last = tensors.back();
        std::vector<float> v = values(m.model, last.name.c_str());
        ASSERT_EQ(v.size(), last.bytes.size());
        for (size_t i = 0; i < v.size(); ++i) {
            ASSERT_EQ(v[i],
                      static_cast<float>(-1.0 + static_cast<unsigned char>(last.bytes[i]) / 128.0));
        }
    }
}

TEST(EmLoad, DequantisesAsWorkedOutByHand) {
    ModelFolder folder;
    std::vector<FakeTensor> tensors = fakeNetwork(OVEM_MODEL_LANDMARKS68);
    FakeTensor* bias = findTensor(tensors, "fc/bias");
    bias->min = -1.5;
    bias->scale = 0.25;
    bias->bytes[0] = 0;
    bias->bytes[1] = 1;
    bias->bytes[2] = 6;
    bias->bytes[3] = static_cast<char>(255);
    FakeTensor* plain = findTensor(tensors, "dense0/conv0/bias");
    plain->quantized = false;
    std::vector<float> floats(32, 0.0f);
    floats[0] = 1.5f;
    floats[1] = -2.25f;
    floats[31] = 1e-3f;
    plain->bytes = floatBytes(floats);
    // Two files: the split falls inside a tensor.
    Loaded m(OVEM_MODEL_LANDMARKS68, folder.writeModel(tensors, 2), nullptr);
    ASSERT_EQ(m.result, OVEM_OK) << OvEmResultText(m.result);

    std::vector<float> b = values(m.model, "fc/bias");
    ASSERT_EQ(b.size(), 136u);
    EXPECT_EQ(b[0], -1.5f);   // -1.5 + 0.25 x 0
    EXPECT_EQ(b[1], -1.25f);  // -1.5 + 0.25 x 1
    EXPECT_EQ(b[2], 0.0f);    // -1.5 + 0.25 x 6
    EXPECT_EQ(b[3], 62.25f);  // -1.5 + 0.25 x 255
    EXPECT_EQ(values(m.model, "dense0/conv0/bias"), floats);

    const float* data = nullptr;
    uint64_t count = 0;
    EXPECT_EQ(OvEmModelTensor(m.model, "fc/nothing", &data, &count), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmModelTensor(m.model, nullptr, &data, &count), OVEM_E_ARGUMENT);
}

class EmDamaged : public ::testing::Test {
  protected:
    int loadChecked() {
        std::string sums = folder_.sumsPath();
        Loaded m(OVEM_MODEL_LANDMARKS68, folder_.path("m.json"), &sums);
        EXPECT_EQ(m.model == nullptr, m.result != OVEM_OK);
        return m.result;
    }
    int loadUnchecked() {
        Loaded m(OVEM_MODEL_LANDMARKS68, folder_.path("m.json"), nullptr);
        EXPECT_EQ(m.model == nullptr, m.result != OVEM_OK);
        return m.result;
    }
    ModelFolder folder_;
    std::vector<FakeTensor> tensors_ = fakeNetwork(OVEM_MODEL_LANDMARKS68);
};

TEST_F(EmDamaged, MissingFiles) {
    folder_.writeModel(tensors_);
    std::string sums = folder_.sumsPath();
    Loaded noManifest(OVEM_MODEL_LANDMARKS68, folder_.path("none.json"), nullptr);
    EXPECT_EQ(noManifest.result, OVEM_E_MISSING_FILE);
    Loaded folderAsManifest(OVEM_MODEL_LANDMARKS68, folder_.path(""), nullptr);
    EXPECT_EQ(folderAsManifest.result, OVEM_E_MISSING_FILE);
    std::string noSums = folder_.path("no-sums");
    Loaded sumsMissing(OVEM_MODEL_LANDMARKS68, folder_.path("m.json"), &noSums);
    EXPECT_EQ(sumsMissing.result, OVEM_E_MISSING_FILE);
    ASSERT_EQ(std::remove(folder_.path("w1.bin").c_str()), 0);
    EXPECT_EQ(loadUnchecked(), OVEM_E_MISSING_FILE);
}

TEST_F(EmDamaged, TruncatedAndOverlongWeights) {
    folder_.writeModel(tensors_);
    std::string bin = folder_.read("w1.bin");
    folder_.write("w1.bin", bin.substr(0, bin.size() - 1));
    EXPECT_EQ(loadUnchecked(), OVEM_E_TRUNCATED);
    folder_.write("w1.bin", "");
    EXPECT_EQ(loadUnchecked(), OVEM_E_TRUNCATED);
    folder_.write("w1.bin", bin + '\0');
    EXPECT_EQ(loadUnchecked(), OVEM_E_EXCESS_DATA);
    folder_.write("w1.bin", bin);
    EXPECT_EQ(loadUnchecked(), OVEM_OK);
}

TEST_F(EmDamaged, WrongChecksums) {
    folder_.writeModel(tensors_);
    EXPECT_EQ(loadChecked(), OVEM_OK);
    std::string bin = folder_.read("w1.bin");
    std::string flipped = bin;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 1);
    folder_.write("w1.bin", flipped);
    EXPECT_EQ(loadChecked(), OVEM_E_CHECKSUM);
    EXPECT_EQ(loadUnchecked(), OVEM_OK);  // the same bytes load when no sums are asked for
    folder_.write("w1.bin", bin);

    // A changed manifest, a file the sums do not list, a malformed sums file.
    std::string manifest = folder_.read("m.json");
    folder_.write("m.json", manifest + " ");
    EXPECT_EQ(loadChecked(), OVEM_E_CHECKSUM);
    folder_.write("m.json", manifest);
    std::string sums = folder_.read("sums");
    folder_.write("sums", sums.substr(sums.find('\n') + 1));  // drops the w1.bin line
    EXPECT_EQ(loadChecked(), OVEM_E_CHECKSUM);
    folder_.write("sums", "not a sum  w1.bin\n");
    EXPECT_EQ(loadChecked(), OVEM_E_CHECKSUM);
    folder_.write("sums", sums + sums);  // every name twice
    EXPECT_EQ(loadChecked(), OVEM_E_CHECKSUM);
    // Upper-case hex and sha256sum's binary marker are read too.
    size_t firstEnd = sums.find('\n');
    std::string relisted = sums.substr(0, 64);
    for (char& c : relisted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    relisted += " *w1.bin\r\n\n";
    relisted += sums.substr(firstEnd + 1);
    folder_.write("sums", relisted);
    EXPECT_EQ(loadChecked(), OVEM_OK);
}

TEST_F(EmDamaged, WrongShapes) {
    std::vector<FakeTensor> swapped = tensors_;
    std::swap(findTensor(swapped, "fc/weights")->shape[0],
              findTensor(swapped, "fc/weights")->shape[1]);
    folder_.writeModel(swapped);
    EXPECT_EQ(loadChecked(), OVEM_E_SHAPE);

    std::vector<FakeTensor> renamed = tensors_;
    findTensor(renamed, "dense3/conv3/bias")->name = "dense3/conv3/biases";
    folder_.writeModel(renamed);
    EXPECT_EQ(loadChecked(), OVEM_E_SHAPE);

    std::vector<FakeTensor> missing = tensors_;
    missing.pop_back();
    folder_.writeModel(missing);
    EXPECT_EQ(loadChecked(), OVEM_E_SHAPE);

    std::vector<FakeTensor> extra = tensors_;
    extra.push_back(extra.back());
    extra.back().name = "fc/extra";
    folder_.writeModel(extra);
    EXPECT_EQ(loadChecked(), OVEM_E_SHAPE);

    // The landmark files are not the embedding network.
    folder_.writeModel(tensors_);
    std::string sums = folder_.sumsPath();
    Loaded wrongKind(OVEM_MODEL_EMBEDDING128, folder_.path("m.json"), &sums);
    EXPECT_EQ(wrongKind.result, OVEM_E_SHAPE);
}

TEST_F(EmDamaged, MalformedManifests) {
    folder_.writeModel(tensors_);
    std::string manifest = folder_.read("m.json");
    const std::string bad[] = {
        manifest.substr(0, manifest.size() / 2),  // cut
        manifest.substr(0, manifest.rfind(']')),
        "",
        "null",
        "[]",
        std::string(manifest).replace(manifest.find("float32"), 7, "float16"),
        std::string(manifest).replace(manifest.find("uint8"), 5, "uint16"),
        std::string(manifest).replace(manifest.find("w1.bin"), 6, "../bin"),
    };
    for (const std::string& text : bad) {
        folder_.write("m.json", text);
        EXPECT_EQ(loadUnchecked(), OVEM_E_MANIFEST) << text.substr(0, 80);
    }
}

TEST_F(EmDamaged, NonFiniteWeights) {
    FakeTensor* plain = findTensor(tensors_, "dense1/conv0/bias");
    plain->quantized = false;
    std::vector<float> v(64, 0.5f);
    v[7] = std::numeric_limits<float>::quiet_NaN();
    plain->bytes = floatBytes(v);
    folder_.writeModel(tensors_);
    EXPECT_EQ(loadChecked(), OVEM_E_VALUE);
    v[7] = std::numeric_limits<float>::infinity();
    plain->bytes = floatBytes(v);
    folder_.writeModel(tensors_);
    EXPECT_EQ(loadChecked(), OVEM_E_VALUE);
    // A scale that overflows float for the larger bytes.
    plain->quantized = true;
    plain->bytes.assign(64, '\0');
    plain->scale = 1e38;
    folder_.writeModel(tensors_);
    EXPECT_EQ(loadChecked(), OVEM_E_VALUE);
}

TEST(EmApi, ArgumentsAndTexts) {
    OvEmModel* model = reinterpret_cast<OvEmModel*>(1);
    EXPECT_EQ(OvEmLoadModel(OVEM_MODEL_LANDMARKS68, nullptr, nullptr, &model), OVEM_E_ARGUMENT);
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(OvEmLoadModel(OVEM_MODEL_LANDMARKS68, "m.json", nullptr, nullptr), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLoadModel(3, "m.json", nullptr, &model), OVEM_E_ARGUMENT);
    int kind;
    uint32_t tensors;
    uint64_t weights;
    EXPECT_EQ(OvEmModelInfo(nullptr, &kind, &tensors, &weights), OVEM_E_ARGUMENT);
    OvEmFreeModel(nullptr);

    EXPECT_STREQ(OvEmManifestName(OVEM_MODEL_LANDMARKS68),
                 "face_landmark_68_model-weights_manifest.json");
    EXPECT_STREQ(OvEmManifestName(OVEM_MODEL_EMBEDDING128),
                 "face_recognition_model-weights_manifest.json");
    EXPECT_EQ(OvEmManifestName(0), nullptr);

    std::set<std::string> texts;
    for (int code = OVEM_OK; code <= OVEM_E_FLAT_FACE; ++code) texts.insert(OvEmResultText(code));
    EXPECT_EQ(texts.size(), static_cast<size_t>(OVEM_E_FLAT_FACE + 1));
    EXPECT_EQ(texts.count("unknown status"), 0u);
    EXPECT_STREQ(OvEmResultText(OVEM_E_FLAT_FACE + 1), "unknown status");
    EXPECT_STREQ(OvEmResultText(-1), "unknown status");
}

}  // namespace
