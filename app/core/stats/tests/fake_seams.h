#pragma once
// Stand-ins for the statistics run's clock and libraries: fixed times, injected scores and
// failures, keyed by image names.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "platform/paths.h"
#include "stats/stat_files.h"
#include "stats/stat_seams.h"

namespace stats_test {

class FakeClock final : public stats::StatClock {
  public:
    std::int64_t seconds = 1700000000;  // Tue Nov 14 22:13:20 2023 UTC
    std::uint32_t ticks = 0xFFFFFF00u;  // near the wrap-around on purpose
    std::int64_t now() override { return seconds; }
    std::uint32_t tickMs() override { return ticks; }
    std::tm localTime(std::int64_t s) override {
        const auto t = static_cast<std::time_t>(s);
        std::tm tm{};
        gmtime_r(&t, &tm);  // fixed "local" time for every machine
        return tm;
    }
};

// Pictures carry their image name as pixels, descriptors the sample's name.
class FakeMatcher final : public stats::StatMatcher {
  public:
    explicit FakeMatcher(FakeClock& clock) : clock_(clock) {}

    std::map<std::string, int> loadFailures;         // image name or path -> status
    std::map<std::string, int> processFailures;      // sample name -> status
    std::map<std::string, std::uint32_t> processMs;  // sample name -> time (default 100)
    // (sample, registered) -> score, or a failing status in matchFailures.
    std::map<std::pair<std::string, std::string>, std::int32_t> scores;
    std::map<std::pair<std::string, std::string>, int> matchFailures;
    std::function<std::uint32_t(const std::string& sample)> matchMs = [](const std::string&) {
        return 30u;
    };
    // Called before each match, e.g. to stop a worker at a given pair.
    std::function<void(const std::string& sample, const std::string& reg)> beforeMatch;

    int cacheCalls = 0;
    std::vector<std::string> calls;  // "load NAME", "process NAME", "match SAMPLE REG"

    int load(const std::string& path, stats::Picture& picture) override {
        const std::string name = stats::stemOf(platform::fileNamePart(path));
        calls.push_back("load " + name);
        if (auto it = loadFailures.find(path); it != loadFailures.end()) return it->second;
        if (auto it = loadFailures.find(name); it != loadFailures.end()) return it->second;
        picture.pixels.assign(name.begin(), name.end());
        picture.width = static_cast<std::uint16_t>(name.size());
        picture.height = 1;
        return 0;
    }
    int process(const stats::Picture& sample, std::vector<std::uint8_t>& descriptor) override {
        const std::string name(sample.pixels.begin(), sample.pixels.end());
        calls.push_back("process " + name);
        auto ms = processMs.find(name);
        clock_.ticks += ms == processMs.end() ? 100 : ms->second;
        if (auto it = processFailures.find(name); it != processFailures.end()) return it->second;
        descriptor = sample.pixels;
        return 0;
    }
    int match(const stats::Picture& registered, const std::vector<std::uint8_t>& descriptor,
              std::int32_t& score) override {
        const std::string sample(descriptor.begin(), descriptor.end());
        const std::string reg(registered.pixels.begin(), registered.pixels.end());
        calls.push_back("match " + sample + " " + reg);
        if (beforeMatch) beforeMatch(sample, reg);
        clock_.ticks += matchMs(sample);
        if (auto it = matchFailures.find({sample, reg}); it != matchFailures.end())
            return it->second;
        auto it = scores.find({sample, reg});
        score = it == scores.end() ? 150 : it->second;
        return 0;
    }
    int invalidateCache() override {
        ++cacheCalls;
        return 29;
    }
    std::string version() override { return "0.02.006"; }

  private:
    FakeClock& clock_;
};

// A scratch folder with empty files of the given names; removed at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& tag, const std::vector<std::string>& files = {}) {
        path_ = std::filesystem::temp_directory_path() /
                ("ovfc_stats_" + tag + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        for (const auto& f : files) add(f);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    void add(const std::string& file) { std::ofstream(path_ / file) << "x"; }
    std::string dir() const { return path_.string() + "/"; }

  private:
    std::filesystem::path path_;
};

}  // namespace stats_test
