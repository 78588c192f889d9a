// Per-frame work of the capture library at the largest frame size.

#include <benchmark/benchmark.h>

#include <vector>

#include "convert.h"
#include "frame_buffer.h"

using namespace vfw;

namespace {

Frame testFrame(PixelFormat f) {
    Frame fr;
    fr.resize(640, 480, f);
    for (size_t i = 0; i < fr.data.size(); ++i) fr.data[i] = static_cast<uint8_t>(i * 7 + 64);
    return fr;
}

void BM_StoreMirrored(benchmark::State& state) {
    const Frame f = testFrame(static_cast<PixelFormat>(state.range(0)));
    FrameBuffer fb;
    for (auto _ : state) benchmark::DoNotOptimize(fb.store(f.view()));
}
BENCHMARK(BM_StoreMirrored)
    ->Arg(static_cast<int>(PixelFormat::Grey8))
    ->Arg(static_cast<int>(PixelFormat::Yuyv))
    ->Arg(static_cast<int>(PixelFormat::Rgb24));

void BM_CaptureGrey256x255(benchmark::State& state) {
    const Frame f = testFrame(static_cast<PixelFormat>(state.range(0)));
    std::vector<uint8_t> out(256 * 255);
    for (auto _ : state) {
        captureGrey(f.view(), out.data(), 256, 255);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_CaptureGrey256x255)
    ->Arg(static_cast<int>(PixelFormat::Grey8))
    ->Arg(static_cast<int>(PixelFormat::Yuyv))
    ->Arg(static_cast<int>(PixelFormat::Rgb24));

void BM_PreviewColour(benchmark::State& state) {
    const Frame f = testFrame(PixelFormat::Yuyv);
    std::vector<uint32_t> out(640 * 480);
    for (auto _ : state) {
        frameToRgb32(f.view(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PreviewColour);

void BM_Still320x240(benchmark::State& state) {
    const Frame f = testFrame(PixelFormat::Rgb24);
    for (auto _ : state) benchmark::DoNotOptimize(buildStill(f.view(), 320, 240));
}
BENCHMARK(BM_Still320x240);

}  // namespace

BENCHMARK_MAIN();
