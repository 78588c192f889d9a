#pragma once
// The image of a record being overwritten in place, kept behind the end mark of the data
// file until the write is done, so that a write torn by a killed process is redone at the
// next open. Layout: "TBJ1", u32 record number, u32 length, the record, u32 check value.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tablib {

inline constexpr size_t kJournalOverhead = 16;

std::vector<uint8_t> journalEntry(uint32_t recno, const uint8_t* record, size_t length);
// True when the bytes hold a whole entry for a record of this length; gives its number.
bool readJournalEntry(const uint8_t* bytes, size_t n, size_t length, uint32_t& recno);
uint32_t journalCheck(const uint8_t* bytes, size_t n);

}  // namespace tablib
