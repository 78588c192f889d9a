#include "locks.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>

#include "tablib95.h"

namespace tablib {

namespace {
constexpr auto kPoll = std::chrono::milliseconds(2);
constexpr auto kGiveUp = std::chrono::seconds(60);
}  // namespace

int LockTable::acquire(std::unique_lock<std::mutex>& engineLock, std::condition_variable& wake,
                       const std::string& path, const bool& running) {
    const auto me = std::this_thread::get_id();
    const auto deadline = std::chrono::steady_clock::now() + kGiveUp;
    for (;;) {
        if (!running) return TL_E_NOT_STARTED;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return TL_E_LOCK;
        Key key{st.st_dev, st.st_ino};
        auto it = held_.find(key);
        if (it != held_.end() && it->second.owner == me) {
            ++it->second.depth;
            return TL_OK;
        }
        if (it == held_.end()) {
            File f = File::open(path, false);
            if (!f.valid()) return TL_E_LOCK;
            if (::flock(f.fd(), LOCK_EX | LOCK_NB) == 0) {
                Held& h = held_[key];
                h.owner = me;
                h.depth = 1;
                h.file = std::move(f);
                return TL_OK;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) return TL_E_LOCK;
        }
        if (std::chrono::steady_clock::now() > deadline) return TL_E_LOCK;
        // Held by another thread (woken on release) or another process (polled).
        wake.wait_for(engineLock, kPoll);
    }
}

int LockTable::release(const std::string& path, std::condition_variable& wake) {
    struct stat st {};
    const auto me = std::this_thread::get_id();
    auto it = held_.end();
    if (::stat(path.c_str(), &st) == 0) it = held_.find(Key{st.st_dev, st.st_ino});
    if (it == held_.end()) {
        // The file may have been replaced (pack) while locked: find the lock by owner only
        // if this thread holds exactly one.
        int mine = 0;
        for (auto i = held_.begin(); i != held_.end(); ++i)
            if (i->second.owner == me) ++mine, it = i;
        if (mine != 1) return TL_E_NOT_LOCKED;
    }
    if (it->second.owner != me) return TL_E_NOT_LOCKED;
    if (--it->second.depth == 0) {
        ::flock(it->second.file.fd(), LOCK_UN);
        held_.erase(it);
        wake.notify_all();
    }
    return TL_OK;
}

void LockTable::releaseAll(std::condition_variable& wake) {
    held_.clear();  // closing the descriptors drops the file locks
    wake.notify_all();
}

}  // namespace tablib
