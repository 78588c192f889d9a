#pragma once
// Exclusive, per-thread recursive locks on data files. A lock excludes the other threads of
// this process (owner thread and depth) and other processes (flock on a descriptor of its
// own). Waiting gives the engine mutex up, so other requests go on meanwhile.

#include <sys/types.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "file_io.h"

namespace tablib {

class LockTable {
  public:
    // Blocks until the calling thread holds the lock of the file at `path`.
    int acquire(std::unique_lock<std::mutex>& engineLock, std::condition_variable& wake,
                const std::string& path, const bool& running);
    int release(const std::string& path, std::condition_variable& wake);
    void releaseAll(std::condition_variable& wake);

  private:
    struct Held {
        std::thread::id owner;
        int depth = 0;
        File file;
    };
    using Key = std::pair<dev_t, ino_t>;
    std::map<Key, Held> held_;
};

}  // namespace tablib
