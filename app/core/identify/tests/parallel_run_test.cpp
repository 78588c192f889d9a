// Runs that match on several threads: the same faces are shown, in the same order, and the
// same person is reported as when one face is matched after another.

#include <chrono>
#include <set>

#include "fake_seams.h"

namespace identify::testing {
namespace {

// Scores that depend only on the probe and the face, so that any thread may compute them.
// Some faces fail; several scores tie.
class PureMatcher final : public FaceMatcher {
  public:
    static std::int32_t scoreOf(std::uint32_t probe, std::uint32_t face) {
        return static_cast<std::int32_t>((probe * 7919u + face * 104729u) % 23u) * 10 + 40;
    }
    static bool fails(std::uint32_t face) { return face % 7 == 3; }

    int isDescriptor(const std::uint8_t*) override { return 27; }
    int match(const std::uint8_t* first, const std::uint8_t* second, std::int32_t& score,
              std::uint16_t, std::uint16_t) override {
        const std::uint32_t face = getTag(first + 12);
        calls.fetch_add(1);
        if (fails(face)) return 5;
        score = scoreOf(getTag(second), face);
        return 0;
    }
    std::atomic<int> calls{0};
};

struct Shown {
    std::vector<std::uint32_t> candidates;  // record numbers in the comparison panel
    std::vector<std::int32_t> bests;        // scores in the found panel
    Outcome outcome;
};

class ParallelRunTest : public BaseTest {
  protected:
    void SetUp() override {
        BaseTest::SetUp();
        // Nine persons of one to four faces: tags 10 * person + slot.
        for (std::uint32_t p = 1; p <= 9; ++p) {
            std::vector<std::uint32_t> tags;
            for (std::uint32_t i = 0; i < 1 + p % 4; ++i) tags.push_back(10 * p + i);
            enrol("P" + std::to_string(p), "Person " + std::to_string(p), tags);
        }
    }

    Shown identify(RunSettings s, std::uint32_t probe, int threads) {
        PureMatcher matcher;
        FakeFrames frames;
        frames.probes = {probe};
        FakeClock clock;
        NoSound sounds;
        RecordingView view;
        IdentifyRun run(base, frames, matcher, view, sounds, clock);
        s.matchThreads = threads;
        Shown shown;
        shown.outcome = run.runHere(s);
        shown.candidates = view.candidates;
        shown.bests = view.bests;
        return shown;
    }
};

TEST_F(ParallelRunTest, IdentificationShowsAndReportsWhatOneThreadDoes) {
    int welcomes = 0, denials = 0;
    for (std::uint32_t probe = 1; probe <= 6; ++probe) {
        for (int mode = 0; mode < 32; ++mode) {
            RunSettings s;
            s.maxPasses = 1;
            s.roundSearch = mode & 1;
            s.reverseOrder = mode & 2;
            s.firstMatched = mode & 4;
            s.showOnlyMatched = mode & 8;
            s.userBox = mode & 16 ? "P7" : "";
            s.searchThreshold = 230;
            const Shown one = identify(s, probe, 1);
            (one.outcome.verdict == Verdict::Welcome ? welcomes : denials) += 1;
            for (int threads : {2, 3, 4}) {
                const Shown many = identify(s, probe, threads);
                const std::string where = "probe " + std::to_string(probe) + " mode " +
                                          std::to_string(mode) + " threads " +
                                          std::to_string(threads);
                EXPECT_EQ(many.candidates, one.candidates) << where;
                EXPECT_EQ(many.bests, one.bests) << where;
                EXPECT_EQ(many.outcome.verdict, one.outcome.verdict) << where;
                EXPECT_EQ(many.outcome.personId, one.outcome.personId) << where;
                EXPECT_EQ(many.outcome.bestScore, one.outcome.bestScore) << where;
                EXPECT_EQ(many.outcome.best.recno, one.outcome.best.recno) << where;
                EXPECT_EQ(many.outcome.best.slot, one.outcome.best.slot) << where;
            }
        }
    }
    // The table gives both outcomes, so the comparison covers a face that stops the search.
    EXPECT_GT(welcomes, 0);
    EXPECT_GT(denials, 0);
}

TEST_F(ParallelRunTest, FirstMatchedFaceInSearchOrderIsReportedNotTheBest) {
    // Sequential, forward: record 1 (P1 slot 0) scores 250, the last record 400; with
    // "First matched face" the first wins whichever thread finishes first.
    FakeMatcher scripted;
    std::mutex lock;
    class Locked final : public FaceMatcher {
      public:
        Locked(FakeMatcher& m, std::mutex& l) : m_(m), l_(l) {}
        int isDescriptor(const std::uint8_t* d) override { return m_.isDescriptor(d); }
        int match(const std::uint8_t* a, const std::uint8_t* b, std::int32_t& score,
                  std::uint16_t w, std::uint16_t h) override {
            const std::lock_guard g(l_);
            return m_.match(a, b, score, w, h);
        }

      private:
        FakeMatcher& m_;
        std::mutex& l_;
    } matcher(scripted, lock);
    scripted.set(1, 10, 250);
    scripted.set(1, 90, 400);
    FakeFrames frames;
    FakeClock clock;
    NoSound sounds;
    RecordingView view;
    IdentifyRun run(base, frames, matcher, view, sounds, clock);
    RunSettings s;
    s.maxPasses = 1;
    s.roundSearch = false;
    s.reverseOrder = false;
    s.matchThreads = 4;
    const Outcome o = run.runHere(s);
    EXPECT_EQ(o.userId, "P1");
    EXPECT_EQ(o.bestScore, 250);
    EXPECT_EQ(view.candidates, (std::vector<std::uint32_t>{1}));
}

TEST_F(ParallelRunTest, SearchListsWhatOneThreadLists) {
    auto search = [&](SearchSettings s, std::uint32_t probe, int threads,
                      std::vector<std::uint32_t>& shown) {
        PureMatcher matcher;
        RecordingSearchView view;
        SearchRun run(base, matcher, view);
        s.matchThreads = threads;
        SearchResult r = run.runHere(probeOf(probe), s);
        shown = view.shown;
        return r;
    };
    for (std::uint32_t probe = 1; probe <= 4; ++probe) {
        for (int mode = 0; mode < 32; ++mode) {
            SearchSettings s;
            s.roundSearch = mode & 1;
            s.reverseOrder = mode & 2;
            s.stopAfterFirstUser = mode & 4;
            s.bestCandidate = mode & 8 ? 60 : 0;
            s.userBox = mode & 16 ? "P3" : "";
            s.searchThreshold = 240;
            s.ownThreshold = 200;
            std::vector<std::uint32_t> shownOne, shownMany;
            const SearchResult one = search(s, probe, 1, shownOne);
            for (int threads : {2, 4}) {
                const SearchResult many = search(s, probe, threads, shownMany);
                const std::string where = "probe " + std::to_string(probe) + " mode " +
                                          std::to_string(mode) + " threads " +
                                          std::to_string(threads);
                EXPECT_EQ(shownMany, shownOne) << where;
                EXPECT_EQ(many.facesMatched, one.facesMatched) << where;
                EXPECT_EQ(many.counter, one.counter) << where;
                ASSERT_EQ(many.candidates.size(), one.candidates.size()) << where;
                for (std::size_t i = 0; i < one.candidates.size(); ++i) {
                    const SearchCandidate &a = many.candidates[i], &b = one.candidates[i];
                    EXPECT_EQ(a.userId, b.userId) << where;
                    EXPECT_EQ(a.bestScore, b.bestScore) << where;
                    EXPECT_EQ(a.bestFace, b.bestFace) << where;
                    ASSERT_EQ(a.faces.size(), b.faces.size()) << where;
                    for (std::size_t f = 0; f < a.faces.size(); ++f) {
                        EXPECT_EQ(a.faces[f].recno, b.faces[f].recno) << where;
                        EXPECT_EQ(a.faces[f].score, b.faces[f].score) << where;
                    }
                }
                ASSERT_EQ(many.bestStranger.has_value(), one.bestStranger.has_value()) << where;
                if (one.bestStranger) {
                    EXPECT_EQ(many.bestStranger->faces[0].recno, one.bestStranger->faces[0].recno)
                        << where;
                }
            }
        }
    }
}

// Holds every match until `needed` matches are in progress at once (or a few seconds pass).
class MeetingMatcher final : public FaceMatcher {
  public:
    explicit MeetingMatcher(int needed) : needed_(needed) {}
    int isDescriptor(const std::uint8_t*) override { return 27; }
    int match(const std::uint8_t* first, const std::uint8_t*, std::int32_t& score, std::uint16_t,
              std::uint16_t) override {
        std::unique_lock lock(lock_);
        ++inFlight_;
        most = std::max(most, inFlight_);
        threads.insert(std::this_thread::get_id());
        met_.notify_all();
        met_.wait_for(lock, std::chrono::seconds(5), [&] { return most >= needed_; });
        --inFlight_;
        score = static_cast<std::int32_t>(getTag(first + 12)) * 3;
        return 0;
    }
    int most = 0;
    std::set<std::thread::id> threads;

  private:
    std::mutex lock_;
    std::condition_variable met_;
    int needed_, inFlight_ = 0;
};

persons::FaceRecord taggedFace(std::uint32_t tag) {
    std::vector<std::uint8_t> d(persons::kDescriptorSize, 0);
    std::memcpy(d.data(), "OVFCDESC", 8);
    putTag(d.data() + 12, tag);
    persons::FaceRecord f;
    f.setDescriptor(d.data(), d.size());
    return f;
}

TEST(BatchMatcher, ScoresEveryFaceOnceAtItsOwnIndexOnSeveralThreads) {
    std::vector<persons::FaceRecord> records;
    for (std::uint32_t t = 1; t <= 9; ++t) records.push_back(taggedFace(t));
    std::vector<const persons::FaceRecord*> faces;
    for (const auto& r : records) faces.push_back(&r);
    const Probe probe = probeOf(1);

    MeetingMatcher matcher(3);
    BatchMatcher batch(matcher, 3);
    EXPECT_EQ(batch.threads(), 3);
    EXPECT_EQ(batch.batchSize(), 6u);
    std::vector<FaceScore> scores(faces.size(), FaceScore{-7, -7});
    batch.scoreAll(probe, faces, scores);
    for (std::size_t i = 0; i < scores.size(); ++i) {
        EXPECT_EQ(scores[i].rc, 0) << i;
        EXPECT_EQ(scores[i].score, static_cast<std::int32_t>(3 * (i + 1))) << i;
    }
    EXPECT_EQ(matcher.most, 3);  // three matches ran at once
    EXPECT_EQ(matcher.threads.size(), 3u);
    // A second batch on the same helpers.
    scores.assign(2, FaceScore{-7, -7});
    batch.scoreAll(probe, std::span(faces).first(2), scores);
    EXPECT_EQ(scores[1].score, 6);
}

TEST(BatchMatcher, OneThreadMatchesOnTheCallersThreadOneAtATime) {
    std::vector<persons::FaceRecord> records;
    for (std::uint32_t t = 1; t <= 3; ++t) records.push_back(taggedFace(t));
    std::vector<const persons::FaceRecord*> faces;
    for (const auto& r : records) faces.push_back(&r);
    MeetingMatcher matcher(1);
    BatchMatcher batch(matcher, 0);
    EXPECT_EQ(batch.threads(), 1);
    EXPECT_EQ(batch.batchSize(), 1u);
    std::vector<FaceScore> scores(faces.size());
    batch.scoreAll(probeOf(1), faces, scores);
    EXPECT_EQ(matcher.most, 1);
    EXPECT_EQ(matcher.threads, std::set<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(scores[2].score, 9);
}

}  // namespace
}  // namespace identify::testing
