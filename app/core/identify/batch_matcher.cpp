#include "identify/batch_matcher.h"

#include <algorithm>

#include "identify/face_match.h"

namespace identify {

int defaultMatchThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

BatchMatcher::BatchMatcher(FaceMatcher& matcher, int threads) : matcher_(matcher) {
    for (int i = 1; i < threads; ++i) helpers_.emplace_back([this] { helperLoop(); });
}

BatchMatcher::~BatchMatcher() {
    {
        const std::lock_guard lock(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : helpers_) t.join();
}

std::size_t BatchMatcher::batchSize() const {
    return helpers_.empty() ? 1 : 2 * static_cast<std::size_t>(threads());
}

void BatchMatcher::scoreAll(const Probe& probe, std::span<const persons::FaceRecord* const> faces,
                            std::span<FaceScore> scores) {
    if (helpers_.empty() || faces.size() < 2) {
        for (std::size_t i = 0; i < faces.size(); ++i) {
            scores[i].rc = matchFace(matcher_, probe, *faces[i], scores[i].score);
        }
        return;
    }
    {
        const std::lock_guard lock(lock_);
        probe_ = &probe;
        faces_ = faces;
        scores_ = scores;
        next_ = 0;
        working_ = static_cast<int>(helpers_.size());
        ++batch_;
    }
    wake_.notify_all();
    work();
    // The helpers still read the batch until each has found it empty.
    std::unique_lock lock(lock_);
    idle_.wait(lock, [this] { return working_ == 0; });
    probe_ = nullptr;
    faces_ = {};
    scores_ = {};
}

void BatchMatcher::work() {
    for (;;) {
        std::size_t i = 0;
        {
            const std::lock_guard lock(lock_);
            if (next_ >= faces_.size()) return;
            i = next_++;
        }
        FaceScore& s = scores_[i];
        s.rc = matchFace(matcher_, *probe_, *faces_[i], s.score);
    }
}

void BatchMatcher::helperLoop() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(lock_);
            wake_.wait(lock, [&] { return quit_ || batch_ != seen; });
            if (quit_) return;
            seen = batch_;
        }
        work();
        bool last = false;
        {
            const std::lock_guard lock(lock_);
            last = --working_ == 0;
        }
        if (last) idle_.notify_one();
    }
}

}  // namespace identify
