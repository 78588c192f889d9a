// Reading a descriptor blob, including the older forms, bounded by the given length.
#include <cstring>

#include "descriptor_blob.h"
#include "mask.h"
#include "status.h"

namespace ovfc {

namespace {
std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Fills a mask from one record of the given version; the caller has checked that the
// header lies within the blob and passes how many bytes follow it.
int fillFromRecord(Mask& m, BlockPool& pool, const std::uint8_t* rec, std::size_t pixelBytes,
                   unsigned version, unsigned options) {
    m.clear();
    if (version == 0 || version > 3) return kBadDescriptor;
    m.id = rec[2];
    m.width = u16(rec + 3);
    m.height = u16(rec + 5);
    m.centreX = u16(rec + 7);
    m.centreY = u16(rec + 9);
    m.score = u16(rec + 11);
    m.flag = rec[13];
    m.halfWidth = m.width >> 1;
    m.halfHeight = m.height >> 1;
    const std::size_t n = m.area();
    if (n > pixelBytes) return kBadDescriptor;
    const std::uint8_t* px = rec + kRecordHeaderSize;
    if (options & kKeepPixels) {
        m.pixels = pool.take(n);
        if (!m.pixels) return kNoMemory;
        std::memcpy(m.pixels.data(), px, n);
    }
    if (options & kNormalise) return m.normalise(pool, px);
    return kOk;
}
}  // namespace

int MaskSet::read(const std::uint8_t* blob, std::size_t length, unsigned options) {
    clear();
    if (length < 4 || std::memcmp(blob, "OVFC", 4) != 0) return kBadDescriptor;
    std::size_t pos = (length >= 8 && std::memcmp(blob + 4, "DESC", 4) == 0) ? 8 : 4;
    if (pos >= length) return kBadDescriptor;
    const unsigned version = blob[pos];
    if (version == 1)
        pos += 3;
    else if (version == 2 || version == 3)
        pos += 1;
    else
        return kBadDescriptor;
    if (pos >= length) return kBadDescriptor;
    const std::uint8_t records = blob[pos++];
    if (reserve(records) != kOk) return kNoMemory;
    int rc = kOk;
    while (count_ < records && rc == kOk) {
        if (length - pos < kRecordHeaderSize) return kBadDescriptor;
        Mask& m = slots()[count_];
        rc = fillFromRecord(m, *pool_, blob + pos, length - pos - kRecordHeaderSize, version,
                            options);
        pos += kRecordHeaderSize + m.area();
        ++count_;
    }
    return rc;
}

}  // namespace ovfc
