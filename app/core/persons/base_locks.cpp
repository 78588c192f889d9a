// The locks of a write sequence, and what a writer takes in under them: a persons table
// that another process's pack replaced, and indexes another process left out of step.

#include <cstring>

#include "persons/person_base.h"
#include "tablib95.h"

namespace persons {

// Users.Dbf first, then Faces.Dbf, everywhere: a pack holds both from its copy to its
// rebuilt indexes, so a writer that gets the lock of the new persons table still waits for
// the pack's end on the faces table.
int PersonBase::beginWrite() {
    if (readOnly_) return TL_E_READ_ONLY;
    for (;;) {
        const Handles h = handles();
        const std::intptr_t indexes[2] = {h.byId, h.byUserId};
        int rc = calls_.lock(indexes);
        // Another thread of this object opened the table anew while this one waited.
        if (rc == TL_E_HANDLE && handles().byId != h.byId) continue;
        if (rc != kOk) return rc;
        if ((rc = calls_.lockData(h.faces)) != kOk) {
            calls_.unlock(indexes);
            return rc;
        }
        rc = followReplacedTable();
        if (rc == kOk) rc = repairStaleIndexes();
        if (rc == kOk) rc = refreshCounts();
        if (rc != kOk) endWrite();
        return rc;
    }
}

// The faces lock goes first: after a pack this thread holds the old persons table's lock
// under a name that is no longer the file's, which the engine finds only as the single
// lock the thread holds.
void PersonBase::endWrite() {
    const Handles h = handles();
    const std::intptr_t indexes[2] = {h.byId, h.byUserId};
    calls_.unlockData(h.faces);
    calls_.unlock(indexes);
}

int PersonBase::followReplacedTable() {
    const FileId now = fileId(path(kUsersTable));
    if (now == usersFile_) return kOk;
    bool rebuildId = false, rebuildUserId = false;
    if (int rc = openUsers(rebuildId, rebuildUserId)) return rc;
    usersFile_ = now;  // no one replaces it while the lock is held
    return checkIndexes(rebuildId, rebuildUserId);
}

// A probe look-up tells whether an index is in step with the table.
int PersonBase::repairStaleIndexes() {
    if (int rc = refreshCounts()) return rc;
    for (const std::intptr_t index : {byId_.load(), byUserId_.load()}) {
        std::uint8_t key[256];
        std::memset(key, ' ', sizeof key);
        std::uint32_t recno = 0;
        const int rc = calls_.find(index, key, recno);
        if (rc == kOk || rc == TL_E_KEY_NOT_FOUND) continue;
        if (rc != TL_W_OUT_OF_STEP) return rc;
        if (int rebuilt = calls_.reindexOne(index)) return rebuilt;
    }
    return kOk;
}

}  // namespace persons
