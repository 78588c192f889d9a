#pragma once
// The matching of one sample's row ahead of the steps that report it: the registered images
// are loaded one at a time (the image-file library must not be entered twice at once) and
// matched against the sample's descriptor on several threads, since the face library runs
// matches in parallel. The steps take the results in the row's order, so the run's scores,
// counts, stopping rule and log are those of the one-thread run.
//
// Used by one thread (the run's); the matcher's load, match and the clock's tickMs are called
// from the worker threads and must be thread-safe. stop() (and the destructor) wait for the
// worker threads.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "stats/stat_files.h"
#include "stats/stat_seams.h"

namespace stats {

// What loading and matching one registered image gave.
struct PairOutcome {
    int loadRc = 0;   // the image-file library's status
    int matchRc = 0;  // the face library's status (when loaded)
    std::int32_t score = 0;
    std::uint32_t ms = 0;  // the match call's time
};

class RowMatcher {
  public:
    RowMatcher(StatMatcher& matcher, StatClock& clock) : matcher_(matcher), clock_(clock) {}
    ~RowMatcher() { stop(); }
    RowMatcher(const RowMatcher&) = delete;
    RowMatcher& operator=(const RowMatcher&) = delete;

    // Starts matching every image of registered against descriptor on `threads` threads.
    // Both must stay unchanged until stop(). An earlier row is stopped first.
    void start(const std::vector<ImageEntry>& registered, const std::vector<std::uint8_t>& descriptor,
               int threads);
    // Whether a row is being matched.
    bool active() const { return !threads_.empty(); }
    // The outcome of image j of the row, once it is there.
    PairOutcome take(int j);
    // Lets the workers finish the pair each one is on, drops the rest and waits for them.
    void stop();

  private:
    void work();

    StatMatcher& matcher_;
    StatClock& clock_;
    const std::vector<ImageEntry>* registered_ = nullptr;
    const std::vector<std::uint8_t>* descriptor_ = nullptr;
    std::vector<PairOutcome> outcomes_;
    std::vector<char> done_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> cancelled_{false};
    std::mutex loadMutex_;  // one image load at a time
    std::mutex mutex_;      // outcomes_ and done_
    std::condition_variable ready_;
    std::vector<std::thread> threads_;
};

}  // namespace stats
