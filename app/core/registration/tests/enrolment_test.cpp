// The wizard's capture worker over scripted frames and scores: the manual phase up to N
// faces, the automatic phase to 2N (16 at most), Skip, Back and stopping.

#include "registration/enrolment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "registration_fixture.h"

namespace registration::testing {
namespace {

using identify::testing::FakeMatcher;

// Records the worker's reports and lets the test wait for them.
class RecordingEnrolment : public EnrolmentView {
  public:
    void offer(const identify::Probe& frame) override {
        report([&] { offered.push_back(getTag(frame.picture.data())); });
    }
    void added(const identify::Probe& frame, int count) override {
        report([&] {
            addedTags.push_back(getTag(frame.picture.data()));
            lastCount = count;
        });
    }
    void complete() override {
        report([&] { completed = true; });
    }
    template <typename Pred>
    bool waitFor(Pred pred) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(10), pred);
    }
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::uint32_t> offered, addedTags;
    int lastCount = 0;
    bool completed = false;

  private:
    template <typename Fn>
    void report(Fn fn) {
        {
            const std::lock_guard lock(mutex);
            fn();
        }
        cv.notify_all();
    }
};

class EnrolmentTest : public ::testing::Test {
  protected:
    RegistrationSheet sheet;
    TaggedFrames frames;
    FakeMatcher matcher;
    RecordingEnrolment view;

    EnrolmentSettings settings(int n) {
        EnrolmentSettings s;
        s.personFaceNumber = n;
        s.ownThreshold = 150;
        s.holdMs = 0;
        s.idleMs = 1;
        return s;
    }
    // Adds each offered frame until the automatic phase begins; the count of adds.
    int addManually(EnrolmentWorker& worker, int n) {
        for (int k = 1; k <= n; ++k) {
            EXPECT_TRUE(view.waitFor([&] { return view.offered.size() >= std::size_t(k); }));
            const AddOutcome out = worker.add();
            EXPECT_EQ(out.rc, 0);
            EXPECT_EQ(out.faceCount, k);
            EXPECT_EQ(out.automaticStarted, k == n);
        }
        return n;
    }
};

TEST_F(EnrolmentTest, ThreeManualThenThreeAutomaticFaces) {
    // Frames 1..3 are offered, then 10, 11, ... are matched; each new frame scores 200
    // against face 1, so every automatic frame is taken.
    frames.probes.clear();
    for (std::uint32_t t = 1; t <= 3; ++t) frames.probes.push_back(t);
    for (std::uint32_t t = 10; t <= 20; ++t) {
        frames.probes.push_back(t);
        matcher.set(t, 1, 200);
    }
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(3));
    ASSERT_TRUE(worker.start());
    addManually(worker, 3);
    EXPECT_TRUE(worker.automatic());
    ASSERT_TRUE(view.waitFor([&] { return view.completed; }));
    EXPECT_TRUE(worker.stop());
    EXPECT_EQ(sheet.faceCount(), 6);
    EXPECT_EQ(view.addedTags, (std::vector<std::uint32_t>{10, 11, 12}));
    EXPECT_EQ(view.lastCount, 6);
    EXPECT_EQ(faceTag(sheet.person(), 5), 12u);
}

TEST_F(EnrolmentTest, AnAutomaticFrameIsTakenAtTheOwnThresholdNotBelow) {
    frames.probes = {1, 2, 3};
    matcher.set(2, 1, 149);
    matcher.set(3, 1, 150);
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(1));
    ASSERT_TRUE(worker.start());
    addManually(worker, 1);
    ASSERT_TRUE(view.waitFor([&] { return view.completed; }));
    worker.stop();
    EXPECT_EQ(view.addedTags, (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(sheet.faceCount(), 2);
}

TEST_F(EnrolmentTest, EightManualFacesStopAtSixteen) {
    frames.probes.clear();
    for (std::uint32_t t = 1; t <= 8; ++t) frames.probes.push_back(t);
    for (std::uint32_t t = 100; t <= 130; ++t) {
        frames.probes.push_back(t);
        matcher.set(t, 1, 300);
    }
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(8));
    EXPECT_EQ(worker.target(), 16);
    ASSERT_TRUE(worker.start());
    addManually(worker, 8);
    ASSERT_TRUE(view.waitFor([&] { return view.completed; }));
    worker.stop();
    EXPECT_EQ(sheet.faceCount(), 16);
    EXPECT_EQ(view.addedTags.size(), 8u);
}

TEST_F(EnrolmentTest, SkipDropsTheOfferedFrameAndAddNeedsAnOffer) {
    frames.probes = {1, 2, 3};
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(3));
    EXPECT_EQ(worker.add().rc, kNothingOffered);
    ASSERT_TRUE(worker.start());
    ASSERT_TRUE(view.waitFor([&] { return view.offered.size() == 1; }));
    worker.skip();
    ASSERT_TRUE(view.waitFor([&] { return view.offered.size() == 2; }));
    EXPECT_EQ(worker.add().rc, 0);
    EXPECT_TRUE(worker.stop());
    ASSERT_EQ(sheet.faceCount(), 1);
    EXPECT_EQ(faceTag(sheet.person(), 0), 2u);
    EXPECT_EQ(view.offered, (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(EnrolmentTest, BackDiscardsTheFacesAndStartsTheManualPhaseAgain) {
    frames.probes = {1, 2, 3, 4, 5};
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(2));
    ASSERT_TRUE(worker.start());
    addManually(worker, 2);
    EXPECT_TRUE(worker.stop());
    worker.discardFaces();
    EXPECT_EQ(worker.faceCount(), 0);
    EXPECT_FALSE(worker.automatic());
    const std::size_t before = view.offered.size();
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(view.waitFor([&] { return view.offered.size() > before; }));
    EXPECT_TRUE(worker.stop());
}

TEST_F(EnrolmentTest, StopEndsAWorkerThatWaitsForADecision) {
    EnrolmentWorker worker(sheet, frames, matcher, view, settings(3));
    ASSERT_TRUE(worker.start());
    EXPECT_FALSE(worker.start());
    ASSERT_TRUE(view.waitFor([&] { return !view.offered.empty(); }));
    EXPECT_TRUE(worker.waiting());
    EXPECT_TRUE(worker.stop(3000));
    EXPECT_FALSE(worker.running());
    EXPECT_EQ(sheet.faceCount(), 0);
}

}  // namespace
}  // namespace registration::testing
