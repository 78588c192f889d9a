#pragma once
// Index file layout: page 0 is the header, every other page a B+tree node.
//
// Header page:  0 magic "TBX1", 4 u16 version, 6 u16 page size, 8 u16 key length,
//   10 u8 key type, 11 u8 key flags, 12 u32 root page, 16 u32 page count, 20 u32 key count,
//   24 u32 record count of the table the keys reflect, 28 u8 in-change mark,
//   32 u16 table header length, 34 u16 table record length, 36 u16 key offset in the record,
//   40 key expression (11 characters, zero padded).
// Node page:  0 u8 kind (1 leaf, 2 branch), 2 u16 entry count, 4 u32 link, 8 entries.
//   Leaf entries are key + u32 record number, sorted by (key bytes, record number); the link
//   is the next leaf (0 at the end). Branch entries are key + u32 record number + u32 child:
//   the child holds the entries from that separator up to the next one; the link is the
//   child for entries before the first separator.

#include <cstddef>
#include <cstdint>

namespace tablib {

inline constexpr char kIndexMagic[4] = {'T', 'B', 'X', '1'};
inline constexpr uint16_t kIndexVersion = 1;
inline constexpr size_t kMinPage = 512;
inline constexpr size_t kMaxPage = 8192;
inline constexpr size_t kNodeHeader = 8;
inline constexpr uint8_t kLeaf = 1;
inline constexpr uint8_t kBranch = 2;
inline constexpr int kMaxDepth = 32;

struct IndexHeader {
    uint16_t pageSize = 512;
    uint16_t keyLength = 0;
    uint8_t keyType = 1;
    uint8_t keyFlags = 0;
    uint32_t root = 1;
    uint32_t pageCount = 2;
    uint32_t keyCount = 0;
    uint32_t dataCount = 0;
    uint8_t changing = 0;
    uint16_t dataHeaderLength = 0;
    uint16_t dataRecordLength = 0;
    uint16_t keyOffset = 0;
    char expression[12] = {};
};

inline constexpr size_t kChangingOffset = 28;

void encodeIndexHeader(const IndexHeader& h, uint8_t* page);
// False when the bytes are not a consistent header.
bool decodeIndexHeader(const uint8_t* page, size_t n, IndexHeader& h);

inline size_t leafCapacity(size_t pageSize, size_t keyLength) {
    return (pageSize - kNodeHeader) / (keyLength + 4);
}
inline size_t branchCapacity(size_t pageSize, size_t keyLength) {
    return (pageSize - kNodeHeader) / (keyLength + 8);
}

// Smallest page size of at least `wanted` that holds four branch entries.
size_t pageSizeFor(size_t wanted, size_t keyLength);

}  // namespace tablib
