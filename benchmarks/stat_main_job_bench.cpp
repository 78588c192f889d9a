// The README's main job through the real libraries: 10 persons x 6 generated images
// (seed 4), every image matched against every image with the shipped configuration, on one
// thread and on one thread per core (StatSettings::threads). One whole run per iteration;
// wall time is what the user waits for.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

#include "facegen.h"
#include "facelib/face_library.h"
#include "stats/library_matcher.h"
#include "stats/stat_run.h"

namespace {

constexpr const char* kConfig = OVFC_SOURCE_DIR "/config/ovfc.ini";

// The generated set, written once into a scratch folder removed at exit.
class MainJobSet {
  public:
    MainJobSet()
        : dir_(std::filesystem::temp_directory_path() /
               ("ovfc_main_job_" + std::to_string(::getpid()))) {
        ok_ = facegen::writeFaceSet(dir_.string(), 10, 6, 4, error_);
    }
    ~MainJobSet() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string pattern() const { return (dir_ / "*.TIF").string(); }

  private:
    std::filesystem::path dir_;
    std::string error_;
    bool ok_ = false;
};

const MainJobSet& mainJobSet() {
    static const MainJobSet set;
    return set;
}

void BM_MainJob(benchmark::State& bench) {
    const MainJobSet& set = mainJobSet();
    if (!set.ok()) return bench.SkipWithError(set.error().c_str());
    if (facelib::loadConfig(kConfig) != 0) return bench.SkipWithError("no configuration");
    stats::LibraryMatcher matcher;
    stats::SystemClock clock;
    stats::StatSettings settings;
    settings.sourcePath = set.pattern();
    settings.ignoreErrors = true;
    settings.invalidateCache = false;
    settings.threads = bench.range(0) == 0
                           ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                           : static_cast<int>(bench.range(0));
    for (auto _ : bench) {
        stats::StatRun run(matcher, clock);
        if (run.start(settings) != stats::StartResult::Ok)
            return bench.SkipWithError("the set does not list");
        while (!run.complete()) run.step();
        run.finish(false);
        benchmark::DoNotOptimize(run.score(0, 0));
    }
    bench.SetLabel(std::to_string(settings.threads) + " thread(s)");
}
// 1: one thread; 0: one thread per core.
BENCHMARK(BM_MainJob)->Arg(1)->Arg(0)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
