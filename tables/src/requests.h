#pragma once
// Request handlers, one per function code. Each runs with the engine mutex held and
// returns the result code (chained requests: minus the failing pack's position).

#include <cstdint>
#include <mutex>

#include "engine_state.h"

namespace tablib {

struct Request {
    EngineState& state;
    std::unique_lock<std::mutex>& lock;
    intptr_t* pack;

    intptr_t word(int i) const { return pack[i]; }
    template <class T>
    T* pointer(int i) const {
        return reinterpret_cast<T*>(pack[i]);
    }
};

// Record numbers arrive in pack words; valid ones are 1 ... 2^32 - 1.
bool recordNumber(intptr_t word, uint32_t& recno);

int startEngine(Request& r);
int shutDownEngine(Request& r);
int copyTable(Request& r);
int createTable(Request& r);
int openTable(Request& r);
int closeTable(Request& r);
int tableInfo(Request& r);
int readRecord(Request& r);
int appendRecord(Request& r);
int writeRecord(Request& r);
int deleteRecord(Request& r);
int packTable(Request& r);

int createIndex(Request& r);
int openIndex(Request& r);
int closeIndex(Request& r);
int indexInfo(Request& r);
int findKey(Request& r);
int deleteKey(Request& r);
int insertChained(Request& r);
int updateChained(Request& r);
int reindexChained(Request& r);

int lockIndexes(Request& r);
int unlockIndexes(Request& r);
int lockTable(Request& r);
int unlockTable(Request& r);

}  // namespace tablib
