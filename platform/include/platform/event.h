#pragma once
// A manual-reset event: set() wakes every waiter and stays set until reset(). Thread-safe;
// not copyable.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class ManualEvent {
  public:
    ManualEvent() = default;
    ManualEvent(const ManualEvent&) = delete;
    ManualEvent& operator=(const ManualEvent&) = delete;

    void set();
    void reset();
    bool isSet() const;
    void wait() const;
    // true when the event is (or becomes) set within the timeout.
    bool waitFor(std::chrono::milliseconds timeout) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace platform
