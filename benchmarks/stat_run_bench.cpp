// The statistics run's own bookkeeping, without the libraries: one step per pair with
// instant loading, processing and matching, and the log text of a finished run.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "stats/stat_log.h"
#include "stats/stat_run.h"

namespace {

class InstantClock final : public stats::StatClock {
  public:
    std::int64_t now() override { return 1700000000; }
    std::uint32_t tickMs() override { return ++ticks_; }
    std::tm localTime(std::int64_t s) override {
        const auto t = static_cast<std::time_t>(s);
        std::tm tm{};
        gmtime_r(&t, &tm);
        return tm;
    }

  private:
    std::uint32_t ticks_ = 0;
};

// Scores spread over 0..400 from the pair's names.
class InstantMatcher final : public stats::StatMatcher {
  public:
    int load(const std::string& path, stats::Picture& p) override {
        p.pixels.assign(path.end() - 8, path.end() - 4);
        return 0;
    }
    int process(const stats::Picture& s, std::vector<std::uint8_t>& d) override {
        d = s.pixels;
        return 0;
    }
    int match(const stats::Picture& r, const std::vector<std::uint8_t>& d,
              std::int32_t& score) override {
        score = (r.pixels[2] * 31 + r.pixels[3] * 7 + d[2] * 13 + d[3] * 3) % 401;
        return 0;
    }
    int invalidateCache() override { return 29; }
    std::string version() override { return "0.02.006"; }
};

// A folder of n empty image files named 0000PPII.TIF.
struct Folder {
    std::filesystem::path path;
    explicit Folder(int n) {
        path = std::filesystem::temp_directory_path() /
               ("ovfc_stat_bench_" + std::to_string(::getpid()) + "_" + std::to_string(n));
        std::filesystem::create_directories(path);
        for (int k = 0; k < n; ++k) {
            char name[16];
            std::snprintf(name, sizeof name, "0000%02d%02d.TIF", k / 10 % 100, k % 10 + 1);
            std::ofstream(path / name) << "x";
        }
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

void BM_StepsPerPair(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Folder folder(n);
    InstantClock clock;
    InstantMatcher matcher;
    stats::StatRun run(matcher, clock);
    stats::StatSettings settings;
    settings.sourcePath = folder.path.string() + "/*.TIF";
    std::int64_t pairs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        run.start(settings);
        state.ResumeTiming();
        while (!run.complete()) run.step();
        pairs += run.totalPairs();
    }
    state.SetItemsProcessed(pairs);
}
BENCHMARK(BM_StepsPerPair)->Arg(164)->Unit(benchmark::kMillisecond);

void BM_LogText(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Folder folder(n);
    InstantClock clock;
    InstantMatcher matcher;
    stats::StatRun run(matcher, clock);
    stats::StatSettings settings;
    settings.sourcePath = folder.path.string() + "/*.TIF";
    run.start(settings);
    while (!run.complete()) run.step();
    run.finish(false);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = stats::statLogText(run, "0.02.006", clock);
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_LogText)->Arg(164)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
