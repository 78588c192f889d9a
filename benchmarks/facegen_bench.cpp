// Rendering speed of one synthetic 256 x 255 face frame.

#include <benchmark/benchmark.h>

#include <vector>

#include "facegen.h"

static void BM_FacegenFrame(benchmark::State& state) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(facegen::kWidth) * facegen::kHeight);
    int image = 0;
    for (auto _ : state) {
        const int n = image++ % 50;
        const facegen::Person who = facegen::makePerson(1, 1 + n / 10);
        const facegen::Pose pose = facegen::makePose(who, 1, 1 + n / 10, 1 + n % 10);
        facegen::renderFrame(who, pose, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FacegenFrame)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
