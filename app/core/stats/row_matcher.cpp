#include "stats/row_matcher.h"

namespace stats {

void RowMatcher::start(const std::vector<ImageEntry>& registered,
                       const std::vector<std::uint8_t>& descriptor, int threads) {
    stop();
    registered_ = &registered;
    descriptor_ = &descriptor;
    outcomes_.assign(registered.size(), PairOutcome{});
    done_.assign(registered.size(), 0);
    next_ = 0;
    cancelled_ = false;
    for (int t = 0; t < threads; ++t) threads_.emplace_back([this] { work(); });
}

void RowMatcher::work() {
    Picture picture;
    for (;;) {
        const std::size_t j = next_.fetch_add(1);
        if (j >= registered_->size() || cancelled_) return;
        PairOutcome o;
        {
            const std::lock_guard<std::mutex> lock(loadMutex_);
            o.loadRc = matcher_.load((*registered_)[j].path, picture);
        }
        if (o.loadRc == 0) {
            const std::uint32_t t0 = clock_.tickMs();
            o.matchRc = matcher_.match(picture, *descriptor_, o.score);
            o.ms = clock_.tickMs() - t0;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            outcomes_[j] = o;
            done_[j] = 1;
        }
        ready_.notify_all();
    }
}

PairOutcome RowMatcher::take(int j) {
    const auto at = static_cast<std::size_t>(j);
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return done_[at] != 0; });
    return outcomes_[at];
}

void RowMatcher::stop() {
    cancelled_ = true;
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

}  // namespace stats
