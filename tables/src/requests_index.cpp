// Index requests: create, open, close, information, find and delete a key, and the chained
// insert, update and rebuild that keep a table and its indexes in step.

#include <cstring>
#include <vector>

#include "chain.h"
#include "requests.h"
#include "tablib95.h"

namespace tablib {

int createIndex(Request& r) {
    const char* name = r.pointer<const char>(2);
    DbfTable* t = r.state.table(r.word(4));
    if (t == nullptr) return TL_E_HANDLE;
    if (name == nullptr || *name == '\0') return TL_E_ARGUMENT;
    return IndexFile::create(nativePath(name), r.pointer<const char>(3), *t,
                             static_cast<long>(r.word(5)), static_cast<long>(r.word(9)));
}

int openIndex(Request& r) {
    const char* name = r.pointer<const char>(3);
    DbfTable* t = r.state.table(r.word(5));
    if (t == nullptr) return TL_E_HANDLE;
    intptr_t mode = r.word(4);
    if (name == nullptr || (mode & ~intptr_t(0x73)) != 0 || (mode & 3) == 3) return TL_E_ARGUMENT;
    if (!r.state.handleFree()) return TL_E_TOO_MANY;
    auto open = std::make_unique<OpenIndex>();
    open->data = static_cast<int>(r.word(5));
    int rc = open->index.open(nativePath(name), (mode & 3) != TL_MODE_READ, *t);
    if (rc != TL_OK && rc != TL_W_OUT_OF_STEP) return rc;
    int handle = r.state.newHandle();
    r.state.indexes.emplace(handle, std::move(open));
    r.pack[2] = handle;
    return rc;
}

int closeIndex(Request& r) {
    if (r.state.index(r.word(2)) == nullptr) return TL_E_HANDLE;
    r.state.indexes.erase(static_cast<int>(r.word(2)));
    return TL_OK;
}

int indexInfo(Request& r) {
    OpenIndex* oi = r.state.index(r.word(2));
    if (oi == nullptr) return TL_E_HANDLE;
    const IndexHeader& h = oi->index.header();
    r.pack[TL_IINFO_KEY_LENGTH] = h.keyLength;
    r.pack[TL_IINFO_KEY_TYPE] = h.keyType;
    r.pack[TL_IINFO_KEY_FLAGS] = h.keyFlags;
    r.pack[TL_IINFO_KEYS] = h.keyCount;
    r.pack[TL_IINFO_PAGE_SIZE] = h.pageSize;
    r.pack[TL_IINFO_DATA] = oi->data;
    return TL_OK;
}

int findKey(Request& r) {
    OpenIndex* oi = r.state.index(r.word(2));
    if (oi == nullptr) return TL_E_HANDLE;
    DbfTable* t = r.state.table(oi->data);
    if (t == nullptr) return TL_E_HANDLE;
    if (r.word(4) != 0 || r.pointer<uint8_t>(5) == nullptr) return TL_E_ARGUMENT;
    uint32_t recno = 0;
    if (int rc = oi->index.find(r.pointer<const uint8_t>(5), recno, t->count())) return rc;
    r.pack[3] = recno;
    return TL_OK;
}

int deleteKey(Request& r) {
    OpenIndex* oi = r.state.index(r.word(2));
    if (oi == nullptr) return TL_E_HANDLE;
    DbfTable* t = r.state.table(oi->data);
    if (t == nullptr) return TL_E_HANDLE;
    uint32_t recno = 0;
    if (r.word(4) != 0 || r.pointer<uint8_t>(5) == nullptr) return TL_E_ARGUMENT;
    if (r.word(3) != 0 && !recordNumber(r.word(3), recno)) return TL_E_RECORD;
    if (int rc = oi->index.beginChange(t->count())) return rc;
    int rc = oi->index.remove(r.pointer<const uint8_t>(5), recno);
    if (rc != TL_OK && rc != TL_E_KEY_NOT_FOUND) {
        oi->index.markOutOfStep();
        return rc;
    }
    int end = oi->index.endChange(t->count());
    return rc != TL_OK ? rc : end;
}

namespace {

// The indexes of a chain, all bound to one writable table.
struct ChainTargets {
    OpenIndex* index[kMaxChain] = {};
    DbfTable* table = nullptr;
};

int resolve(Request& r, const Chain& chain, bool forWrite, ChainTargets& out) {
    if (chain.tooLong) return chain.fail(kMaxChain - 1, TL_E_ARGUMENT);
    int data = 0;
    for (size_t k = 0; k < chain.size; ++k) {
        OpenIndex* oi = r.state.index(chain[k][2]);
        if (oi == nullptr) return chain.fail(k, TL_E_HANDLE);
        if (k == 0) data = oi->data;
        if (oi->data != data) return chain.fail(k, TL_E_MISMATCH);
        if (chain[k][5] == 0) return chain.fail(k, TL_E_ARGUMENT);
        if (forWrite && !oi->index.writable()) return chain.fail(k, TL_E_READ_ONLY);
        out.index[k] = oi;
    }
    out.table = r.state.table(data);
    if (out.table == nullptr) return chain.fail(0, TL_E_HANDLE);
    if (forWrite && !out.table->writable()) return chain.fail(0, TL_E_READ_ONLY);
    return TL_OK;
}

uint8_t* keyBuffer(const Chain& chain, size_t k) {
    return reinterpret_cast<uint8_t*>(chain[k][5]);
}

// Sets the in-change mark of every index of the chain; on failure clears the ones set.
int beginAll(const Chain& chain, ChainTargets& t) {
    for (size_t k = 0; k < chain.size; ++k) {
        if (int rc = t.index[k]->index.beginChange(t.table->count())) {
            for (size_t j = 0; j < k; ++j) t.index[j]->index.endChange(t.table->count());
            return chain.fail(k, rc);
        }
    }
    return TL_OK;
}

void endAll(const Chain& chain, ChainTargets& t) {
    for (size_t k = 0; k < chain.size; ++k) t.index[k]->index.endChange(t.table->count());
}

// Keys of a record that a unique index already holds for another record.
int checkUnique(const Chain& chain, ChainTargets& t, uint32_t self) {
    for (size_t k = 0; k < chain.size; ++k) {
        IndexFile& ix = t.index[k]->index;
        if (!ix.unique()) continue;
        uint32_t found = 0;
        int rc = ix.find(keyBuffer(chain, k), found, t.table->count());
        if (rc == TL_OK && found != self) return chain.fail(k, TL_E_DUPLICATE);
        if (rc != TL_OK && rc != TL_E_KEY_NOT_FOUND) return chain.fail(k, rc);
    }
    return TL_OK;
}

// After a failed key change at k: the indexes from k on no longer match the table.
int keyFailure(const Chain& chain, ChainTargets& t, size_t k, int rc) {
    for (size_t j = 0; j < k; ++j) t.index[j]->index.endChange(t.table->count());
    for (size_t j = k; j < chain.size; ++j) t.index[j]->index.markOutOfStep();
    return chain.fail(k, rc);
}

}  // namespace

int insertChained(Request& r) {
    Chain chain(r.pack, 6);
    ChainTargets t;
    if (int rc = resolve(r, chain, true, t)) return rc;
    const uint8_t* record = reinterpret_cast<const uint8_t*>(chain[0][4]);
    if (record == nullptr) return chain.fail(0, TL_E_ARGUMENT);
    for (size_t k = 0; k < chain.size; ++k) t.index[k]->index.keyOf(record, keyBuffer(chain, k));
    if (int rc = checkUnique(chain, t, 0)) return rc;
    if (int rc = beginAll(chain, t)) return rc;
    uint32_t recno = 0;
    if (int rc = t.table->append(record, recno)) {
        endAll(chain, t);
        return chain.fail(0, rc);
    }
    for (size_t k = 0; k < chain.size; ++k)
        if (int rc = t.index[k]->index.insert(keyBuffer(chain, k), recno))
            return keyFailure(chain, t, k, rc);
    endAll(chain, t);
    chain[0][3] = recno;
    return TL_OK;
}

int updateChained(Request& r) {
    Chain chain(r.pack, 6);
    ChainTargets t;
    if (int rc = resolve(r, chain, true, t)) return rc;
    const uint8_t* record = reinterpret_cast<const uint8_t*>(chain[0][4]);
    uint32_t recno = 0;
    if (record == nullptr) return chain.fail(0, TL_E_ARGUMENT);
    if (!recordNumber(chain[0][3], recno) || recno > t.table->count())
        return chain.fail(0, TL_E_RECORD);
    std::vector<uint8_t> old(t.table->layout().recordLength);
    if (int rc = t.table->read(recno, old.data())) return chain.fail(0, rc);
    for (size_t k = 0; k < chain.size; ++k) t.index[k]->index.keyOf(record, keyBuffer(chain, k));
    if (int rc = checkUnique(chain, t, recno)) return rc;
    if (int rc = beginAll(chain, t)) return rc;
    if (int rc = t.table->write(recno, record)) {
        endAll(chain, t);
        return chain.fail(0, rc);
    }
    uint8_t oldKey[256];
    for (size_t k = 0; k < chain.size; ++k) {
        IndexFile& ix = t.index[k]->index;
        ix.keyOf(old.data(), oldKey);
        const uint8_t* key = keyBuffer(chain, k);
        if (std::memcmp(oldKey, key, ix.keyLength()) != 0) {
            int rc = ix.remove(oldKey, recno);
            if (rc != TL_OK && rc != TL_E_KEY_NOT_FOUND) return keyFailure(chain, t, k, rc);
        }
        // Also restores a key that was missing.
        if (int rc = ix.insert(key, recno)) return keyFailure(chain, t, k, rc);
    }
    endAll(chain, t);
    return TL_OK;
}

int reindexChained(Request& r) {
    Chain chain(r.pack, 6);
    ChainTargets t;
    if (int rc = resolve(r, chain, true, t)) return rc;
    if (int rc = t.table->refresh()) return chain.fail(0, rc);
    for (size_t k = 0; k < chain.size; ++k)
        if (int rc = t.index[k]->index.rebuild(*t.table)) return chain.fail(k, rc);
    return TL_OK;
}

}  // namespace tablib
