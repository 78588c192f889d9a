// Engine start and stop, and the data-file requests.

#include "requests.h"
#include "tablib95.h"

namespace tablib {

bool recordNumber(intptr_t word, uint32_t& recno) {
    if (word < 1 || static_cast<uint64_t>(word) > UINT32_MAX) return false;
    recno = static_cast<uint32_t>(word);
    return true;
}

int startEngine(Request& r) {
    EngineState& s = r.state;
    if (!s.started) {
        intptr_t wanted = r.word(2) == 0 ? TL_DEFAULT_HANDLES : r.word(2);
        if (wanted < 1 || wanted > TL_MAX_HANDLES) return TL_E_ARGUMENT;
        s.started = true;
        s.maxHandles = static_cast<int>(wanted);
    }
    r.pack[3] = s.maxHandles;
    r.pack[4] = TL_ENGINE_VERSION;
    r.pack[5] = TL_MAX_FIELDS;
    r.pack[6] = 0xFFFF;
    return TL_OK;
}

int shutDownEngine(Request& r) {
    r.state.clear();
    return TL_OK;
}

int createTable(Request& r) {
    const char* name = r.pointer<const char>(2);
    const intptr_t kind = r.word(5);
    if (name == nullptr || *name == '\0' || kind < 1 || kind > 255) return TL_E_ARGUMENT;
    if (r.word(3) < 1 || r.word(3) > TL_MAX_FIELDS) return TL_E_FIELDS;
    return DbfTable::create(nativePath(name), static_cast<uint8_t>(kind),
                            r.pointer<const uint8_t>(4), static_cast<long>(r.word(3)));
}

// Open modes: access in the low two bits, share bits beside them.
static bool accessOf(intptr_t mode, bool& writable) {
    if ((mode & ~intptr_t(0x73)) != 0 || (mode & 3) == 3) return false;
    writable = (mode & 3) != TL_MODE_READ;
    return true;
}

int openTable(Request& r) {
    const char* name = r.pointer<const char>(3);
    bool writable = false;
    if (name == nullptr || !accessOf(r.word(4), writable)) return TL_E_ARGUMENT;
    if (!r.state.handleFree()) return TL_E_TOO_MANY;
    auto table = std::make_unique<DbfTable>();
    int rc = table->open(nativePath(name), writable);
    if (rc != TL_OK && rc != TL_W_DAMAGED) return rc;
    int handle = r.state.newHandle();
    r.state.tables.emplace(handle, std::move(table));
    r.pack[2] = handle;
    return rc;
}

int closeTable(Request& r) {
    if (r.state.table(r.word(2)) == nullptr) return TL_E_HANDLE;
    r.state.tables.erase(static_cast<int>(r.word(2)));
    return TL_OK;
}

int tableInfo(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    if (t == nullptr) return TL_E_HANDLE;
    if (int rc = t->refresh()) return rc;
    r.pack[TL_INFO_RECORDS] = t->count();
    r.pack[TL_INFO_FIELDS] = static_cast<intptr_t>(t->layout().fields.size());
    r.pack[TL_INFO_RECORD_LENGTH] = t->layout().recordLength;
    r.pack[TL_INFO_HEADER_LENGTH] = t->layout().headerLength;
    r.pack[TL_INFO_KIND] = t->layout().kind;
    r.pack[TL_INFO_DATE] = t->updateDate();
    r.pack[TL_INFO_READ_ONLY] = t->writable() ? 0 : 1;
    return TL_OK;
}

int copyTable(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    const char* target = r.pointer<const char>(3);
    if (t == nullptr) return TL_E_HANDLE;
    if (target == nullptr || *target == '\0') return TL_E_ARGUMENT;
    std::string path = nativePath(target);
    if (path == t->path()) return TL_E_ARGUMENT;
    return t->copyTo(path);
}

int readRecord(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    uint32_t recno = 0;
    if (t == nullptr) return TL_E_HANDLE;
    if (r.pointer<uint8_t>(4) == nullptr) return TL_E_ARGUMENT;
    if (!recordNumber(r.word(3), recno)) return TL_E_RECORD;
    return t->read(recno, r.pointer<uint8_t>(4));
}

int appendRecord(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    if (t == nullptr) return TL_E_HANDLE;
    if (r.pointer<uint8_t>(4) == nullptr) return TL_E_ARGUMENT;
    uint32_t recno = 0;
    if (int rc = t->append(r.pointer<const uint8_t>(4), recno)) return rc;
    r.pack[3] = recno;
    return TL_OK;
}

int writeRecord(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    uint32_t recno = 0;
    if (t == nullptr) return TL_E_HANDLE;
    if (r.pointer<uint8_t>(4) == nullptr) return TL_E_ARGUMENT;
    if (!recordNumber(r.word(3), recno)) return TL_E_RECORD;
    return t->write(recno, r.pointer<const uint8_t>(4));
}

int deleteRecord(Request& r) {
    DbfTable* t = r.state.table(r.word(2));
    uint32_t recno = 0;
    if (t == nullptr) return TL_E_HANDLE;
    if (!recordNumber(r.word(3), recno)) return TL_E_RECORD;
    return t->markDeleted(recno);
}

int packTable(Request& r) {
    const int handle = static_cast<int>(r.word(2));
    DbfTable* t = r.state.table(r.word(2));
    if (t == nullptr) return TL_E_HANDLE;
    uint32_t removed = 0;
    if (int rc = t->pack(removed)) return rc;
    if (removed == 0) return TL_OK;
    // The other handles of this file see the packed one; record numbers moved, so every
    // index bound to the file needs a rebuild.
    int rc = TL_OK;
    for (auto& [h, other] : r.state.tables)
        if (h != handle && other->path() == t->path())
            if (int e = other->reopen(); e != TL_OK) rc = e;
    for (auto& [h, open] : r.state.indexes) {
        DbfTable* bound = r.state.table(open->data);
        if (bound != nullptr && bound->path() == t->path())
            if (int e = open->index.markOutOfStep(); e != TL_OK) rc = e;
    }
    return rc;
}

}  // namespace tablib
