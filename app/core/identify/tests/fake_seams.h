#pragma once
// Scripted seams for the runs: a face library that returns the score set for each (probe,
// face) pair, a frame source that serves tagged probes, a clock set by the test, and views
// that record what they were shown. A face is tagged in its descriptor (bytes 12..15 after
// the descriptor magic) and in its picture (bytes 0..3), a probe in its picture.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "identify/identify_run.h"
#include "identify/search_run.h"
#include "persons/person_base.h"

namespace identify::testing {

namespace fs = std::filesystem;

inline void putTag(std::uint8_t* p, std::uint32_t tag) {
    std::memcpy(p, &tag, sizeof tag);
}
inline std::uint32_t getTag(const std::uint8_t* p) {
    std::uint32_t tag = 0;
    std::memcpy(&tag, p, sizeof tag);
    return tag;
}

inline Probe probeOf(std::uint32_t tag) {
    Probe p;
    putTag(p.picture.data(), tag);
    std::memcpy(p.descriptor.data(), "OVFCDESC", 8);
    return p;
}

class FakeMatcher : public FaceMatcher {
  public:
    // The probe is a descriptor (faces are matched by their pictures).
    bool probeIsDescriptor = false;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::int32_t> scores;  // (probe, face)
    std::map<std::uint32_t, int> failures;  // face tag -> library code (score 999 written)
    std::vector<std::uint32_t> visited;     // face tags in match order
    std::function<void(std::uint32_t face)> onMatch;  // after each match is recorded
    std::uint16_t lastWidth = 0, lastHeight = 0;
    bool lastByPicture = false;

    void set(std::uint32_t probe, std::uint32_t face, std::int32_t score) {
        scores[{probe, face}] = score;
    }
    int isDescriptor(const std::uint8_t*) override { return probeIsDescriptor ? 0 : 27; }
    int match(const std::uint8_t* first, const std::uint8_t* second, std::int32_t& score,
              std::uint16_t width, std::uint16_t height) override {
        lastByPicture = std::memcmp(first, "OVFCDESC", 8) != 0;
        const std::uint32_t face = lastByPicture ? getTag(first) : getTag(first + 12);
        const std::uint32_t probe = getTag(second);
        lastWidth = width;
        lastHeight = height;
        visited.push_back(face);
        int rc = 0;
        if (auto f = failures.find(face); f != failures.end()) {
            score = 999;
            rc = f->second;
        } else {
            auto it = scores.find({probe, face});
            score = it == scores.end() ? 0 : it->second;
        }
        if (onMatch) onMatch(face);
        return rc;
    }
};

// Serves the probes in turn (the last one again once they are used up), or kSourceEnded
// after them when endAfter is set. hold() makes the next capture wait until release().
class FakeFrames : public FrameSource {
  public:
    std::vector<std::uint32_t> probes{1};
    bool endAfter = false;
    std::vector<int> failFirst;  // codes returned by the first captures

    int capture(Probe& probe) override {
        std::unique_lock lock(mutex_);
        gate_.wait(lock, [&] { return !held_; });
        const std::size_t n = calls_++;
        cv_.notify_all();
        if (n < failFirst.size()) return failFirst[n];
        const std::size_t k = n - failFirst.size();
        if (endAfter && k >= probes.size()) return kSourceEnded;
        probe = probeOf(probes[std::min(k, probes.size() - 1)]);
        return 0;
    }
    void hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        gate_.notify_all();
    }
    // Blocks until capture() was entered n times.
    void waitCalls(std::size_t n) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return calls_ >= n; });
    }
    std::size_t calls() {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_, gate_;
    bool held_ = false;
    std::size_t calls_ = 0;
};

class FakeClock : public RunClock {
  public:
    std::atomic<std::uint32_t> ms{1000};
    std::uint32_t tickMs() override { return ms.load(); }
};

class RecordingSounds : public SoundPlayer {
  public:
    void play(const char* name) override {
        const std::lock_guard lock(mutex);
        played.emplace_back(name);
    }
    std::mutex mutex;
    std::vector<std::string> played;
};

class RecordingView : public RunView {
  public:
    void status(const std::string& text) override { statuses.push_back(text); }
    void candidate(const CandidateFace& face) override { candidates.push_back(face.recno); }
    void best(const CandidateFace& face) override { bests.push_back(face.score); }
    void outcome(const Outcome& o) override { outcomes.push_back(o); }
    std::vector<std::string> statuses;
    std::vector<std::uint32_t> candidates;  // Faces.Dbf record numbers shown
    std::vector<std::int32_t> bests;        // scores shown in the found panel
    std::vector<Outcome> outcomes;
};

class RecordingSearchView : public SearchView {
  public:
    void progressRange(int faces) override { range = faces; }
    void progress(int matched) override { last = matched; }
    void candidate(const CandidateFace& face) override { shown.push_back(face.recno); }
    void finished(const SearchResult& r) override { results.push_back(r); }
    int range = -1, last = 0;
    std::vector<std::uint32_t> shown;
    std::vector<SearchResult> results;
};

// A fresh person base per test; faces are tagged with their own numbers.
class BaseTest : public ::testing::Test {
  protected:
    fs::path dir;
    persons::PersonBase base;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ovfc_identify_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        ASSERT_EQ(base.open(dir.string()), 0);
        base.setClock([this] { return nextId_++; });
    }
    void TearDown() override {
        base.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Enrols a person whose faces carry the given tags; the stored person (with faceRef).
    persons::PersonRecord enrol(persons::PersonBase& b, const std::string& userId,
                                const std::string& name, const std::vector<std::uint32_t>& tags,
                                bool pictures = false) {
        persons::PersonRecord p;
        p.userId = userId;
        p.name = name;
        for (std::uint32_t tag : tags) {
            persons::FaceRecord* f = p.addFace();
            std::vector<std::uint8_t> d(persons::kDescriptorSize, 0);
            std::memcpy(d.data(), "OVFCDESC", 8);
            d[8] = 3;
            putTag(d.data() + 12, tag);
            f->setDescriptor(d.data(), d.size());
            if (pictures) {
                std::vector<std::uint8_t> pic(std::size_t{256} * 255, 128);
                putTag(pic.data(), tag);
                f->setPicture(pic.data(), 256, 255);
            }
        }
        EXPECT_EQ(b.storePerson(p), 0);
        return p;
    }
    persons::PersonRecord enrol(const std::string& userId, const std::string& name,
                                const std::vector<std::uint32_t>& tags, bool pictures = false) {
        return enrol(base, userId, name, tags, pictures);
    }

    std::time_t nextId_ = 1000;
};

}  // namespace identify::testing
