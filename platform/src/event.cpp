#include "platform/event.h"

namespace platform {

void ManualEvent::set() {
    {
        const std::lock_guard lock(mutex_);
        set_ = true;
    }
    cv_.notify_all();
}

void ManualEvent::reset() {
    const std::lock_guard lock(mutex_);
    set_ = false;
}

bool ManualEvent::isSet() const {
    const std::lock_guard lock(mutex_);
    return set_;
}

void ManualEvent::wait() const {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return set_; });
}

bool ManualEvent::waitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [this] { return set_; });
}

}  // namespace platform
