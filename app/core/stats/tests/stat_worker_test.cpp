#include "stats/stat_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "fake_seams.h"

using namespace stats;
using stats_test::FakeClock;
using stats_test::FakeMatcher;
using stats_test::ScratchFolder;

namespace {

class StatWorkerTest : public ::testing::Test {
  protected:
    ScratchFolder folder{"worker", {"00000101.TIF", "00000102.TIF", "00000201.TIF"}};
    FakeClock clock;
    FakeMatcher matcher{clock};
    StatRun run{matcher, clock};
    StatSettings settings;
    int steps = 0, stops = 0, finishes = 0;
    StatWorker::Events events{[this](const StatRun&, const StepResult&) { ++steps; },
                              [this](const StatRun&) { ++stops; },
                              [this](const StatRun&) { ++finishes; }};

    void SetUp() override { settings.sourcePath = folder.dir() + "*.TIF"; }
};

}  // namespace

TEST_F(StatWorkerTest, RunsToTheEndAndFinishesItself) {
    StatWorker worker(run, events);
    ASSERT_EQ(worker.start(settings), StartResult::Ok);
    worker.wait();
    EXPECT_EQ(worker.state(), StatWorker::State::Finished);
    EXPECT_TRUE(run.complete());
    EXPECT_TRUE(run.finished());
    EXPECT_FALSE(run.finishedByUser());
    EXPECT_EQ(steps, 9);
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(finishes, 1);
    // A new start runs again from the beginning.
    ASSERT_EQ(worker.start(settings), StartResult::Ok);
    worker.wait();
    EXPECT_EQ(steps, 18);
    EXPECT_EQ(finishes, 2);
}

TEST_F(StatWorkerTest, EmptySetsDoNotStart) {
    StatWorker worker(run, events);
    settings.sampleMask = "x*";
    EXPECT_EQ(worker.start(settings), StartResult::ImagesNotFound);
    EXPECT_EQ(worker.state(), StatWorker::State::Idle);
}

TEST_F(StatWorkerTest, StopStepContinueAndFinish) {
    StatWorker* self = nullptr;
    // "Stop" pressed while the fourth pair is being matched.
    matcher.beforeMatch = [&](const std::string& s, const std::string& r) {
        if (s == "00000102" && r == "00000101") self->stop();
    };
    StatWorker worker(run, events);
    self = &worker;
    ASSERT_EQ(worker.start(settings), StartResult::Ok);
    worker.wait();
    EXPECT_EQ(worker.state(), StatWorker::State::Stopped);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(run.matchedPairs(), 4);  // the current step was completed
    matcher.beforeMatch = nullptr;

    worker.step();
    EXPECT_EQ(run.matchedPairs(), 5);
    EXPECT_EQ(worker.state(), StatWorker::State::Stopped);

    worker.finish();  // stopped: finishes at once
    EXPECT_EQ(worker.state(), StatWorker::State::Finished);
    EXPECT_TRUE(run.finishedByUser());
    EXPECT_FALSE(run.complete());
    EXPECT_EQ(finishes, 1);
}

TEST_F(StatWorkerTest, AFailureStopsTheWorkerUnlessErrorsAreIgnored) {
    matcher.matchFailures[{"00000101", "00000102"}] = 29;
    {
        StatWorker worker(run, events);
        ASSERT_EQ(worker.start(settings), StartResult::Ok);
        worker.wait();
        EXPECT_EQ(worker.state(), StatWorker::State::Stopped);
        EXPECT_EQ(run.matchedPairs(), 2);
        worker.resume();
        worker.wait();
        EXPECT_EQ(worker.state(), StatWorker::State::Finished);
        EXPECT_FALSE(run.finishedByUser());
        EXPECT_EQ(run.matchingErrors(), 1);
    }
    settings.ignoreErrors = true;
    StatWorker worker(run, events);
    ASSERT_EQ(worker.start(settings), StartResult::Ok);
    worker.wait();
    EXPECT_EQ(worker.state(), StatWorker::State::Finished);
    EXPECT_EQ(run.matchingErrors(), 1);
}

TEST_F(StatWorkerTest, FinishWhileRunningEndsAfterTheCurrentStep) {
    std::mutex lock;
    std::condition_variable cv;
    bool inMatch = false, released = false;
    matcher.beforeMatch = [&](const std::string& s, const std::string& r) {
        if (s != "00000101" || r != "00000102") return;
        std::unique_lock<std::mutex> l(lock);
        inMatch = true;
        cv.notify_all();
        cv.wait(l, [&] { return released; });
    };
    StatWorker worker(run, events);
    ASSERT_EQ(worker.start(settings), StartResult::Ok);
    {
        std::unique_lock<std::mutex> l(lock);
        cv.wait(l, [&] { return inMatch; });
    }
    EXPECT_EQ(worker.state(), StatWorker::State::Running);
    worker.finish();
    {
        std::lock_guard<std::mutex> l(lock);
        released = true;
    }
    cv.notify_all();
    worker.wait();
    EXPECT_EQ(worker.state(), StatWorker::State::Finished);
    EXPECT_TRUE(run.finishedByUser());
    EXPECT_EQ(run.matchedPairs(), 2);
    EXPECT_EQ(finishes, 1);
}
