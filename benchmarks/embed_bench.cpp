// The two networks (bin/models from scripts/setup): the embedding of one 150 x 150 crop
// through the C call (its workspace allocated per call) and through a reused workspace, the
// landmarks of one face box in a 256 x 255 frame, landmarks, aligned crop and embedding one
// after the other (the speed target is on those), the distance of two embeddings, and the
// memory both loaded models keep resident. Skipped when the models are absent.
// Run on one core: taskset -c 1 bin/bench/embed_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model_handle.h"
#include "ovem32.h"
#include "recognition_net.h"

namespace {

std::string modelPath(int kind) {
    std::string path = OVFC_BIN_DIR;
    path += "/models/";
    path += OvEmManifestName(kind);
    return path;
}

OvEmModel* loadModel(int kind) {
    OvEmModel* m = nullptr;
    const std::string path = modelPath(kind);
    return OvEmLoadModel(kind, path.c_str(), nullptr, &m) == OVEM_OK ? m : nullptr;
}

OvEmModel* embeddingModel() {
    static OvEmModel* model = loadModel(OVEM_MODEL_EMBEDDING128);
    return model;
}

OvEmModel* landmarkModel() {
    static OvEmModel* model = loadModel(OVEM_MODEL_LANDMARKS68);
    return model;
}

// A 256 x 255 grey frame of the same kind of pattern, and a face-sized box in it.
std::vector<uint8_t> frame() {
    std::vector<uint8_t> px(256 * 255);
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 256; ++x)
            px[y * 256 + x] = static_cast<uint8_t>((x * 5 + y * 3 + (x * y) / 70) & 255);
    return px;
}
constexpr OvEmBox kBox{70, 60, 110, 120};

// A face-sized grey pattern: the work does not depend on the pixel values.
std::vector<uint8_t> crop() {
    std::vector<uint8_t> px(150 * 150);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 150; ++x)
            px[y * 150 + x] = static_cast<uint8_t>((x * 7 + y * 3 + (x * y) / 50) & 255);
    return px;
}

// Resident set size in bytes, from /proc/self/statm.
double residentBytes() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0.0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// Loads both models once, before anything else is loaded (the allocator keeps freed memory
// for the next load, so only a first load shows it); resident_MB is what they add to the
// process.
void BM_ModelsResident(benchmark::State& state) {
    double added = 0.0;
    for (auto _ : state) {
        const double before = residentBytes();
        OvEmModel* models[2] = {nullptr, nullptr};
        const int kinds[2] = {OVEM_MODEL_LANDMARKS68, OVEM_MODEL_EMBEDDING128};
        for (int i = 0; i < 2; ++i) {
            const std::string path = modelPath(kinds[i]);
            if (OvEmLoadModel(kinds[i], path.c_str(), nullptr, &models[i]) != OVEM_OK) {
                OvEmFreeModel(models[0]);
                return state.SkipWithError("models not fetched (scripts/setup)");
            }
        }
        added = residentBytes() - before;
        OvEmFreeModel(models[0]);
        OvEmFreeModel(models[1]);
    }
    state.counters["resident_MB"] = added / (1024.0 * 1024.0);
}
BENCHMARK(BM_ModelsResident)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Embedding(benchmark::State& state) {
    OvEmModel* model = embeddingModel();
    if (!model) return state.SkipWithError("embedding model not fetched (scripts/setup)");
    const std::vector<uint8_t> px = crop();
    float e[128];
    for (auto _ : state) {
        if (OvEmEmbedding(model, px.data(), 1, e) != OVEM_OK) return state.SkipWithError("failed");
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_Embedding)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_EmbeddingReusedWorkspace(benchmark::State& state) {
    OvEmModel* model = embeddingModel();
    if (!model) return state.SkipWithError("embedding model not fetched (scripts/setup)");
    const std::vector<uint8_t> px = crop();
    ovem::recognition::RecognitionWorkspace workspace;
    float e[128];
    for (auto _ : state) {
        ovem::recognition::computeEmbedding(model->model, px.data(), 1, workspace, e);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_EmbeddingReusedWorkspace)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Landmarks(benchmark::State& state) {
    OvEmModel* model = landmarkModel();
    if (!model) return state.SkipWithError("landmark model not fetched (scripts/setup)");
    const std::vector<uint8_t> px = frame();
    float points[2 * OVEM_LANDMARK_COUNT];
    for (auto _ : state) {
        if (OvEmLandmarks(model, px.data(), 256, 255, &kBox, points) != OVEM_OK)
            return state.SkipWithError("failed");
        benchmark::DoNotOptimize(points);
    }
}
BENCHMARK(BM_Landmarks)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One face of a frame from its box: the landmarks, the aligned crop, the embedding.
void BM_LandmarksCropEmbedding(benchmark::State& state) {
    OvEmModel* landmarks = landmarkModel();
    OvEmModel* embedding = embeddingModel();
    if (!landmarks || !embedding) return state.SkipWithError("models not fetched (scripts/setup)");
    const std::vector<uint8_t> px = frame();
    float points[2 * OVEM_LANDMARK_COUNT], e[128];
    uint8_t face[OVEM_CROP_SIDE * OVEM_CROP_SIDE];
    for (auto _ : state) {
        if (OvEmLandmarks(landmarks, px.data(), 256, 255, &kBox, points) != OVEM_OK ||
            OvEmAlignedCrop(px.data(), 256, 255, points, face) != OVEM_OK ||
            OvEmEmbedding(embedding, face, 1, e) != OVEM_OK)
            return state.SkipWithError("failed");
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_LandmarksCropEmbedding)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Distance(benchmark::State& state) {
    float a[128], b[128];
    for (int i = 0; i < 128; ++i) {
        a[i] = 0.01f * static_cast<float>(i % 17) - 0.08f;
        b[i] = 0.013f * static_cast<float>(i % 11) - 0.06f;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(OvEmDistance(a, b));
    }
}
BENCHMARK(BM_Distance);

}  // namespace

BENCHMARK_MAIN();
