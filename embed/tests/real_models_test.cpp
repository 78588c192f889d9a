// The fetched model files (scripts/setup puts them in bin/models): both load with their
// sums, and a few weights match values worked out from the files independently.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model_files.h"
#include "ovem32.h"

namespace {

std::string modelDir() {
    std::string dir = OVFC_BIN_DIR;
    dir += "/models/";
    return dir;
}

bool modelsPresent() {
    for (int kind : {OVEM_MODEL_LANDMARKS68, OVEM_MODEL_EMBEDDING128}) {
        std::string path = modelDir();
        path += OvEmManifestName(kind);
        if (!std::filesystem::exists(path)) return false;
    }
    std::string sums = modelDir();
    sums += "models.sha256";
    return std::filesystem::exists(sums);
}

struct Expected {
    int kind;
    uint32_t tensors;
    uint64_t weights;
    const char* tensor;
    float first, second, last;
};

// First, second and last value of one tensor per file: min + scale x byte of the stored
// bytes, or the stored float, read from the package files with a separate script.
const Expected kExpected[] = {
    {OVEM_MODEL_LANDMARKS68, 49, 356840, "fc/bias", 0.07683877646923065f, 0.24991990625858307f,
     0.5609642863273621f},
    {OVEM_MODEL_LANDMARKS68, 49, 356840, "dense0/conv0/filters", 0.0f, -0.06795067340135574f,
     -0.06795067340135574f},
    {OVEM_MODEL_EMBEDDING128, 117, 5614592, "fc", -0.006796070374548435f, -0.010015261359512806f,
     0.006438382435590029f},
    {OVEM_MODEL_EMBEDDING128, 117, 5614592, "conv32_down/conv/bias", 1.948432509379927e-05f,
     2.2025758880772628e-05f, 4.828724195249379e-05f},
    {OVEM_MODEL_EMBEDDING128, 117, 5614592, "conv64_down/conv1/conv/filters",
     -0.004492271691560745f, -0.006515676621347666f, 0.001856982707977295f},
};

TEST(EmRealModels, LoadWithSumsAndKnownValues) {
    if (!modelsPresent()) GTEST_SKIP() << "models not fetched (scripts/setup) in " << modelDir();
    std::string sums = modelDir();
    sums += "models.sha256";
    for (const Expected& e : kExpected) {
        std::string manifest = modelDir();
        manifest += OvEmManifestName(e.kind);
        OvEmModel* model = nullptr;
        ASSERT_EQ(OvEmLoadModel(e.kind, manifest.c_str(), sums.c_str(), &model), OVEM_OK)
            << manifest;
        int kind = 0;
        uint32_t tensors = 0;
        uint64_t weights = 0;
        EXPECT_EQ(OvEmModelInfo(model, &kind, &tensors, &weights), OVEM_OK);
        EXPECT_EQ(tensors, e.tensors);
        EXPECT_EQ(weights, e.weights);
        const float* data = nullptr;
        uint64_t count = 0;
        ASSERT_EQ(OvEmModelTensor(model, e.tensor, &data, &count), OVEM_OK) << e.tensor;
        EXPECT_NEAR(data[0], e.first, 1e-7) << e.tensor;
        EXPECT_FLOAT_EQ(data[1], e.second) << e.tensor;
        EXPECT_FLOAT_EQ(data[count - 1], e.last) << e.tensor;
        OvEmFreeModel(model);
    }
}

// A copy of the real landmark files cut short, and loaded as the other network.
TEST(EmRealModels, DamagedCopies) {
    if (!modelsPresent()) GTEST_SKIP() << "models not fetched (scripts/setup) in " << modelDir();
    ovem_test::ModelFolder folder;
    auto copy = [&](const char* name) {
        std::string path = modelDir();
        path += name;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    };
    const char* manifestName = OvEmManifestName(OVEM_MODEL_LANDMARKS68);
    std::string bin = copy("face_landmark_68_model.bin");
    folder.write(manifestName, copy(manifestName));
    folder.write("face_landmark_68_model.bin", bin.substr(0, bin.size() - 4096));
    std::string manifest = folder.path(manifestName);
    OvEmModel* model = nullptr;
    EXPECT_EQ(OvEmLoadModel(OVEM_MODEL_LANDMARKS68, manifest.c_str(), nullptr, &model),
              OVEM_E_TRUNCATED);
    std::string sums = modelDir();
    sums += "models.sha256";
    EXPECT_EQ(OvEmLoadModel(OVEM_MODEL_LANDMARKS68, manifest.c_str(), sums.c_str(), &model),
              OVEM_E_CHECKSUM);
    folder.write("face_landmark_68_model.bin", bin);
    EXPECT_EQ(OvEmLoadModel(OVEM_MODEL_EMBEDDING128, manifest.c_str(), sums.c_str(), &model),
              OVEM_E_SHAPE);
    EXPECT_EQ(model, nullptr);
}

}  // namespace
