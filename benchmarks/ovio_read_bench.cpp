// OvReadImage of grey TIFF files: a 512 x 512 picture fitted into the standard frame and
// a 256 x 255 one copied unchanged.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ovio32.h"

namespace {

// Writes a grey TIFF of the given size into /tmp once per run and removes it at exit.
class TiffFile {
  public:
    TiffFile(int w, int h) {
        path_ = "/tmp/ovio-bench-" + std::to_string(::getpid()) + "-" + std::to_string(w) + "x" +
                std::to_string(h) + ".tif";
        std::vector<uint8_t> px(size_t(w) * h);
        for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 7 + i / w);
        const uint32_t size = static_cast<uint32_t>(w) | (static_cast<uint32_t>(h) << 16);
        ok_ = OvWriteClip(path_.c_str(), px.data(), 4, &size) == 0;
    }
    ~TiffFile() { std::remove(path_.c_str()); }
    const char* name() const { return path_.c_str(); }
    bool ok() const { return ok_; }

  private:
    std::string path_;
    bool ok_ = false;
};

void readImage(benchmark::State& state, int w, int h) {
    const TiffFile file(w, h);
    if (!file.ok()) {
        state.SkipWithError("cannot write the test TIFF");
        return;
    }
    std::vector<uint8_t> frame(65280);
    for (auto _ : state) {
        if (OvReadImage(file.name(), frame.data(), 4) != 0) {
            state.SkipWithError("OvReadImage failed");
            break;
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(w) * h);
}

void BM_OvReadImage_Tiff512x512(benchmark::State& state) {
    readImage(state, 512, 512);
}
void BM_OvReadImage_Tiff256x255(benchmark::State& state) {
    readImage(state, 256, 255);
}

}  // namespace

BENCHMARK(BM_OvReadImage_Tiff512x512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OvReadImage_Tiff256x255)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
