#pragma once
// A manual-reset event: set() wakes every waiter and stays set until reset().
// Thread-safe; not copyable.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace capture {

class ManualEvent {
  public:
    ManualEvent() = default;
    ManualEvent(const ManualEvent&) = delete;
    ManualEvent& operator=(const ManualEvent&) = delete;

    void set() {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        changed_.notify_all();
    }
    void reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool isSet() const {
        std::lock_guard lock(mutex_);
        return set_;
    }
    void wait() const {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return set_; });
    }
    // true when the event was set within the time.
    bool waitFor(std::chrono::milliseconds time) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, time, [this] { return set_; });
    }

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace capture
