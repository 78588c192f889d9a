// The search page's search on a temporary base with a scripted face library.

#include "fake_seams.h"
#include "identify/identify_texts.h"

namespace identify::testing {
namespace {

class SearchRunTest : public BaseTest {
  protected:
    FakeMatcher matcher;
    RecordingSearchView view;
    SearchRun run{base, matcher, view};
    Probe probe = probeOf(1);

    SearchSettings settings() {
        SearchSettings s;
        s.reverseOrder = false;
        return s;
    }
    static std::vector<std::string> userIds(const SearchResult& r) {
        std::vector<std::string> ids;
        for (const auto& c : r.candidates) ids.push_back(c.userId);
        return ids;
    }
};

TEST(CandidateCounter, Texts) {
    EXPECT_EQ(candidateCounter(0, false), "No candidates");
    EXPECT_EQ(candidateCounter(0, true), "Best stranger");
    EXPECT_EQ(candidateCounter(1, true), "1 candidate");
    EXPECT_EQ(candidateCounter(2, false), "2 candidates");
    EXPECT_EQ(candidateCounter(12, false), "12 candidates");
}

TEST_F(SearchRunTest, CandidatesAreSortedHighestFirstWithTheirMatchingFaces) {
    enrol("Ann", "Ann Lee", {10, 11, 12}, /*pictures=*/true);
    enrol("Bob", "", {20});
    enrol("Cid", "", {30, 31});
    matcher.set(1, 10, 160);
    matcher.set(1, 11, 100);  // below the limit: not listed
    matcher.set(1, 12, 180);
    matcher.set(1, 20, 150);
    matcher.set(1, 30, 170);
    matcher.set(1, 31, 175);
    for (bool round : {true, false}) {
        SearchSettings s = settings();
        s.roundSearch = round;
        const SearchResult r = run.runHere(probe, s);
        ASSERT_EQ(r.end, SearchEnd::Complete);
        EXPECT_EQ(userIds(r), (std::vector<std::string>{"Ann", "Cid", "Bob"})) << round;
        EXPECT_EQ(r.counter, "3 candidates");
        const SearchCandidate& ann = r.candidates[0];
        EXPECT_EQ(ann.name, "Ann Lee");
        EXPECT_EQ(ann.bestScore, 180);
        ASSERT_EQ(ann.faces.size(), 2u);
        EXPECT_EQ(ann.faces[ann.bestFace].slot, 2);
        EXPECT_EQ(ann.faces[ann.bestFace].recno, 3u);
        EXPECT_TRUE(ann.faces[0].hasPicture);
        EXPECT_FALSE(r.candidates[2].faces[0].hasPicture);
        EXPECT_EQ(r.facesMatched, 6);
        EXPECT_EQ(view.range, 6);
        EXPECT_EQ(view.last, 6);
    }
}

TEST_F(SearchRunTest, BestStrangerNeedsTheMarginToPassTheThreshold) {
    enrol("Ann", "", {10});
    enrol("Bob", "", {20});
    matcher.set(1, 10, 140);
    matcher.set(1, 20, 145);
    SearchSettings s = settings();
    SearchResult r = run.runHere(probe, s);  // margin 0: off
    EXPECT_FALSE(r.bestStranger);
    EXPECT_EQ(r.counter, "No candidates");

    s.bestCandidate = 10;  // 145 + 10 > 150; 140 + 10 is not
    r = run.runHere(probe, s);
    ASSERT_TRUE(r.bestStranger);
    EXPECT_EQ(r.bestStranger->userId, "Bob");
    EXPECT_EQ(r.bestStranger->bestScore, 145);
    EXPECT_EQ(r.counter, "Best stranger");

    s.bestCandidate = 5;  // 145 + 5 does not exceed 150
    EXPECT_FALSE(run.runHere(probe, s).bestStranger);

    matcher.set(1, 10, 150);  // a candidate: the counter names it
    s.bestCandidate = 10;
    r = run.runHere(probe, s);
    EXPECT_EQ(r.counter, "1 candidate");
}

TEST_F(SearchRunTest, OneUserIdUsesTheOwnThreshold) {
    enrol("Ann", "", {10, 11});
    enrol("Bob", "", {20});
    matcher.set(1, 10, 160);
    matcher.set(1, 11, 175);
    matcher.set(1, 20, 300);
    SearchSettings s = settings();
    s.ownThreshold = 170;
    s.userBox = "Ann";
    const SearchResult r = run.runHere(probe, s);
    EXPECT_EQ(r.limit, 170);
    ASSERT_EQ(userIds(r), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(r.candidates[0].faces.size(), 1u);
    EXPECT_EQ(view.range, 2);
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10, 11}));

    s.userBox = "Nobody";
    EXPECT_EQ(run.runHere(probe, s).end, SearchEnd::UserNotFound);
    EXPECT_EQ(std::string(kUserNotFoundText), "The specified user ID not found");
}

TEST_F(SearchRunTest, StopAfterFirstMatchedUser) {
    enrol("Ann", "", {10, 11});
    enrol("Bob", "", {20});
    matcher.set(1, 10, 200);
    matcher.set(1, 11, 190);
    matcher.set(1, 20, 200);
    SearchSettings s = settings();
    s.stopAfterFirstUser = true;
    s.roundSearch = false;
    SearchResult r = run.runHere(probe, s);
    EXPECT_EQ(userIds(r), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(r.candidates[0].faces.size(), 2u);  // the person's faces are all matched
    EXPECT_EQ(r.counter, "1 candidate");

    matcher.visited.clear();
    s.roundSearch = true;
    r = run.runHere(probe, s);
    EXPECT_EQ(userIds(r), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(matcher.visited, (std::vector<std::uint32_t>{10}));
}

TEST_F(SearchRunTest, StopOnTheWorkerCancels) {
    enrol("Ann", "", {10, 11, 12});
    matcher.set(1, 10, 200);
    matcher.onMatch = [&](std::uint32_t) { run.stop(); };
    ASSERT_TRUE(run.start(probe, settings()));
    run.wait();
    ASSERT_EQ(view.results.size(), 1u);
    EXPECT_EQ(view.results[0].end, SearchEnd::Cancelled);
    EXPECT_EQ(view.results[0].counter, "");
    EXPECT_EQ(matcher.visited.size(), 1u);
    EXPECT_EQ(run.lastResult()->end, SearchEnd::Cancelled);
}

TEST_F(SearchRunTest, EmptyBaseHasNoCandidates) {
    const SearchResult r = run.runHere(probe, settings());
    EXPECT_EQ(r.end, SearchEnd::Complete);
    EXPECT_EQ(r.counter, "No candidates");
    EXPECT_EQ(view.range, 0);
}

}  // namespace
}  // namespace identify::testing
