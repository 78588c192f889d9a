#pragma once
// A manual-reset event: set() wakes every waiter and stays set until reset(). Thread-safe.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace panels {

class ManualEvent {
  public:
    void set();
    void reset();
    bool isSet() const;
    // true when the event is (or becomes) set within the timeout.
    bool waitFor(std::chrono::milliseconds timeout) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace panels
