#include "index_layout.h"

#include <cstring>

#include "wire.h"

namespace tablib {

void encodeIndexHeader(const IndexHeader& h, uint8_t* p) {
    std::memset(p, 0, h.pageSize);
    std::memcpy(p, kIndexMagic, 4);
    putU16(p + 4, kIndexVersion);
    putU16(p + 6, h.pageSize);
    putU16(p + 8, h.keyLength);
    p[10] = h.keyType;
    p[11] = h.keyFlags;
    putU32(p + 12, h.root);
    putU32(p + 16, h.pageCount);
    putU32(p + 20, h.keyCount);
    putU32(p + 24, h.dataCount);
    p[kChangingOffset] = h.changing;
    putU16(p + 32, h.dataHeaderLength);
    putU16(p + 34, h.dataRecordLength);
    putU16(p + 36, h.keyOffset);
    std::memcpy(p + 40, h.expression, 11);
}

bool decodeIndexHeader(const uint8_t* p, size_t n, IndexHeader& h) {
    if (n < 64 || std::memcmp(p, kIndexMagic, 4) != 0 || getU16(p + 4) != kIndexVersion)
        return false;
    h.pageSize = getU16(p + 6);
    h.keyLength = getU16(p + 8);
    h.keyType = p[10];
    h.keyFlags = p[11];
    h.root = getU32(p + 12);
    h.pageCount = getU32(p + 16);
    h.keyCount = getU32(p + 20);
    h.dataCount = getU32(p + 24);
    h.changing = p[kChangingOffset];
    h.dataHeaderLength = getU16(p + 32);
    h.dataRecordLength = getU16(p + 34);
    h.keyOffset = getU16(p + 36);
    std::memcpy(h.expression, p + 40, 11);
    h.expression[11] = '\0';
    bool pow2 = h.pageSize != 0 && (h.pageSize & (h.pageSize - 1)) == 0;
    if (!pow2 || h.pageSize < kMinPage || h.pageSize > kMaxPage) return false;
    if (h.keyLength < 1 || h.keyLength > 255) return false;
    if (branchCapacity(h.pageSize, h.keyLength) < 4) return false;
    if (h.pageCount < 2 || h.root < 1 || h.root >= h.pageCount) return false;
    if (h.keyOffset < 1 || uint32_t(h.keyOffset) + h.keyLength > h.dataRecordLength) return false;
    return true;
}

size_t pageSizeFor(size_t wanted, size_t keyLength) {
    size_t size = kMinPage;
    while (size < wanted || branchCapacity(size, keyLength) < 4) size *= 2;
    return size;
}

}  // namespace tablib
