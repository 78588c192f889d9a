#pragma once
// Scores of a few faces against one probe, computed on several threads at once. The runs
// read their candidates ahead in search order, score a batch here and then take the scores
// in that order, so that what they show and report is what matching one face after another
// gives; only the time differs.
//
// Threads: one caller at a time. With threads > 1 the FaceMatcher must be thread-safe: it
// is called on the caller's thread and on threads - 1 helpers that the object starts in its
// constructor and joins in its destructor.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "identify/run_seams.h"
#include "persons/face_record.h"

namespace identify {

// The result of matchFace for one face.
struct FaceScore {
    int rc = 0;              // 0, a face library code, or kNoFaceData
    std::int32_t score = 0;  // 0 unless rc is 0
};

// One thread per core (1 to 64): what the application's runs use.
int defaultMatchThreads();

class BatchMatcher {
  public:
    // threads < 1 counts as 1: every face is then matched on the caller's thread.
    BatchMatcher(FaceMatcher& matcher, int threads);
    ~BatchMatcher();
    BatchMatcher(const BatchMatcher&) = delete;
    BatchMatcher& operator=(const BatchMatcher&) = delete;

    int threads() const { return static_cast<int>(helpers_.size()) + 1; }
    // How many faces a run gathers before it scores them: enough to keep every thread busy,
    // few enough that a face that ends the search leaves little work thrown away. 1 for one
    // thread.
    std::size_t batchSize() const;

    // scores[i] = matchFace(probe, *faces[i]) for every i; returns when all are done. faces
    // and scores have the same size.
    void scoreAll(const Probe& probe, std::span<const persons::FaceRecord* const> faces,
                  std::span<FaceScore> scores);

  private:
    void helperLoop();
    // Scores faces of the current batch by index until none is left.
    void work();

    FaceMatcher& matcher_;
    std::vector<std::thread> helpers_;

    std::mutex lock_;  // guards everything below
    std::condition_variable wake_, idle_;
    bool quit_ = false;
    std::uint64_t batch_ = 0;  // number of the current batch
    int working_ = 0;          // helpers not yet done with the current batch
    const Probe* probe_ = nullptr;
    std::span<const persons::FaceRecord* const> faces_;
    std::span<FaceScore> scores_;
    std::size_t next_ = 0;  // the next face to score
};

}  // namespace identify
