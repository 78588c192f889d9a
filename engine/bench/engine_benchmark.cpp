// Costs of the library-wide pieces that every call uses: pool requests, image intake,
// descriptor reading and the similarity score.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_pool.h"
#include "config_store.h"
#include "descriptor_blob.h"
#include "face_context.h"
#include "image_intake.h"
#include "library_state.h"
#include "mask.h"
#include "score.h"

namespace {

void BM_PoolTakeAndGiveBack(benchmark::State& st) {
    ovfc::BlockPool pool;
    for (auto _ : st) {
        ovfc::PoolBlock image = pool.take(65280);
        ovfc::PoolBlock vector = pool.take(288);
        ovfc::PoolBlock temp = pool.take(3072);
        benchmark::DoNotOptimize(image.data());
        benchmark::DoNotOptimize(vector.data());
        benchmark::DoNotOptimize(temp.data());
    }
}
BENCHMARK(BM_PoolTakeAndGiveBack);

void BM_TakeInFrame(benchmark::State& st) {
    ovfc::LibraryState state;
    state.config.set("param", "Number_of_face_elements", "8");
    state.config.set("param", "using_descriptors_mask", "511");
    state.config.set("param", "gamma", std::to_string(st.range(0)));
    std::vector<std::uint8_t> frame(256 * 255);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 37 % 251);
    for (auto _ : st) {
        ovfc::FaceContext ctx(state);
        benchmark::DoNotOptimize(ovfc::takeInImage(ctx, frame.data(), 256, 255, nullptr));
    }
}
BENCHMARK(BM_TakeInFrame)->Arg(0)->Arg(1);

void BM_ReadDescriptorNormalised(benchmark::State& st) {
    // Ten masks of typical sizes, about 2.6 kB.
    std::vector<std::uint8_t> blob(ovfc::kBlobHeaderSize);
    std::memcpy(blob.data(), ovfc::kDescriptorMagic, ovfc::kMagicSize);
    blob[8] = 3;
    blob[9] = 10;
    const int sizes[10][2] = {{24, 28}, {20, 24}, {15, 11}, {15, 11}, {15, 15},
                              {21, 11}, {11, 11}, {11, 11}, {21, 11}, {17, 9}};
    for (int m = 0; m < 10; ++m) {
        const int w = sizes[m][0], h = sizes[m][1];
        const std::uint8_t head[14] = {static_cast<std::uint8_t>((14 + w * h) & 0xFF),
                                       static_cast<std::uint8_t>((14 + w * h) >> 8),
                                       static_cast<std::uint8_t>(m == 0 ? 255 : m - 1),
                                       static_cast<std::uint8_t>(w),
                                       0,
                                       static_cast<std::uint8_t>(h),
                                       0,
                                       100,
                                       0,
                                       100,
                                       0,
                                       0,
                                       0,
                                       0};
        blob.insert(blob.end(), head, head + 14);
        for (int i = 0; i < w * h; ++i) blob.push_back(static_cast<std::uint8_t>(i * 13 + m));
    }
    ovfc::BlockPool pool;
    ovfc::MaskSet set(pool);
    for (auto _ : st)
        benchmark::DoNotOptimize(set.read(blob.data(), blob.size(), ovfc::kNormalise));
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * blob.size()));
}
BENCHMARK(BM_ReadDescriptorNormalised);

void BM_SimilarityScore(benchmark::State& st) {
    ovfc::ConfigStore config;
    for (int e = 0; e < ovfc::kElementCount; ++e) {
        for (int k = 1; k <= 9; ++k) {
            const std::string base = ovfc::kElementNames[e] + std::to_string(k);
            config.set("det", base + "_on", "1");
            config.set("det", base + "_min", "1000");
        }
    }
    config.set("det", "add_parm_weight", "2.0");
    std::vector<std::int32_t> v(ovfc::kVectorEntries);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = 900 + static_cast<std::int32_t>(i * 7 % 300);
    for (auto _ : st) benchmark::DoNotOptimize(ovfc::SimilarityScore(config, 8, 0x1FF, v.data()));
}
BENCHMARK(BM_SimilarityScore);

}  // namespace

BENCHMARK_MAIN();
