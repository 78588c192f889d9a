// The face library's processing and comparison on 256 x 255 generated frames with the
// development configuration: OvfcProcessingEx, OvfcMatchEx with a new probe each time, and
// the identification case (one probe against 100 descriptors) with and without the kept
// face and eye search of the probe.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "descriptor_blob.h"
#include "face_calls.h"
#include "facegen.h"
#include "library_state.h"
#include "load_config.h"
#include "ovfc32.h"

namespace {

constexpr int W = facegen::kWidth, H = facegen::kHeight;
constexpr const char* kConfig = OVFC_SOURCE_DIR "/config/ovfc.ini";

// The probe of the identification benchmarks (a frame that processes).
const std::vector<std::uint8_t>& probePixels() {
    static const facegen::Frame f = facegen::generateFrame(1, 3, 4);
    return f.pixels;
}

struct Frames {
    std::vector<facegen::Frame> frames;
    Frames() {
        for (int p = 1; p <= 50; ++p)
            for (int i = 1; i <= 2; ++i) frames.push_back(facegen::generateFrame(1, p, i));
    }
};
const Frames& frames() {
    static const Frames f;
    return f;
}

// Descriptors of the frames that process, made with `make`.
template <class Make>
std::vector<std::vector<std::uint8_t>> descriptors(Make make) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const facegen::Frame& f : frames().frames) {
        std::vector<std::uint8_t> d(OVFC_MAX_DESCRIPTOR_SIZE);
        if (make(f, d.data()) == 0) out.push_back(std::move(d));
    }
    return out;
}

void BM_OvfcProcessingEx(benchmark::State& bench) {
    if (OvfcLoadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    const auto& fs = frames().frames;
    std::vector<std::uint8_t> desc(OVFC_MAX_DESCRIPTOR_SIZE);
    std::size_t k = 0;
    for (auto _ : bench) {
        std::int16_t size = 0;
        benchmark::DoNotOptimize(
            OvfcProcessingEx(fs[k % fs.size()].pixels.data(), desc.data(), &size, W, H));
        ++k;
    }
}
BENCHMARK(BM_OvfcProcessingEx)->Unit(benchmark::kMillisecond);

// Every comparison brings a different probe: the face and eye search run each time.
void BM_OvfcMatchEx_FreshProbe(benchmark::State& bench) {
    if (OvfcLoadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    const auto ds = descriptors([](const facegen::Frame& f, std::uint8_t* d) {
        std::int16_t size = 0;
        return OvfcProcessingEx(f.pixels.data(), d, &size, W, H);
    });
    const auto& fs = frames().frames;
    std::size_t k = 0;
    for (auto _ : bench) {
        std::int32_t score = 0;
        benchmark::DoNotOptimize(OvfcMatchEx(fs[(k * 7 + 1) % fs.size()].pixels.data(),
                                             ds[k % ds.size()].data(), &score, W, H));
        ++k;
    }
}
BENCHMARK(BM_OvfcMatchEx_FreshProbe)->Unit(benchmark::kMillisecond);

// One probe against 100 descriptors per iteration (an identification).
void BM_OvfcMatchEx_SameProbe100(benchmark::State& bench) {
    if (OvfcLoadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    const auto ds = descriptors([](const facegen::Frame& f, std::uint8_t* d) {
        std::int16_t size = 0;
        return OvfcProcessingEx(f.pixels.data(), d, &size, W, H);
    });
    const auto& probe = probePixels();
    std::int32_t score = 0;
    if (OvfcMatchEx(probe.data(), ds[0].data(), &score, W, H) != 0)
        return bench.SkipWithError("the probe does not process");
    for (auto _ : bench)
        for (std::size_t k = 0; k < 100; ++k)
            benchmark::DoNotOptimize(
                OvfcMatchEx(probe.data(), ds[k % ds.size()].data(), &score, W, H));
}
BENCHMARK(BM_OvfcMatchEx_SameProbe100)->Unit(benchmark::kMillisecond);

// The same identification through the library core with the probe search cache switched
// off (1) or on (0): the cost of searching the probe again for every descriptor.
void BM_Identification100_Core(benchmark::State& bench) {
    static ovfc::LibraryState state;
    if (ovfc::loadConfiguration(state, kConfig) != 0)
        return bench.SkipWithError("no configuration");
    state.probeCache.enabled = bench.range(0) == 0;
    const auto ds = descriptors([](const facegen::Frame& f, std::uint8_t* d) {
        std::int16_t size = 0;
        return ovfc::createDescriptor(state, f.pixels.data(), W, H, nullptr, nullptr, d, &size);
    });
    const auto& probe = probePixels();
    std::int32_t score = 0;
    if (ovfc::matchItems(state, probe.data(), ds[0].data(), &score, W, H) != 0)
        return bench.SkipWithError("the probe does not process");
    for (auto _ : bench)
        for (std::size_t k = 0; k < 100; ++k)
            benchmark::DoNotOptimize(
                ovfc::matchItems(state, probe.data(), ds[k % ds.size()].data(), &score, W, H));
    bench.SetLabel(state.probeCache.enabled ? "probe search kept" : "probe searched every time");
}
BENCHMARK(BM_Identification100_Core)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One probe against 1000 descriptors through the exports, the descriptors shared out over
// `threads` threads that call the library at once (each takes the next unmatched one).
void BM_OvfcMatchEx_SameProbe1000_Threads(benchmark::State& bench) {
    if (OvfcLoadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    const auto ds = descriptors([](const facegen::Frame& f, std::uint8_t* d) {
        std::int16_t size = 0;
        return OvfcProcessingEx(f.pixels.data(), d, &size, W, H);
    });
    const auto& probe = probePixels();
    std::int32_t score = 0;
    if (ds.empty() || OvfcMatchEx(probe.data(), ds[0].data(), &score, W, H) != 0)
        return bench.SkipWithError("the probe does not process");
    constexpr int kFaces = 1000;
    const int threads = static_cast<int>(bench.range(0));
    for (auto _ : bench) {
        std::atomic<int> next{0};
        auto work = [&] {
            std::int32_t s = 0;
            for (int k; (k = next.fetch_add(1)) < kFaces;)
                benchmark::DoNotOptimize(
                    OvfcMatchEx(probe.data(), ds[k % ds.size()].data(), &s, W, H));
        };
        std::vector<std::thread> pool;
        for (int t = 1; t < threads; ++t) pool.emplace_back(work);
        work();
        for (std::thread& t : pool) t.join();
    }
    bench.counters["per_match"] = benchmark::Counter(
        kFaces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OvfcMatchEx_SameProbe1000_Threads)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
