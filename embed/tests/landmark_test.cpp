// OvEmLandmarks: refused arguments and frames on a stand-in network; with the fetched
// model and the Yale photographs beside the project, the reference points and repeatable
// results on several threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "faces_dir.h"
#include "model_files.h"
#include "ovem32.h"
#include "ovio32.h"

namespace {

constexpr int kW = 256, kH = 255;

struct ModelPtr {
    ModelPtr() = default;
    ModelPtr(const ModelPtr&) = delete;
    ModelPtr& operator=(const ModelPtr&) = delete;
    OvEmModel* m = nullptr;
    ~ModelPtr() { OvEmFreeModel(m); }
};

std::vector<uint8_t> ramp() {
    std::vector<uint8_t> f(kW * kH);
    for (int i = 0; i < kW * kH; ++i) f[i] = static_cast<uint8_t>((i * 31) % 251);
    return f;
}

class EmLandmarksApi : public ::testing::Test {
  protected:
    void SetUp() override {
        landmarks_.m = load(OVEM_MODEL_LANDMARKS68);
        embedding_.m = load(OVEM_MODEL_EMBEDDING128);
    }
    OvEmModel* load(int kind) {
        ovem_test::ModelFolder& folder = kind == OVEM_MODEL_LANDMARKS68 ? lmFolder_ : emFolder_;
        OvEmModel* m = nullptr;
        EXPECT_EQ(OvEmLoadModel(kind, folder.writeModel(ovem_test::fakeNetwork(kind)).c_str(),
                                nullptr, &m),
                  OVEM_OK);
        return m;
    }
    int run(const std::vector<uint8_t>& frame, OvEmBox box) {
        return OvEmLandmarks(landmarks_.m, frame.data(), kW, kH, &box, points_);
    }
    ovem_test::ModelFolder lmFolder_, emFolder_;
    ModelPtr landmarks_{}, embedding_{};
    float points_[136] = {};
    const std::vector<uint8_t> frame_ = ramp();
};

TEST_F(EmLandmarksApi, RefusesNullAndWrongModel) {
    ASSERT_NE(landmarks_.m, nullptr);
    const OvEmBox box{60, 50, 120, 120};
    EXPECT_EQ(OvEmLandmarks(nullptr, frame_.data(), kW, kH, &box, points_), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(landmarks_.m, nullptr, kW, kH, &box, points_), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), kW, kH, nullptr, points_),
              OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), kW, kH, &box, nullptr), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(embedding_.m, frame_.data(), kW, kH, &box, points_), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), 0, kH, &box, points_), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), kW, -1, &box, points_), OVEM_E_ARGUMENT);
}

TEST_F(EmLandmarksApi, BoxLimits) {
    float untouched[136];
    std::memset(points_, 0x5a, sizeof points_);
    std::memcpy(untouched, points_, sizeof points_);
    EXPECT_EQ(run(frame_, {60, 50, 15, 120}), OVEM_E_FACE_BOX);  // tiny
    EXPECT_EQ(run(frame_, {60, 50, 120, 15}), OVEM_E_FACE_BOX);
    EXPECT_EQ(run(frame_, {60, 50, 8193, 100}), OVEM_E_FACE_BOX);   // huge
    EXPECT_EQ(run(frame_, {kW, 50, 100, 100}), OVEM_E_FACE_BOX);    // right of the frame
    EXPECT_EQ(run(frame_, {-100, 50, 100, 100}), OVEM_E_FACE_BOX);  // left, touching column 0
    EXPECT_EQ(run(frame_, {50, kH, 100, 100}), OVEM_E_FACE_BOX);
    EXPECT_EQ(run(frame_, {-20000, 50, 100, 100}), OVEM_E_FACE_BOX);
    EXPECT_EQ(std::memcmp(points_, untouched, sizeof points_), 0);
    // The smallest box, and boxes over and at the border, give finite points.
    for (OvEmBox box : {OvEmBox{60, 50, 16, 16}, OvEmBox{-99, 50, 100, 100},
                        OvEmBox{200, 200, 120, 130}, OvEmBox{0, 0, kW, kH}}) {
        ASSERT_EQ(run(frame_, box), OVEM_OK) << box.left << " " << box.top;
        for (float v : points_) ASSERT_TRUE(std::isfinite(v));
    }
}

TEST_F(EmLandmarksApi, FlatFrames) {
    const std::vector<uint8_t> flat(kW * kH, 128);
    EXPECT_EQ(run(flat, {60, 50, 120, 120}), OVEM_E_FLAT_FACE);
    // Flat inside the box is enough, whatever lies outside it.
    std::vector<uint8_t> half = flat;
    for (int x = 0; x < 40; ++x) half[100 * kW + x] = 0;
    EXPECT_EQ(run(half, {60, 50, 120, 120}), OVEM_E_FLAT_FACE);
    EXPECT_EQ(run(half, {20, 50, 120, 120}), OVEM_OK);
    EXPECT_STREQ(OvEmResultText(OVEM_E_FLAT_FACE), "face box holds a single grey level");
}

TEST_F(EmLandmarksApi, FromEyesRefusals) {
    const float eyes[4] = {100, 100, 140, 100};
    EXPECT_EQ(OvEmLandmarksFromEyes(landmarks_.m, frame_.data(), kW, kH, nullptr, points_, nullptr),
              OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarksFromEyes(embedding_.m, frame_.data(), kW, kH, eyes, points_, nullptr),
              OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmLandmarksFromEyes(landmarks_.m, frame_.data(), kW, kH, eyes, nullptr, nullptr),
              OVEM_E_ARGUMENT);
    const float close[4] = {100, 100, 103, 100};
    EXPECT_EQ(OvEmLandmarksFromEyes(landmarks_.m, frame_.data(), kW, kH, close, points_, nullptr),
              OVEM_E_FACE_BOX);
    const std::vector<uint8_t> flat(kW * kH, 17);
    OvEmBox box{-1, -1, -1, -1};
    EXPECT_EQ(OvEmLandmarksFromEyes(landmarks_.m, flat.data(), kW, kH, eyes, points_, &box),
              OVEM_E_FLAT_FACE);
    EXPECT_EQ(box.left, -1);
    // The stand-in network's points agree with no box: the search runs and still answers
    // with the box its points move least.
    ASSERT_EQ(OvEmLandmarksFromEyes(landmarks_.m, frame_.data(), kW, kH, eyes, points_, &box),
              OVEM_OK);
    float again[136];
    ASSERT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), kW, kH, &box, again), OVEM_OK);
    EXPECT_EQ(std::memcmp(points_, again, sizeof again), 0);
}

TEST_F(EmLandmarksApi, InFrameRefusals) {
    EXPECT_EQ(OvEmFindLandmarks(nullptr, frame_.data(), kW, kH, points_, nullptr), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmFindLandmarks(embedding_.m, frame_.data(), kW, kH, points_, nullptr),
              OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmFindLandmarks(landmarks_.m, frame_.data(), kW, kH, nullptr, nullptr),
              OVEM_E_ARGUMENT);
    const std::vector<uint8_t> flat(kW * kH, 200);
    EXPECT_EQ(OvEmFindLandmarks(landmarks_.m, flat.data(), kW, kH, points_, nullptr),
              OVEM_E_FLAT_FACE);
    // No starting box of a 15 x 15 frame reaches 16 pixels; in 12 x 16 the bounding square
    // does.
    EXPECT_EQ(OvEmFindLandmarks(landmarks_.m, frame_.data(), 15, 15, points_, nullptr),
              OVEM_E_FACE_BOX);
    OvEmBox box{};
    ASSERT_EQ(OvEmFindLandmarks(landmarks_.m, frame_.data(), 12, 16, points_, &box), OVEM_OK);
    float again[136];
    ASSERT_EQ(OvEmLandmarks(landmarks_.m, frame_.data(), 12, 16, &box, again), OVEM_OK);
    EXPECT_EQ(std::memcmp(points_, again, sizeof again), 0);
}

// The fetched model and the photographs.
std::string modelManifest() {
    std::string path = OVFC_BIN_DIR;
    path += "/models/";
    path += OvEmManifestName(OVEM_MODEL_LANDMARKS68);
    return path;
}

struct Reference {
    std::string name;
    OvEmBox box{};
    std::vector<float> points;
};

std::vector<Reference> references() {
    std::string path = OVFC_SOURCE_DIR;
    path += "/embed/tests/data/yale_landmarks.txt";
    std::ifstream in(path);
    std::vector<Reference> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        Reference r;
        s >> r.name >> r.box.left >> r.box.top >> r.box.width >> r.box.height;
        float v;
        while (s >> v) r.points.push_back(v);
        out.push_back(std::move(r));
    }
    return out;
}

class EmLandmarksYale : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(modelManifest()))
            GTEST_SKIP() << "models not fetched (scripts/setup)";
        if (!std::filesystem::exists(ovfc::test::photoDir()))
            GTEST_SKIP() << "no photographs in " << ovfc::test::photoDir();
        ASSERT_EQ(
            OvEmLoadModel(OVEM_MODEL_LANDMARKS68, modelManifest().c_str(), nullptr, &model_.m),
            OVEM_OK);
        refs_ = references();
        ASSERT_GE(refs_.size(), 8u);
    }
    std::vector<uint8_t> frame(const std::string& name) {
        std::vector<uint8_t> f(kW * kH);
        const std::string path = (ovfc::test::photoDir() / name).string();
        EXPECT_EQ(OvReadImage(path.c_str(), f.data(), OVIO_FORMAT_BY_NAME), 0) << path;
        return f;
    }
    ModelPtr model_;
    std::vector<Reference> refs_;
};

TEST_F(EmLandmarksYale, AgreesWithTheReferencePoints) {
    for (const Reference& r : refs_) {
        ASSERT_EQ(r.points.size(), 136u) << r.name;
        const std::vector<uint8_t> f = frame(r.name);
        float points[136];
        ASSERT_EQ(OvEmLandmarks(model_.m, f.data(), kW, kH, &r.box, points), OVEM_OK) << r.name;
        double worst = 0;
        for (int i = 0; i < 136; ++i)
            worst = std::max(worst, std::fabs(double(points[i]) - r.points[i]));
        EXPECT_LT(worst, 0.01) << r.name << " (pixels)";
    }
}

// Eye positions in the frame: the truth of the photographs' eye centres, and eyes a face
// search placed on the chin (00001104), on the mouth (00001107: the landmarks there keep
// the box almost in place but move the eyes half an eye distance) and on the forehead
// (00001309).
TEST_F(EmLandmarksYale, EyesGiveTheirBoxOrAreSearchedAgain) {
    struct Case {
        const char* name;
        float given[4];
        float truth[4];
    };
    const Case cases[] = {
        {"00000102.TIF", {120, 91, 162, 91}, {119.90f, 90.65f, 162.30f, 91.05f}},
        {"00001104.TIF", {93, 157, 130, 155}, {117.34f, 100.79f, 167.10f, 96.80f}},
        {"00001309.TIF", {137, 61, 167, 64}, {122.70f, 115.16f, 165.10f, 115.16f}},
        {"00001107.TIF", {160, 153, 203, 146}, {120.30f, 100.95f, 168.30f, 97.20f}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> f = frame(c.name);
        float points[136];
        OvEmBox box{};
        ASSERT_EQ(OvEmLandmarksFromEyes(model_.m, f.data(), kW, kH, c.given, points, &box),
                  OVEM_OK);
        OvEmBox first{};
        ASSERT_EQ(OvEmFaceBoxFromEyes(c.given[0], c.given[1], c.given[2], c.given[3], &first),
                  OVEM_OK);
        const bool searched = std::memcmp(&box, &first, sizeof box) != 0;
        EXPECT_EQ(searched, c.name != std::string("00000102.TIF")) << c.name;
        double eye[4] = {};
        for (int i = 36; i < 48; ++i) {
            eye[i < 42 ? 0 : 2] += points[2 * i] / 6.0;
            eye[i < 42 ? 1 : 3] += points[2 * i + 1] / 6.0;
        }
        const double distance = std::hypot(c.truth[2] - c.truth[0], c.truth[3] - c.truth[1]);
        EXPECT_LT(std::hypot(eye[0] - c.truth[0], eye[1] - c.truth[1]), 0.15 * distance) << c.name;
        EXPECT_LT(std::hypot(eye[2] - c.truth[2], eye[3] - c.truth[3]), 0.15 * distance) << c.name;
    }
}

// 00000607: the face search finds no eyes; the landmarks are found in the whole frame.
TEST_F(EmLandmarksYale, FoundWithoutEyes) {
    const std::vector<uint8_t> f = frame("00000607.TIF");
    const double truth[4] = {75.02, 98.96, 122.06, 95.76};
    float points[136];
    ASSERT_EQ(OvEmFindLandmarks(model_.m, f.data(), kW, kH, points, nullptr), OVEM_OK);
    double eye[4] = {};
    for (int i = 36; i < 48; ++i) {
        eye[i < 42 ? 0 : 2] += points[2 * i] / 6.0;
        eye[i < 42 ? 1 : 3] += points[2 * i + 1] / 6.0;
    }
    const double distance = std::hypot(truth[2] - truth[0], truth[3] - truth[1]);
    EXPECT_LT(std::hypot(eye[0] - truth[0], eye[1] - truth[1]), 0.10 * distance);
    EXPECT_LT(std::hypot(eye[2] - truth[2], eye[3] - truth[3]), 0.10 * distance);
}

TEST_F(EmLandmarksYale, SameBitsOnEveryRunAndThread) {
    const Reference& r = refs_.front();
    const std::vector<uint8_t> f = frame(r.name);
    float first[136];
    ASSERT_EQ(OvEmLandmarks(model_.m, f.data(), kW, kH, &r.box, first), OVEM_OK);
    std::vector<std::vector<float>> got(4, std::vector<float>(136));
    std::vector<std::thread> threads;
    for (auto& g : got)
        threads.emplace_back([&] {
            for (int k = 0; k < 3; ++k) OvEmLandmarks(model_.m, f.data(), kW, kH, &r.box, g.data());
        });
    for (auto& t : threads) t.join();
    for (const auto& g : got) EXPECT_EQ(std::memcmp(g.data(), first, sizeof first), 0);
}

}  // namespace
