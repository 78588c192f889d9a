#include "persons/table_calls.h"

#include <cstring>

#include "tablib95.h"

namespace persons {

namespace {
constexpr std::intptr_t kOpenMode = 34;      // read-write, shared
constexpr std::intptr_t kReadOnlyMode = 32;  // read only, shared
constexpr std::intptr_t kFileKind = 3;
constexpr std::intptr_t kIndexPageValue = 512;

std::intptr_t word(const void* p) {
    return reinterpret_cast<std::intptr_t>(p);
}
}  // namespace

EngineEntry defaultEngine() {
    return [](std::intptr_t* pack) { return TABLIB(pack); };
}

int TableCalls::call(std::intptr_t* pack) {
    const int rc = entry_(pack);
    return rc == 0 ? static_cast<int>(pack[1]) : rc;
}

int TableCalls::chain(Pack* packs, std::size_t n, int next) {
    for (std::size_t k = 0; k + 1 < n; ++k) packs[k][next] = word(packs[k + 1]);
    const int rc = entry_(packs[0]);
    if (rc >= 0) return rc;
    const std::size_t failed = static_cast<std::size_t>(-rc);
    if (failed >= 1 && failed <= n && packs[failed - 1][1] != 0)
        return static_cast<int>(packs[failed - 1][1]);
    return TL_E_ARGUMENT;
}

int TableCalls::start(std::uint32_t& version) {
    Pack p = {TL_START, 0, TL_DEFAULT_HANDLES};
    const int rc = call(p);
    if (rc == 0) version = static_cast<std::uint32_t>(p[4]);
    return rc;
}

int TableCalls::shutDown() {
    Pack p = {TL_SHUTDOWN};
    return call(p);
}

int TableCalls::create(const std::string& path, const std::vector<std::uint8_t>& descriptors) {
    Pack p = {TL_CREATE,
              0,
              word(path.c_str()),
              static_cast<std::intptr_t>(descriptors.size() / 32),
              word(descriptors.data()),
              kFileKind};
    return call(p);
}

int TableCalls::open(const std::string& path, std::intptr_t& handle, bool writable) {
    Pack p = {TL_OPEN, 0, 0, word(path.c_str()), writable ? kOpenMode : kReadOnlyMode};
    const int rc = call(p);
    handle = p[2];
    return rc;
}

int TableCalls::close(std::intptr_t handle) {
    Pack p = {TL_CLOSE, 0, handle};
    return call(p);
}

int TableCalls::info(std::intptr_t handle, std::uint32_t& count, std::uint32_t& recordLength,
                     std::uint32_t& fields) {
    Pack p = {TL_INFO, 0, handle};
    const int rc = call(p);
    if (rc == 0) {
        count = static_cast<std::uint32_t>(p[TL_INFO_RECORDS]);
        recordLength = static_cast<std::uint32_t>(p[TL_INFO_RECORD_LENGTH]);
        fields = static_cast<std::uint32_t>(p[TL_INFO_FIELDS]);
    }
    return rc;
}

int TableCalls::copy(std::intptr_t handle, const std::string& target) {
    Pack p = {TL_COPY, 0, handle, word(target.c_str())};
    return call(p);
}

int TableCalls::read(std::intptr_t handle, std::uint32_t recno, std::uint8_t* record) {
    Pack p = {TL_READ, 0, handle, static_cast<std::intptr_t>(recno), word(record)};
    return call(p);
}

int TableCalls::append(std::intptr_t handle, const std::uint8_t* record, std::uint32_t& recno) {
    Pack p = {TL_APPEND, 0, handle, 0, word(record)};
    const int rc = call(p);
    if (rc == 0) recno = static_cast<std::uint32_t>(p[3]);
    return rc;
}

int TableCalls::write(std::intptr_t handle, std::uint32_t recno, const std::uint8_t* record) {
    Pack p = {TL_WRITE, 0, handle, static_cast<std::intptr_t>(recno), word(record)};
    return call(p);
}

int TableCalls::markDeleted(std::intptr_t handle, std::uint32_t recno) {
    Pack p = {TL_DELETE, 0, handle, static_cast<std::intptr_t>(recno)};
    return call(p);
}

int TableCalls::pack(std::intptr_t handle) {
    Pack p = {TL_PACK, 0, handle};
    return call(p);
}

int TableCalls::lockData(std::intptr_t handle) {
    Pack p = {TL_DATA_LOCK, 0, handle, 0, 0, 0, 0, 0};
    return call(p);
}

int TableCalls::unlockData(std::intptr_t handle) {
    Pack p = {TL_DATA_UNLOCK, 0, handle, 1, 1, 0, 0, 0};
    return call(p);
}

int TableCalls::createIndex(const std::string& path, const char* expression, std::intptr_t data,
                            int keyFlags) {
    Pack p = {TL_INDEX_CREATE, 0, word(path.c_str()), word(expression), data, keyFlags, 0, 0, 0,
              kIndexPageValue};
    return call(p);
}

int TableCalls::openIndex(const std::string& path, std::intptr_t data, std::intptr_t& handle,
                          bool writable) {
    Pack p = {TL_INDEX_OPEN, 0, 0, word(path.c_str()), writable ? kOpenMode : kReadOnlyMode, data};
    const int rc = call(p);
    handle = p[2];
    return rc;
}

int TableCalls::closeIndex(std::intptr_t handle) {
    Pack p = {TL_INDEX_CLOSE, 0, handle};
    return call(p);
}

int TableCalls::indexInfo(std::intptr_t handle, std::uint32_t& keyLength, std::uint32_t& keyType,
                          std::uint32_t& keys) {
    Pack p = {TL_INDEX_INFO, 0, handle};
    const int rc = call(p);
    if (rc == 0) {
        keyLength = static_cast<std::uint32_t>(p[TL_IINFO_KEY_LENGTH]);
        keyType = static_cast<std::uint32_t>(p[TL_IINFO_KEY_TYPE]);
        keys = static_cast<std::uint32_t>(p[TL_IINFO_KEYS]);
    }
    return rc;
}

int TableCalls::find(std::intptr_t index, const std::uint8_t* key, std::uint32_t& recno) {
    Pack p = {TL_FIND, 0, index, 0, 0, word(key)};
    const int rc = call(p);
    if (rc == 0) recno = static_cast<std::uint32_t>(p[3]);
    return rc;
}

int TableCalls::deleteKey(std::intptr_t index, std::uint32_t recno, const std::uint8_t* key) {
    Pack p = {TL_KEY_DELETE, 0, index, static_cast<std::intptr_t>(recno), 0, word(key)};
    return call(p);
}

int TableCalls::insert(const std::intptr_t (&indexes)[2], const std::uint8_t* record,
                       std::uint32_t& recno) {
    std::uint8_t keys[2][256] = {};
    Pack p[2] = {{TL_INSERT, 0, indexes[0], 0, word(record), word(keys[0])},
                 {TL_INSERT, 0, indexes[1], TL_CHAIN_NEXT, word(record), word(keys[1])}};
    const int rc = chain(p, 2, 6);
    if (rc == 0) recno = static_cast<std::uint32_t>(p[0][3]);
    return rc;
}

int TableCalls::update(const std::intptr_t (&indexes)[2], std::uint32_t recno,
                       const std::uint8_t* record) {
    std::uint8_t keys[2][256] = {};
    const auto n = static_cast<std::intptr_t>(recno);
    Pack p[2] = {{TL_UPDATE, 0, indexes[0], n, word(record), word(keys[0])},
                 {TL_UPDATE, 0, indexes[1], n, word(record), word(keys[1])}};
    return chain(p, 2, 6);
}

int TableCalls::reindex(const std::intptr_t (&indexes)[2]) {
    std::uint8_t keys[2][256] = {};
    Pack p[2] = {{TL_REINDEX, 0, indexes[0], 0, 0, word(keys[0])},
                 {TL_REINDEX, 0, indexes[1], 0, 0, word(keys[1])}};
    return chain(p, 2, 6);
}

int TableCalls::reindexOne(std::intptr_t index) {
    std::uint8_t key[256] = {};
    Pack p[1] = {{TL_REINDEX, 0, index, 0, 0, word(key)}};
    return chain(p, 1, 6);
}

int TableCalls::lock(const std::intptr_t (&indexes)[2]) {
    Pack p[2] = {{TL_LOCK, 0, indexes[0], 0, 0, 0}, {TL_LOCK, 0, indexes[1], 0, 0, 0}};
    return chain(p, 2, 7);
}

int TableCalls::unlock(const std::intptr_t (&indexes)[2]) {
    Pack p[2] = {{TL_UNLOCK, 0, indexes[0], 1, 1, 0}, {TL_UNLOCK, 0, indexes[1], 1, 1, 0}};
    return chain(p, 2, 7);
}

}  // namespace persons
