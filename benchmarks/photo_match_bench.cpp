// The face library on the annotated photographs (the folder holding yale/: the environment
// variable OVFC_FACES_DIR, else ../shared/faces beside the sources) with the shipped
// configuration: OvfcProcessingEx of every photograph in turn, and one probe against the
// descriptors of all the others with the probe search kept (0) or repeated (1). Skipped
// when the photographs are absent.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "descriptor_blob.h"
#include "face_calls.h"
#include "faces_dir.h"
#include "library_state.h"
#include "load_config.h"
#include "ovfc32.h"
#include "ovio32.h"

namespace {

constexpr int W = 256, H = 255;
constexpr const char* kConfig = OVFC_SOURCE_DIR "/config/ovfc.ini";

// Every *.TIF of the folder in name order, fitted into the frame.
struct Photographs {
    std::vector<std::vector<std::uint8_t>> frames;
    Photographs() {
        std::error_code ec;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(ovfc::test::photoDir(), ec))
            if (e.path().extension() == ".TIF") names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        for (const std::string& n : names) {
            std::vector<std::uint8_t> px(static_cast<std::size_t>(W) * H);
            if (OvReadImage(n.c_str(), px.data(), OVIO_FORMAT_BY_NAME) == 0)
                frames.push_back(std::move(px));
        }
    }
};
const Photographs& photographs() {
    static const Photographs p;
    return p;
}

void BM_PhotoProcessingEx(benchmark::State& bench) {
    const auto& fs = photographs().frames;
    if (fs.empty()) return bench.SkipWithError("no photographs");
    if (OvfcLoadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    std::vector<std::uint8_t> desc(OVFC_MAX_DESCRIPTOR_SIZE);
    std::size_t k = 0;
    for (auto _ : bench) {
        std::int16_t size = 0;
        benchmark::DoNotOptimize(
            OvfcProcessingEx(fs[k % fs.size()].data(), desc.data(), &size, W, H));
        ++k;
    }
}
BENCHMARK(BM_PhotoProcessingEx)->Unit(benchmark::kMillisecond);

// The first photograph as probe against every other one's descriptor; per_match is the
// time of one comparison.
void BM_PhotoIdentification(benchmark::State& bench) {
    const auto& fs = photographs().frames;
    if (fs.size() < 2) return bench.SkipWithError("no photographs");
    static ovfc::LibraryState state;
    if (ovfc::loadConfiguration(state, kConfig) != 0)
        return bench.SkipWithError("no configuration");
    state.probeCache.enabled = bench.range(0) == 0;
    std::vector<std::vector<std::uint8_t>> ds;
    for (std::size_t i = 1; i < fs.size(); ++i) {
        std::vector<std::uint8_t> d(OVFC_MAX_DESCRIPTOR_SIZE);
        std::int16_t size = 0;
        if (ovfc::createDescriptor(state, fs[i].data(), W, H, nullptr, nullptr, d.data(), &size) ==
            0)
            ds.push_back(std::move(d));
    }
    std::int32_t score = 0;
    if (ds.empty() || ovfc::matchItems(state, fs[0].data(), ds[0].data(), &score, W, H) != 0)
        return bench.SkipWithError("the probe does not process");
    for (auto _ : bench)
        for (const auto& d : ds)
            benchmark::DoNotOptimize(ovfc::matchItems(state, fs[0].data(), d.data(), &score, W, H));
    bench.counters["per_match"] = benchmark::Counter(
        static_cast<double>(ds.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    bench.SetLabel(state.probeCache.enabled ? "probe search kept" : "probe searched every time");
}
BENCHMARK(BM_PhotoIdentification)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
