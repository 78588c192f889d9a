// FindFaces on one 256 x 255 generated frame with the development configuration.

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "config_store.h"
#include "face/find_faces.h"
#include "face_context.h"
#include "facegen.h"
#include "library_state.h"
#include "status.h"

namespace {

void BM_FindFaces(benchmark::State& bench) {
    ovfc::LibraryState state;
    const std::string dir = std::string(OVFC_SOURCE_DIR) + "/config/synthetic/";
    if (state.config.load(dir + "ovfc.ini") != ovfc::kOk) {
        bench.SkipWithError("no configuration");
        return;
    }
    std::ifstream in(dir + "synthetic.dsc", std::ios::binary);
    const std::vector<std::uint8_t> blob((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    if (state.defaultMasks.read(blob.data(), blob.size(), ovfc::kNormalise) != ovfc::kOk) {
        bench.SkipWithError("no default masks");
        return;
    }
    const facegen::Frame f = facegen::generateFrame(2026, static_cast<int>(bench.range(0)), 1);
    for (auto _ : bench) {
        ovfc::FaceContext ctx(state);
        ctx.image.pixels = state.pool.take(f.pixels.size());
        std::memcpy(ctx.image.data(), f.pixels.data(), f.pixels.size());
        ctx.image.width = facegen::kWidth;
        ctx.image.height = facegen::kHeight;
        // The prior face window of the development configuration.
        ctx.face.xMin = 25;
        ctx.face.xMax = 230;
        ctx.face.yMin = 25;
        ctx.face.yMax = 216;
        int x[11], y[11], s[11], u[11], n = 0;
        const int rc = ovfc::FindFaces(ctx, 11, x, y, s, u, n);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(x[0]);
    }
}
BENCHMARK(BM_FindFaces)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
