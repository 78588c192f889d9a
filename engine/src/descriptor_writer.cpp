// Writing a mask set as a descriptor blob.
#include <cstring>

#include "descriptor_blob.h"
#include "mask.h"
#include "status.h"

namespace ovfc {

namespace {
std::uint8_t* put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    return p + 2;
}
}  // namespace

std::size_t MaskSet::size() const {
    std::size_t n = kBlobHeaderSize;
    for (std::size_t i = 0; i < count_; ++i) n += kRecordHeaderSize + slots()[i].area();
    return n;
}

int MaskSet::write(std::uint8_t* buffer, std::size_t capacity) const {
    if (size() > capacity) return kNoMemory;
    for (std::size_t i = 0; i < count_; ++i) {
        const Mask& m = slots()[i];
        if (m.width > 0xFFFF || m.height > 0xFFFF || m.centreX > 0xFFFF || m.centreY > 0xFFFF)
            return kNoMemory;
    }
    std::uint8_t* p = buffer;
    std::memcpy(p, kDescriptorMagic, kMagicSize);
    p += kMagicSize;
    *p++ = kDescriptorVersion;
    *p++ = count_;
    for (std::size_t i = 0; i < count_; ++i) {
        const Mask& m = slots()[i];
        const std::size_t n = m.area();
        p = put16(p, static_cast<std::uint32_t>(kRecordHeaderSize + n));
        *p++ = m.id;
        p = put16(p, m.width);
        p = put16(p, m.height);
        p = put16(p, m.centreX);
        p = put16(p, m.centreY);
        p = put16(p, m.score);
        *p++ = m.flag;
        if (m.pixels)
            std::memcpy(p, m.pixels.data(), n);
        else
            std::memset(p, 0, n);
        p += n;
    }
    return kOk;
}

}  // namespace ovfc
