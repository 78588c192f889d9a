// The weights manifest: its form, and the manifests it refuses.
#include <gtest/gtest.h>

#include <string>

#include "manifest.h"

namespace {

using ovem::Manifest;
using ovem::parseManifest;
using ovem::Status;

constexpr const char* kTwoGroups = R"([
  {"paths": ["a.bin", "b.bin"], "weights": [
    {"name": "x/filters", "shape": [3, 3, 2, 4], "dtype": "float32",
     "quantization": {"dtype": "uint8", "scale": 0.5, "min": -2}},
    {"name": "x/bias", "shape": [4], "dtype": "float32"}]},
  {"paths": ["c.bin"], "weights": [
    {"name": "scalar", "shape": [], "dtype": "float32", "extra": 1}]}
])";

TEST(EmManifest, ReadsGroupsInOrder) {
    Manifest m;
    ASSERT_EQ(parseManifest(kTwoGroups, m), Status::kOk);
    ASSERT_EQ(m.groups.size(), 2u);
    EXPECT_EQ(m.groups[0].paths, (std::vector<std::string>{"a.bin", "b.bin"}));
    ASSERT_EQ(m.groups[0].tensors.size(), 2u);
    const auto& q = m.groups[0].tensors[0];
    EXPECT_EQ(q.name, "x/filters");
    EXPECT_EQ(q.shape, (std::vector<uint32_t>{3, 3, 2, 4}));
    EXPECT_EQ(q.count, 72u);
    EXPECT_TRUE(q.quantized);
    EXPECT_EQ(q.min, -2.0);
    EXPECT_EQ(q.scale, 0.5);
    EXPECT_EQ(q.storedBytes(), 72u);
    const auto& f = m.groups[0].tensors[1];
    EXPECT_FALSE(f.quantized);
    EXPECT_EQ(f.storedBytes(), 16u);
    EXPECT_EQ(m.groups[1].tensors[0].count, 1u);  // an empty shape is one value
}

std::string oneTensor(const std::string& paths, const std::string& tensor) {
    std::string text = R"([{"paths": )";
    text += paths;
    text += R"(, "weights": [)";
    text += tensor;
    text += "]}]";
    return text;
}

TEST(EmManifest, RefusesMalformedEntries) {
    const std::string good = R"({"name": "t", "shape": [2], "dtype": "float32"})";
    Manifest m;
    ASSERT_EQ(parseManifest(oneTensor(R"(["w.bin"])", good), m), Status::kOk);

    const std::string badPaths[] = {R"([])",     R"("w.bin")", R"(["../w.bin"])", R"(["d/w.bin"])",
                                    R"([".."])", R"([""])",    R"([1])"};
    for (const std::string& p : badPaths) {
        EXPECT_EQ(parseManifest(oneTensor(p, good), m), Status::kManifest) << p;
    }
    const std::string badTensors[] = {
        R"({"shape": [2], "dtype": "float32"})",
        R"({"name": "", "shape": [2], "dtype": "float32"})",
        R"({"name": 5, "shape": [2], "dtype": "float32"})",
        R"({"name": "t", "dtype": "float32"})",
        R"({"name": "t", "shape": 2, "dtype": "float32"})",
        R"({"name": "t", "shape": [-1], "dtype": "float32"})",
        R"({"name": "t", "shape": [1.5], "dtype": "float32"})",
        R"({"name": "t", "shape": ["2"], "dtype": "float32"})",
        R"({"name": "t", "shape": [65536, 65536], "dtype": "float32"})",
        R"({"name": "t", "shape": [2], "dtype": "int32"})",
        R"({"name": "t", "shape": [2]})",
        R"({"name": "t", "shape": [2], "dtype": "float32", "quantization": {"dtype": "uint16", "min": 0, "scale": 1}})",
        R"({"name": "t", "shape": [2], "dtype": "float32", "quantization": {"dtype": "uint8", "scale": 1}})",
        R"({"name": "t", "shape": [2], "dtype": "float32", "quantization": {"dtype": "uint8", "min": "0", "scale": 1}})",
        R"({"name": "t", "shape": [2], "dtype": "float32", "quantization": 1})",
        R"([])",
    };
    for (const std::string& t : badTensors) {
        EXPECT_EQ(parseManifest(oneTensor(R"(["w.bin"])", t), m), Status::kManifest) << t;
    }
}

TEST(EmManifest, RefusesMalformedDocuments) {
    const char* bad[] = {
        "",
        "[]",
        "{}",
        "[1]",
        "[{}]",
        R"([{"paths": ["w.bin"]}])",
        R"([{"paths": ["w.bin"], "weights": []}])",
        // the same tensor name in two groups
        (R"([{"paths": ["w.bin"], "weights": [{"name": "t", "shape": [2], "dtype": "float32"}]},)"
         R"( {"paths": ["v.bin"], "weights": [{"name": "t", "shape": [2], "dtype": "float32"}]}])"),
        R"([{"paths": ["w.bin"], "weights": [{"name": "t", "shape": [2], "dtype": "float32"}]})",
    };
    Manifest m;
    for (const char* text : bad) EXPECT_EQ(parseManifest(text, m), Status::kManifest) << text;
    std::string huge(ovem::kMaxManifestBytes + 1, ' ');
    EXPECT_EQ(parseManifest(huge, m), Status::kManifest);
}

}  // namespace
