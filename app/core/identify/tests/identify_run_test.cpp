// The identification / verification run on a temporary base with a scripted face library.

#include "fake_seams.h"
#include "identify/identify_texts.h"

namespace identify::testing {
namespace {

class IdentifyRunTest : public BaseTest {
  protected:
    FakeMatcher matcher;
    FakeFrames frames;
    FakeClock clock;
    RecordingSounds sounds;
    RecordingView view;
    IdentifyRun run{base, frames, matcher, view, sounds, clock};

    // One pass over the base with one probe (tag 1).
    RunSettings onePass() {
        RunSettings s;
        s.maxPasses = 1;
        return s;
    }
};

TEST_F(IdentifyRunTest, ScoreEqualToTheThresholdMatchesAndOneBelowDoesNot) {
    enrol("Ann", "", {10});
    RunSettings s = onePass();
    matcher.set(1, 10, 150);
    Outcome o = run.runHere(s);
    EXPECT_EQ(o.verdict, Verdict::Welcome);
    EXPECT_EQ(o.status, "You are welcome, Ann.");  // no name: the user ID
    EXPECT_EQ(o.banner, kWelcomeBanner);
    EXPECT_EQ(o.colour, Colour::Green);
    EXPECT_EQ(std::string(o.sound), kAccessSound);
    EXPECT_EQ(o.bestScore, 150);

    matcher.set(1, 10, 149);
    o = run.runHere(s);
    EXPECT_EQ(o.verdict, Verdict::Denied);
    EXPECT_EQ(o.status, kDeniedText);
    EXPECT_EQ(o.banner, kDeniedBanner);
    EXPECT_EQ(o.colour, Colour::Red);
    EXPECT_EQ(std::string(o.sound), kDenySound);
    EXPECT_EQ(o.bestScore, 149);
    EXPECT_EQ(o.best.userId, "Ann");
    EXPECT_EQ(o.best.slot, 0);
}

TEST_F(IdentifyRunTest, WelcomeShowsTheNameAndPlaysClickThenAccess) {
    enrol("Ann", "Ann Lee", {10});
    matcher.set(1, 10, 200);
    const Outcome o = run.runHere(onePass());
    EXPECT_EQ(o.status, "You are welcome, Ann Lee.");
    EXPECT_EQ(o.name, "Ann Lee");
    ASSERT_EQ(view.outcomes.size(), 1u);
    EXPECT_EQ(view.outcomes[0].status, o.status);
    EXPECT_EQ(sounds.played, (std::vector<std::string>{kClickSound, kAccessSound}));
}

TEST_F(IdentifyRunTest, AllFacesReportsTheHighestScoringPersonInBothOrders) {
    enrol("Ann", "", {10});
    enrol("Bob", "", {20});
    enrol("Cid", "", {30});
    matcher.set(1, 10, 160);
    matcher.set(1, 20, 190);
    matcher.set(1, 30, 170);
    for (bool round : {true, false}) {
        for (bool reverse : {true, false}) {
            RunSettings s = onePass();
            s.firstMatched = false;
            s.roundSearch = round;
            s.reverseOrder = reverse;
            const Outcome o = run.runHere(s);
            EXPECT_EQ(o.userId, "Bob") << round << reverse;
            EXPECT_EQ(o.bestScore, 190) << round << reverse;
        }
    }
}

TEST_F(IdentifyRunTest, FirstMatchedFaceStopsAtTheFirstMatch) {
    enrol("Ann", "", {10});
    enrol("Bob", "", {20});
    enrol("Cid", "", {30});
    matcher.set(1, 10, 160);
    matcher.set(1, 20, 190);
    matcher.set(1, 30, 170);
    RunSettings s = onePass();
    s.roundSearch = false;  // reverse: face 3 (Cid) first
    const Outcome o = run.runHere(s);
    EXPECT_EQ(o.userId, "Cid");
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{30}));
}

TEST_F(IdentifyRunTest, FailingMatchCountsAsNoMatch) {
    enrol("Ann", "", {10});
    matcher.failures[10] = 27;  // score 999 written with the failure
    const Outcome o = run.runHere(onePass());
    EXPECT_EQ(o.verdict, Verdict::Denied);
    EXPECT_EQ(o.bestScore, 0);
}

TEST_F(IdentifyRunTest, ReverseOrderVisitsTheHighestRecordFirst) {
    enrol("Ann", "", {10, 11});
    enrol("Bob", "", {20});
    RunSettings s = onePass();
    s.roundSearch = false;
    run.runHere(s);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{20, 11, 10}));
    EXPECT_EQ(view.candidates, (std::vector<std::uint32_t>{3, 2, 1}));

    matcher.visited.clear();
    s.reverseOrder = false;
    run.runHere(s);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10, 11, 20}));
}

TEST_F(IdentifyRunTest, RoundOrderVisitsFaceROfEveryPersonBeforeFaceRPlusOne) {
    enrol("Ann", "", {10, 11, 12});
    enrol("Bob", "", {20});
    enrol("Cid", "", {30, 31});
    RunSettings s = onePass();
    s.reverseOrder = false;
    run.runHere(s);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10, 20, 30, 11, 31, 12}));

    matcher.visited.clear();
    s.reverseOrder = true;
    run.runHere(s);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{30, 20, 10, 31, 11, 12}));
}

TEST_F(IdentifyRunTest, RoundOrderEndsWithTheRoundThatFoundSomeone) {
    enrol("Ann", "", {10, 11});
    enrol("Bob", "", {20, 21});
    matcher.set(1, 10, 160);
    matcher.set(1, 21, 190);  // in round 1, which is not reached
    RunSettings s = onePass();
    s.firstMatched = false;
    s.reverseOrder = false;
    const Outcome o = run.runHere(s);
    EXPECT_EQ(o.userId, "Ann");
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10, 20}));
}

TEST_F(IdentifyRunTest, ShowOnlyMatchedKeepsStrangersOutOfTheFoundPanel) {
    enrol("Ann", "", {10});
    enrol("Bob", "", {20});
    matcher.set(1, 10, 120);
    matcher.set(1, 20, 140);
    RunSettings s = onePass();
    s.roundSearch = false;
    s.reverseOrder = false;
    run.runHere(s);
    EXPECT_TRUE(view.bests.empty());

    s.showOnlyMatched = false;
    run.runHere(s);
    EXPECT_EQ(view.bests, (std::vector<std::int32_t>{120, 140}));
}

TEST_F(IdentifyRunTest, BestScoreStartsAgainWithEachFrame) {
    enrol("Ann", "", {10});
    matcher.set(1, 10, 140);
    matcher.set(2, 10, 130);  // lower than the first frame's best, still shown
    matcher.set(3, 10, 150);
    frames.probes = {1, 2, 3};
    RunSettings s;
    s.showOnlyMatched = false;
    const Outcome o = run.runHere(s);
    EXPECT_EQ(o.verdict, Verdict::Welcome);
    EXPECT_EQ(o.frames, 3);
    EXPECT_EQ(view.bests, (std::vector<std::int32_t>{140, 130, 150}));
}

TEST_F(IdentifyRunTest, FramesWithoutAFaceAreRetriedWithTheLibrarysText) {
    enrol("Ann", "", {10});
    matcher.set(1, 10, 200);
    frames.failFirst = {30, 30, 26};
    const Outcome o = run.runHere(RunSettings{});
    EXPECT_EQ(o.verdict, Verdict::Welcome);
    EXPECT_EQ(o.frames, 1);
    // Each new code once; 26 is "Can't find face elements on image".
    EXPECT_EQ(
        std::count(view.statuses.begin(), view.statuses.end(), "Can't find face elements on image"),
        1);
}

TEST_F(IdentifyRunTest, VerificationMatchesOnlyThatUsersFacesInSlotOrder) {
    enrol("Ann", "", {10, 11, 12});
    enrol("Bob", "", {20});
    matcher.set(1, 20, 300);
    RunSettings s = onePass();
    s.userBox = "Ann";
    const Outcome o = run.runHere(s);
    EXPECT_TRUE(o.verification);
    EXPECT_EQ(o.verdict, Verdict::Denied);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10, 11, 12}));
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), kVerifyingText),
              view.statuses.end());

    s.userBox = "(ALL)";  // identification
    EXPECT_EQ(run.runHere(s).userId, "Bob");
}

TEST_F(IdentifyRunTest, VerificationOfAMissingOrDeletedUserEndsAtOnce) {
    enrol("Ann", "", {10});
    enrol("Bob", "", {20});
    ASSERT_EQ(base.deletePerson("Bob"), 0);
    RunSettings s;  // no pass limit: only the missing user ends the run
    for (const char* user : {"Nobody", "Bob"}) {
        s.userBox = user;
        const Outcome o = run.runHere(s);
        EXPECT_EQ(o.verdict, Verdict::Denied) << user;
        EXPECT_EQ(o.status, kDeniedText) << user;
        EXPECT_EQ(o.frames, 1) << user;
    }
    EXPECT_TRUE(matcher.visited.empty());
}

TEST_F(IdentifyRunTest, EmptyBaseEndsByTheTimeoutOnlyAfterTheFirstPass) {
    RunSettings s;
    s.searchTimeout = 60;
    frames.hold();  // the first frame is not captured yet: no pass is done
    ASSERT_TRUE(run.start(s));
    EXPECT_FALSE(run.start(s));
    clock.ms += 59'000;
    TickResult t = run.tick();
    EXPECT_EQ(t.text, "00:01");
    EXPECT_EQ(t.remaining, 1u);
    clock.ms += 2'000;
    t = run.tick();
    EXPECT_EQ(t.text, "00:00");
    EXPECT_FALSE(t.stopped);
    EXPECT_TRUE(run.running());

    frames.release();
    frames.waitCalls(3);  // two passes over the empty base are done
    EXPECT_TRUE(run.running());
    t = run.tick();
    EXPECT_TRUE(t.stopped);
    run.wait();
    EXPECT_FALSE(run.running());
    ASSERT_TRUE(run.lastOutcome());
    EXPECT_EQ(run.lastOutcome()->verdict, Verdict::Denied);
    EXPECT_EQ(run.lastOutcome()->status, kDeniedText);
    EXPECT_EQ(sounds.played.back(), kDenySound);
}

TEST_F(IdentifyRunTest, StopCancelsTheRun) {
    RunSettings s;
    ASSERT_TRUE(run.start(s));
    frames.waitCalls(2);
    run.stop();
    run.wait();
    ASSERT_EQ(view.outcomes.size(), 1u);
    EXPECT_EQ(view.outcomes[0].verdict, Verdict::Cancelled);
    EXPECT_EQ(view.outcomes[0].status, kCancelledText);
    EXPECT_EQ(view.outcomes[0].banner, kDeniedBanner);
    EXPECT_EQ(view.outcomes[0].sound, nullptr);
    // A new run can start after the first ended.
    enrol("Ann", "", {10});
    matcher.set(1, 10, 200);
    ASSERT_TRUE(run.start(s));
    run.wait();
    EXPECT_EQ(run.lastOutcome()->verdict, Verdict::Welcome);
}

TEST_F(IdentifyRunTest, TimeFormatCountsMinutes) {
    RunSettings s;
    s.searchTimeout = 200;
    frames.hold();
    ASSERT_TRUE(run.start(s));
    clock.ms += 5'500;
    EXPECT_EQ(run.tick().text, "03:15");
    run.stop();
    frames.release();
    run.wait();
}

TEST_F(IdentifyRunTest, PersonDeletedByAnotherBaseDuringTheRun) {
    enrol("Ann", "", {10, 11});
    enrol("Bob", "", {20, 21});
    enrol("Cid", "", {30, 31});
    persons::PersonBase other;
    ASSERT_EQ(other.open(dir.string()), 0);
    matcher.onMatch = [&](std::uint32_t face) {
        if (face == 20) {
            EXPECT_EQ(other.deletePerson("Bob"), 0);
        }
    };
    matcher.set(1, 21, 300);  // Bob's second face: gone by round 1
    RunSettings s = onePass();
    const Outcome o = run.runHere(s);
    EXPECT_EQ(o.verdict, Verdict::Denied);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{30, 20, 10, 31, 11}));
}

TEST_F(IdentifyRunTest, PersonAddedByAnotherBaseIsFoundInTheNextPass) {
    enrol("Ann", "", {10});
    persons::PersonBase other;
    ASSERT_EQ(other.open(dir.string()), 0);
    bool added = false;
    matcher.onMatch = [&](std::uint32_t) {
        if (added) return;
        added = true;
        enrol(other, "Bob", "", {20});
    };
    matcher.set(1, 20, 200);
    for (bool round : {true, false}) {
        added = false;
        RunSettings s;
        s.roundSearch = round;
        const Outcome o = run.runHere(s);
        EXPECT_EQ(o.userId, "Bob") << round;
        EXPECT_EQ(o.frames, 2) << round;
        ASSERT_EQ(other.deletePerson("Bob"), 0);
    }
}

TEST_F(IdentifyRunTest, ProbeDescriptorIsMatchedWithTheFacesPictures) {
    enrol("Ann", "", {10}, /*pictures=*/false);
    enrol("Bob", "", {20}, /*pictures=*/true);
    matcher.probeIsDescriptor = true;
    matcher.set(1, 10, 300);
    matcher.set(1, 20, 200);
    const Outcome o = run.runHere(onePass());
    EXPECT_EQ(o.userId, "Bob");  // Ann's face has no picture to match
    EXPECT_TRUE(matcher.lastByPicture);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{20}));
}

TEST_F(IdentifyRunTest, EndedFrameSourceCancelsTheRun) {
    enrol("Ann", "", {10});
    frames.endAfter = true;
    frames.probes = {1};
    const Outcome o = run.runHere(RunSettings{});  // one pass with nobody found, then no frame
    EXPECT_EQ(o.verdict, Verdict::Cancelled);
    EXPECT_EQ(o.frames, 1);
}

TEST(VerifiedUserId, EmptyAndAllMeanEveryone) {
    EXPECT_EQ(verifiedUserId(""), "");
    EXPECT_EQ(verifiedUserId("(All)"), "");
    EXPECT_EQ(verifiedUserId("(aLL)"), "");
    EXPECT_EQ(verifiedUserId("Ann"), "Ann");
    EXPECT_EQ(verifiedUserId(std::string(25, 'x')), std::string(20, 'x'));
}

}  // namespace
}  // namespace identify::testing
