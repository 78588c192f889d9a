#include "stats/stat_run.h"

#include <gtest/gtest.h>

#include "fake_seams.h"
#include "strings/string_table.h"

using namespace stats;
using stats_test::FakeClock;
using stats_test::FakeMatcher;
using stats_test::ScratchFolder;

namespace {

const std::vector<std::string> kFiles = {"00000101.TIF", "00000102.TIF", "00000201.TIF",
                                         "00000202.tif", "12340101.TIF", "00000301.BMP",
                                         "README.txt"};

struct Recorder final : StatProgress {
    std::vector<std::string> texts;
    void status(const std::string& text) override { texts.push_back(text); }
};

class StatRunTest : public ::testing::Test {
  protected:
    ScratchFolder folder{"run", kFiles};
    FakeClock clock;
    FakeMatcher matcher{clock};
    StatRun run{matcher, clock};
    StatSettings settings;

    void SetUp() override {
        settings.sourcePath = folder.dir() + "*.TIF";
        settings.ignoreErrors = true;
    }
    void runToEnd() {
        ASSERT_EQ(run.start(settings), StartResult::Ok);
        for (int guard = 0; !run.complete() && guard < 1000; ++guard) run.step();
        ASSERT_TRUE(run.complete());
        run.finish(false);
    }
};

}  // namespace

TEST_F(StatRunTest, ListsBothSetsByExtensionAndMaskInNameOrder) {
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    ASSERT_EQ(run.sampleCount(), 4);
    EXPECT_EQ(run.samples()[0].name, "00000101");
    EXPECT_EQ(run.samples()[3].name, "00000202");  // ".tif" counts as ".TIF"
    EXPECT_EQ(run.samples()[3].path, folder.dir() + "00000202.tif");
    EXPECT_EQ(run.registeredCount(), 4);  // "0000??*": 12340101 is left out
    EXPECT_EQ(run.sampleIndex(), 0);
    EXPECT_EQ(run.registeredIndex(), 0);
    EXPECT_EQ(run.score(0, 0), kNotMatched);
    EXPECT_EQ(run.totalPairs(), 16);
    EXPECT_EQ(run.startTime(), clock.seconds);
    EXPECT_EQ(matcher.cacheCalls, 1);  // "invalidate cache" asks the library, answer ignored

    settings.invalidateCache = false;
    settings.sampleMask = "000001*";
    settings.destPath = folder.dir() + "*.bmp";
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    EXPECT_EQ(run.sampleCount(), 2);
    ASSERT_EQ(run.registeredCount(), 1);
    EXPECT_EQ(run.registered()[0].name, "00000301");
    EXPECT_EQ(matcher.cacheCalls, 1);
}

TEST_F(StatRunTest, EmptySetsAreNotFoundAndLeaveTheRunAlone) {
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    run.step();
    settings.sampleMask = "9*";
    EXPECT_EQ(run.start(settings), StartResult::ImagesNotFound);
    settings.sampleMask = "0000*";
    settings.destPath = folder.dir() + "*.PIC";
    EXPECT_EQ(run.start(settings), StartResult::ImagesNotFound);
    settings.destPath = folder.dir() + "missing/*.TIF";
    EXPECT_EQ(run.start(settings), StartResult::ImagesNotFound);
    EXPECT_EQ(run.matchedPairs(), 1);  // the earlier run is untouched
    EXPECT_EQ(run.sampleCount(), 4);
}

TEST_F(StatRunTest, AFolderPathStandsForItsTifFiles) {
    settings.sourcePath = folder.dir();
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    EXPECT_EQ(run.sampleCount(), 4);
    EXPECT_EQ(run.registeredCount(), 4);
}

TEST_F(StatRunTest, RegisteredSetAsExplicitFilesIsTakenAsGiven) {
    settings.registeredFiles =
        std::vector<std::string>{folder.dir() + "12340101.TIF", folder.dir() + "00000102.TIF"};
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    ASSERT_EQ(run.registeredCount(), 2);
    EXPECT_EQ(run.registered()[0].name, "12340101");
    EXPECT_EQ(run.registered()[1].path, folder.dir() + "00000102.TIF");
}

TEST_F(StatRunTest, StepsWalkThePairsRowByRow) {
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    Recorder progress;
    const StepResult first = run.step(&progress);
    EXPECT_FALSE(first.complete);
    EXPECT_EQ(first.kind, FailureKind::None);
    EXPECT_EQ(first.lastScore, 150);
    EXPECT_EQ(first.lastMs, 30u);
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"Registration... Please wait.",
                                        "Verification... Please wait.", "Loading image..."}));
    EXPECT_EQ(run.matchedPairs(), 1);
    run.step();
    EXPECT_EQ(matcher.calls,
              (std::vector<std::string>{"load 00000101", "process 00000101", "load 00000101",
                                        "match 00000101 00000101", "load 00000102",
                                        "match 00000101 00000102"}));
    run.step();
    run.step();
    EXPECT_EQ(run.sampleIndex(), 1);  // after the row: next sample, first registered image
    EXPECT_EQ(run.registeredIndex(), 0);
    for (int k = 0; k < 12; ++k) run.step();
    EXPECT_TRUE(run.complete());
    EXPECT_EQ(run.sampleIndex(), 3);  // the last sample stays, j moves past the end
    EXPECT_EQ(run.registeredIndex(), 4);
    EXPECT_EQ(run.matchedPairs(), 16);
    const std::size_t calls = matcher.calls.size();
    EXPECT_TRUE(run.step().complete);
    EXPECT_EQ(matcher.calls.size(), calls);  // a complete run does nothing more
    EXPECT_EQ(run.processingTimes().count, 4u);
    EXPECT_EQ(run.matchingTimes().count, 16u);
    EXPECT_EQ(run.histogram()[150].owns, 8u);
    EXPECT_EQ(run.histogram()[150].strangers, 8u);
}

TEST_F(StatRunTest, ScoresOutsideTheRangeAreBoundedNeverAnErrorMark) {
    matcher.scores[{"00000101", "00000101"}] = 401;
    matcher.scores[{"00000101", "00000102"}] = 100000;
    matcher.scores[{"00000101", "00000201"}] = -7;
    runToEnd();
    EXPECT_EQ(run.score(0, 0), 400);
    EXPECT_EQ(run.score(0, 1), 400);
    EXPECT_EQ(run.score(0, 2), 0);
    EXPECT_EQ(run.rawScore(0, 0), 401);
    EXPECT_EQ(run.rawScore(0, 2), -7);
    EXPECT_EQ(run.histogram()[400].owns, 2u);
    EXPECT_EQ(run.histogram()[0].strangers, 1u);
    EXPECT_EQ(run.histogram()[kErrorScore].owns + run.histogram()[kErrorScore].strangers, 0u);
    EXPECT_EQ(run.errors(), 0);
}

TEST_F(StatRunTest, ASampleThatCannotBeLoadedMarksItsWholeRow) {
    matcher.loadFailures["00000102"] = 20;  // also a registered image: one error per use
    Recorder progress;
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    while (run.sampleIndex() < 1) run.step(&progress);
    const StepResult r = run.step(&progress);  // sample 00000102
    EXPECT_EQ(r.kind, FailureKind::Sample);
    EXPECT_EQ(r.errorCode, 20);
    EXPECT_FALSE(r.stopRun);  // errors are ignored here
    EXPECT_EQ(progress.texts.back(), "Bad image format");
    EXPECT_EQ(run.sampleIndex(), 2);  // on with the next sample
    EXPECT_EQ(run.registeredIndex(), 0);
    for (int reg = 0; reg < 4; ++reg) EXPECT_EQ(run.score(1, reg), kErrorScore) << reg;
    while (!run.complete()) run.step();
    // Sample row: 4 error pairs; registered 00000102 failed for samples 1, 3 and 4.
    EXPECT_EQ(run.loadingErrors(), 4);
    EXPECT_EQ(run.processingErrors(), 0);
    EXPECT_EQ(run.score(0, 1), kErrorScore);
    EXPECT_EQ(run.score(2, 1), kErrorScore);
    EXPECT_EQ(run.score(2, 0), 150);
    // Row of 00000102: owns 00000101, 00000102; strangers 00000201, 00000202. Column
    // 00000102 for the others: own for 00000101, strangers for 00000201 and 00000202.
    EXPECT_EQ(run.histogram()[kErrorScore].owns, 3u);
    EXPECT_EQ(run.histogram()[kErrorScore].strangers, 4u);
    EXPECT_EQ(run.processingTimes().count, 3u);
    EXPECT_EQ(run.matchingTimes().count, 9u);
}

TEST_F(StatRunTest, ProcessingAndMatchingFailuresAreCountedApart) {
    matcher.processFailures["00000201"] = 30;
    matcher.matchFailures[{"00000101", "00000202"}] = 27;
    runToEnd();
    EXPECT_EQ(run.processingErrors(), 1);
    EXPECT_EQ(run.matchingErrors(), 1);
    EXPECT_EQ(run.loadingErrors(), 0);
    EXPECT_EQ(run.errors(), 2);
    EXPECT_EQ(run.score(0, 3), kErrorScore);
    for (int reg = 0; reg < 4; ++reg) EXPECT_EQ(run.score(2, reg), kErrorScore);
    EXPECT_EQ(run.processingTimes().count, 3u);  // the failed call is not timed
    EXPECT_EQ(run.matchingTimes().count, 11u);   // 12 pairs with a processed sample
    EXPECT_EQ(run.histogram()[kErrorScore].owns, 2u);
    EXPECT_EQ(run.histogram()[kErrorScore].strangers, 3u);
}

TEST_F(StatRunTest, WithoutIgnoreErrorsTheFailingStepAsksToStop) {
    settings.ignoreErrors = false;
    matcher.matchFailures[{"00000101", "00000201"}] = 29;
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    EXPECT_FALSE(run.step().stopRun);
    EXPECT_FALSE(run.step().stopRun);
    const StepResult r = run.step();
    EXPECT_TRUE(r.stopRun);
    EXPECT_EQ(r.kind, FailureKind::Matching);
    EXPECT_EQ(run.lastFailure(), FailureKind::Matching);
    EXPECT_EQ(run.matchedPairs(), 3);
    EXPECT_EQ(run.lastFailure(), FailureKind::Matching);
    run.step();
    EXPECT_EQ(run.lastFailure(), FailureKind::None);
}

TEST_F(StatRunTest, CallTimesAndTheTimeLeft) {
    matcher.processMs["00000101"] = 120;
    matcher.processMs["00000102"] = 80;
    matcher.matchMs = [](const std::string& s) { return s == "00000101" ? 30u : 50u; };
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    EXPECT_FALSE(run.timeLeftMs());
    run.step();
    // 3 samples and 3 + 12 pairs left: 3 x 120 + 15 x 30.
    ASSERT_TRUE(run.timeLeftMs());
    EXPECT_EQ(*run.timeLeftMs(), 810u);
    run.step();
    run.step();
    run.step();
    run.step();  // sample 00000102 (80 ms) and one match of 50
    EXPECT_EQ(run.processingTimes().min, 80u);
    EXPECT_EQ(run.processingTimes().max, 120u);
    EXPECT_EQ(*run.processingTimes().average(), 100u);
    EXPECT_EQ(run.matchingTimes().total, 170u);
    EXPECT_EQ(*run.matchingTimes().average(), 34u);
    // i = 1, j = 1: 2 x 100 + (2 x 4 + 4 - 1) x 34.
    EXPECT_EQ(*run.timeLeftMs(), 574u);
    while (!run.complete()) run.step();
    EXPECT_EQ(*run.timeLeftMs(), 0u);
    clock.seconds += 61;
    run.finish(false);
    EXPECT_EQ(run.finishTime() - run.startTime(), 61);
    EXPECT_TRUE(run.finished());
    EXPECT_FALSE(run.finishedByUser());
}

TEST(StatRunUserList, PicturesOfOnePersonAreOwnsAndEachPictureWithItself) {
    ScratchFolder base{"users", {"B174ED90.TIF", "B174ED91.TIF", "B174ED80.TIF", "Users.Dbf"}};
    FakeClock clock;
    FakeMatcher matcher{clock};
    StatRun run{matcher, clock};
    StatSettings settings;
    settings.destPath = "elsewhere/*.TIF";
    useUserList(settings, base.dir());
    EXPECT_EQ(settings.sourcePath, base.dir() + "*.TIF");
    EXPECT_EQ(settings.destPath, "");
    EXPECT_EQ(settings.sampleMask, "*");
    EXPECT_EQ(settings.ownMask, "#?");
    ASSERT_EQ(run.start(settings), StartResult::Ok);
    EXPECT_EQ(run.sampleCount(), 3);
    EXPECT_EQ(run.registeredCount(), 3);
    for (int guard = 0; !run.complete() && guard < 100; ++guard) run.step();
    // Owns: each picture with itself (3) and the two pictures of B174ED9 with each other (2).
    EXPECT_EQ(run.histogram()[150].owns, 5u);
    EXPECT_EQ(run.histogram()[150].strangers, 4u);

    StatSettings bare;
    useUserList(bare, "Base");
    EXPECT_EQ(bare.sourcePath, "Base/*.TIF");
}

TEST(StatRunFormats, ProgressTexts) {
    EXPECT_EQ(formatTimeLeft(0), " 0:00:00");
    EXPECT_EQ(formatTimeLeft(3'723'999), " 1:02:03");
    EXPECT_EQ(formatTimeLeft(100ull * 3600 * 1000), "100:00:00");
    EXPECT_EQ(formatWorkTime(0), " 0:00");
    EXPECT_EQ(formatWorkTime(125), " 2:05");
    EXPECT_EQ(formatElapsed(1234), "  1.234 sec.");
    EXPECT_EQ(formatElapsed(45), "  0.045 sec.");
    EXPECT_EQ(boundedScore(-1), 0);
    EXPECT_EQ(boundedScore(200), 200);
    EXPECT_EQ(boundedScore(401), 400);
}
