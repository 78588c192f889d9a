// The entry point: checks the function code and hands the pack to its handler.

#include "requests.h"
#include "tablib95.h"

namespace tablib {
namespace {

using Handler = int (*)(Request&);

Handler handlerFor(intptr_t code) {
    switch (code) {
        case TL_START:
            return startEngine;
        case TL_SHUTDOWN:
            return shutDownEngine;
        case TL_COPY:
            return copyTable;
        case TL_CREATE:
            return createTable;
        case TL_OPEN:
            return openTable;
        case TL_CLOSE:
            return closeTable;
        case TL_INFO:
            return tableInfo;
        case TL_INDEX_CREATE:
            return createIndex;
        case TL_INDEX_OPEN:
            return openIndex;
        case TL_INDEX_CLOSE:
            return closeIndex;
        case TL_INDEX_INFO:
            return indexInfo;
        case TL_READ:
            return readRecord;
        case TL_APPEND:
            return appendRecord;
        case TL_WRITE:
            return writeRecord;
        case TL_DELETE:
            return deleteRecord;
        case TL_PACK:
            return packTable;
        case TL_FIND:
            return findKey;
        case TL_KEY_DELETE:
            return deleteKey;
        case TL_INSERT:
            return insertChained;
        case TL_UPDATE:
            return updateChained;
        case TL_REINDEX:
            return reindexChained;
        case TL_LOCK:
            return lockIndexes;
        case TL_UNLOCK:
            return unlockIndexes;
        case TL_DATA_LOCK:
            return lockTable;
        case TL_DATA_UNLOCK:
            return unlockTable;
        default:
            return nullptr;
    }
}

bool chained(intptr_t code) {
    return code == TL_INSERT || code == TL_UPDATE || code == TL_REINDEX || code == TL_LOCK ||
           code == TL_UNLOCK;
}

}  // namespace
}  // namespace tablib

extern "C" int TABLIB(intptr_t* pack) {
    using namespace tablib;
    if (pack == nullptr) return TL_E_ARGUMENT;
    const intptr_t code = pack[0];
    if (code <= 0 || code > TL_LAST_FUNCTION) {
        pack[1] = TL_E_FUNCTION;
        return TL_E_FUNCTION;
    }
    EngineState& state = engineState();
    std::unique_lock<std::mutex> lock(state.mutex);
    int rc;
    if (!state.started && code != TL_START) {
        rc = TL_E_NOT_STARTED;
    } else if (Handler h = handlerFor(code)) {
        Request r{state, lock, pack};
        rc = h(r);
        if (chained(code)) return rc;  // every pack of the chain holds its own status
    } else {
        rc = TL_E_UNSUPPORTED;
    }
    pack[1] = rc;
    return rc;
}
