// Lock requests: through indexes (chained) or on a data file. Either way the lock belongs
// to the data file, so both kinds exclude each other.

#include <string>

#include "chain.h"
#include "requests.h"
#include "tablib95.h"

namespace tablib {
namespace {

int lockPath(Request& r, int dataHandle) {
    DbfTable* t = r.state.table(dataHandle);
    if (t == nullptr) return TL_E_HANDLE;
    std::string path = t->path();
    if (int rc = r.state.locks.acquire(r.lock, r.state.wake, path, r.state.started)) return rc;
    // The mutex was given up while waiting: look the table up again, then take in what
    // other processes wrote before the lock was granted.
    t = r.state.table(dataHandle);
    if (t == nullptr) {
        r.state.locks.release(path, r.state.wake);
        return TL_E_HANDLE;
    }
    return t->refresh();
}

int unlockPath(Request& r, int dataHandle) {
    DbfTable* t = r.state.table(dataHandle);
    if (t == nullptr) return TL_E_HANDLE;
    return r.state.locks.release(t->path(), r.state.wake);
}

}  // namespace

int lockIndexes(Request& r) {
    Chain chain(r.pack, 7);
    if (chain.tooLong) return chain.fail(kMaxChain - 1, TL_E_ARGUMENT);
    for (size_t k = 0; k < chain.size; ++k) {
        OpenIndex* oi = r.state.index(chain[k][2]);
        int rc = oi == nullptr ? TL_E_HANDLE : lockPath(r, oi->data);
        if (rc != TL_OK) {
            // Give back what this request took.
            for (size_t j = 0; j < k; ++j)
                if (OpenIndex* held = r.state.index(chain[j][2])) unlockPath(r, held->data);
            return chain.fail(k, rc);
        }
    }
    return TL_OK;
}

int unlockIndexes(Request& r) {
    Chain chain(r.pack, 7);
    if (chain.tooLong) return chain.fail(kMaxChain - 1, TL_E_ARGUMENT);
    int result = TL_OK;
    for (size_t k = 0; k < chain.size; ++k) {
        OpenIndex* oi = r.state.index(chain[k][2]);
        int rc = oi == nullptr ? TL_E_HANDLE : unlockPath(r, oi->data);
        if (rc != TL_OK) {
            chain[k][1] = rc;
            if (result == TL_OK) result = -static_cast<int>(k + 1);
        }
    }
    return result;
}

int lockTable(Request& r) {
    return lockPath(r, static_cast<int>(r.word(2)));
}

int unlockTable(Request& r) {
    return unlockPath(r, static_cast<int>(r.word(2)));
}

}  // namespace tablib
