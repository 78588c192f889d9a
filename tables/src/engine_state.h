#pragma once
// Library-wide state of the table engine, kept in this one place.

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "dbf_table.h"
#include "index_file.h"
#include "locks.h"

namespace tablib {

struct OpenIndex {
    IndexFile index;
    int data = 0;  // handle of the bound data file
};

struct EngineState {
    std::mutex mutex;  // serialises every request
    std::condition_variable wake;
    bool started = false;
    int maxHandles = 0;
    int nextHandle = 1;
    std::map<int, std::unique_ptr<DbfTable>> tables;
    std::map<int, std::unique_ptr<OpenIndex>> indexes;
    LockTable locks;

    DbfTable* table(intptr_t handle);
    OpenIndex* index(intptr_t handle);
    bool handleFree() const;
    int newHandle() { return nextHandle++; }
    // Closes every file, releases every lock and leaves the engine not started.
    void clear();
};

EngineState& engineState();

}  // namespace tablib
