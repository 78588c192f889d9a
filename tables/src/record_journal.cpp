#include "record_journal.h"

#include <cstring>

#include "wire.h"

namespace tablib {

namespace {
constexpr char kMagic[4] = {'T', 'B', 'J', '1'};
}

uint32_t journalCheck(const uint8_t* bytes, size_t n) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 16777619u;
    return h;
}

std::vector<uint8_t> journalEntry(uint32_t recno, const uint8_t* record, size_t length) {
    std::vector<uint8_t> e(length + kJournalOverhead);
    std::memcpy(e.data(), kMagic, 4);
    putU32(e.data() + 4, recno);
    putU32(e.data() + 8, static_cast<uint32_t>(length));
    std::memcpy(e.data() + 12, record, length);
    putU32(e.data() + 12 + length, journalCheck(e.data(), 12 + length));
    return e;
}

bool readJournalEntry(const uint8_t* b, size_t n, size_t length, uint32_t& recno) {
    if (n != length + kJournalOverhead || std::memcmp(b, kMagic, 4) != 0) return false;
    if (getU32(b + 8) != length) return false;
    if (getU32(b + 12 + length) != journalCheck(b, 12 + length)) return false;
    recno = getU32(b + 4);
    return true;
}

}  // namespace tablib
