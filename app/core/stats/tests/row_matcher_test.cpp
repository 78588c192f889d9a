// Rows matched ahead on several threads give the one-thread run's results, also where the
// run stops at a failure.

#include <gtest/gtest.h>

#include <mutex>

#include "fake_seams.h"
#include "stats/stat_run.h"

using namespace stats;
using stats_test::FakeClock;
using stats_test::FakeMatcher;
using stats_test::ScratchFolder;

namespace {

// The fake libraries and clock behind one lock, so that worker threads may call them.
class Serialised final : public StatMatcher, public StatClock {
  public:
    FakeClock clock;
    FakeMatcher matcher{clock};

    int load(const std::string& path, Picture& picture) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        return matcher.load(path, picture);
    }
    int process(const Picture& sample, std::vector<std::uint8_t>& descriptor) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        return matcher.process(sample, descriptor);
    }
    int match(const Picture& reg, const std::vector<std::uint8_t>& descriptor,
              std::int32_t& score) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        return matcher.match(reg, descriptor, score);
    }
    int invalidateCache() override { return matcher.invalidateCache(); }
    std::string version() override { return matcher.version(); }
    std::int64_t now() override { return clock.now(); }
    std::uint32_t tickMs() override {
        const std::lock_guard<std::mutex> lock(mutex_);
        return clock.tickMs();
    }
    std::tm localTime(std::int64_t s) override { return clock.localTime(s); }

  private:
    std::mutex mutex_;
};

// What a run ended with, times aside (they depend on the threads' interleaving).
struct Outcome {
    int sample = 0, reg = 0;
    std::vector<std::uint16_t> scores;
    std::vector<std::int32_t> raw;
    std::vector<std::uint32_t> owns, strangers;
    int loading = 0, processing = 0, matching = 0;
    std::uint32_t timedMatches = 0;
    FailureKind failure = FailureKind::None;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << "stop " << o.sample << "/" << o.reg << " errors " << o.loading << "/"
        << o.processing << "/" << o.matching;
}

class RowMatcherTest : public ::testing::Test {
  protected:
    ScratchFolder folder{"rows", {"00000101.TIF", "00000102.TIF", "00000201.TIF",
                                  "00000202.TIF", "00000301.TIF", "00000302.TIF"}};

    // Scores that differ for every pair, a registered image that does not load, a sample
    // that does not process and a pair that does not match.
    static void arrange(FakeMatcher& m) {
        const char* names[] = {"00000101", "00000102", "00000201",
                               "00000202", "00000301", "00000302"};
        int k = 0;
        for (const char* s : names)
            for (const char* r : names) m.scores[{s, r}] = 37 * k++ % 450 - 20;
        m.loadFailures["00000202"] = 21;
        m.processFailures["00000102"] = 30;
        m.matchFailures[{"00000201", "00000301"}] = 26;
    }

    Outcome runWith(int threads, bool ignoreErrors) {
        Serialised seams;
        arrange(seams.matcher);
        StatRun run(seams, seams);
        StatSettings settings;
        settings.sourcePath = folder.dir() + "*.TIF";
        settings.ignoreErrors = ignoreErrors;
        settings.threads = threads;
        EXPECT_EQ(run.start(settings), StartResult::Ok);
        for (int guard = 0; !run.complete() && guard < 1000; ++guard) {
            // Without "ignore errors" the run stops at its first failure, as its callers do.
            if (run.step().stopRun) break;
        }
        run.finish(!run.complete());
        Outcome o;
        o.sample = run.sampleIndex();
        o.reg = run.registeredIndex();
        for (int i = 0; i < run.sampleCount(); ++i)
            for (int j = 0; j < run.registeredCount(); ++j) {
                o.scores.push_back(run.score(i, j));
                o.raw.push_back(run.rawScore(i, j));
            }
        for (const ScoreCount& c : run.histogram()) {
            o.owns.push_back(c.owns);
            o.strangers.push_back(c.strangers);
        }
        o.loading = run.loadingErrors();
        o.processing = run.processingErrors();
        o.matching = run.matchingErrors();
        o.timedMatches = run.matchingTimes().count;
        o.failure = run.lastFailure();
        return o;
    }
};

TEST_F(RowMatcherTest, SeveralThreadsGiveTheOneThreadRun) {
    const Outcome one = runWith(1, true);
    ASSERT_EQ(one.loading, 5);  // 00000202 fails in each of the five rows that are matched
    ASSERT_EQ(one.processing, 1);
    ASSERT_EQ(one.matching, 1);
    for (int threads : {2, 3, 8}) EXPECT_EQ(runWith(threads, true), one) << threads;
}

TEST_F(RowMatcherTest, ARunThatStopsStopsAtTheSamePairWithTheSameState) {
    const Outcome one = runWith(1, false);
    // The first row stops at its fourth image, which does not load; the rows matched ahead
    // of it must leave no trace.
    ASSERT_EQ(one.sample, 0);
    ASSERT_EQ(one.reg, 4);
    ASSERT_EQ(one.failure, FailureKind::Registered);
    for (int threads : {2, 3}) EXPECT_EQ(runWith(threads, false), one) << threads;
}

}  // namespace
