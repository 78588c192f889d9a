// Cost of the capture path itself (strip reads, resampling, colour handling) on a board
// whose reads are plain memory copies, and of the histogram measure of the tuning.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "tune_levels.h"

namespace {

// A colour board of 640 x 480 that reads from memory.
class MemoryBoard final : public ovf::tFrameGrabber {
  public:
    MemoryBoard() : pixels_(640 * 480 * 3) {
        for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = uint8_t(i * 7 / 5);
        descriptor_ = ovf::fpvDescriptor();
        descriptor_.frameWidth = 640;
        descriptor_.frameHeight = 480;
        descriptor = &descriptor_;
        initialised = true;
    }
    int16_t Grab() override { return 0; }
    int32_t ReadImage(const ovf::Rect& s, const ovf::Rect*, uint8_t* memory) override {
        for (int r = 0; r < s.height; ++r)
            std::memcpy(memory + size_t(r) * size_t(s.width) * 3,
                        &pixels_[(size_t(s.y + r) * 640 + size_t(s.x)) * 3], size_t(s.width) * 3);
        return s.area() * 3;
    }

  private:
    std::vector<uint8_t> pixels_;
    ovf::BoardDescriptor descriptor_{};
};

void useMemoryBoard() {
    auto& s = ovf::lib();
    if (s.board != 99) {
        s.driver = std::make_unique<MemoryBoard>();
        s.board = 99;
    }
}

void BM_CaptureGrey256(benchmark::State& state) {
    useMemoryBoard();
    std::vector<uint8_t> frame(512 * 512 * 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovf::captureFrame(0, frame.data(), 0x10));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480 * 3);
}
BENCHMARK(BM_CaptureGrey256);

void BM_CaptureColour512(benchmark::State& state) {
    useMemoryBoard();
    std::vector<uint8_t> frame(512 * 512 * 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ovf::captureFrame(0, frame.data(), 0x1A));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480 * 3);
}
BENCHMARK(BM_CaptureColour512);

void BM_TuneLevels(benchmark::State& state) {
    std::vector<uint8_t> frame(ovf::kFrameBytes);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i * 13);
    for (auto _ : state) benchmark::DoNotOptimize(ovf::measureLevels(frame.data(), frame.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * ovf::kFrameBytes);
}
BENCHMARK(BM_TuneLevels);

}  // namespace

BENCHMARK_MAIN();
