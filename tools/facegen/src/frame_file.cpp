// Uncompressed little-endian 8-bit grey TIFF, one strip.

#include "frame_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "facegen.h"

namespace facegen {

namespace {

class LittleEndian {
  public:
    void u16(std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // One directory entry with its value (or the offset of its values).
    void entry(std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
        u16(tag);
        u16(type);
        u32(1);
        if (type == kShort) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    }
    static constexpr std::uint16_t kShort = 3, kLong = 4, kRational = 5;
    std::vector<std::uint8_t> bytes;
};

}  // namespace

bool writeFrameFile(const std::string& path, const std::uint8_t* pixels, std::string& error) {
    constexpr std::uint32_t kEntries = 12;
    constexpr std::uint32_t kIfd = 8;
    constexpr std::uint32_t kResolution = kIfd + 2 + 12 * kEntries + 4;  // two rationals
    constexpr std::uint32_t kData = kResolution + 16;
    constexpr std::uint32_t kSize = static_cast<std::uint32_t>(kWidth) * kHeight;
    using E = LittleEndian;

    E t;
    t.bytes.reserve(kData + kSize);
    t.u16('I' | 'I' << 8);
    t.u16(42);
    t.u32(kIfd);
    t.u16(kEntries);
    t.entry(256, E::kShort, kWidth);              // ImageWidth
    t.entry(257, E::kShort, kHeight);             // ImageLength
    t.entry(258, E::kShort, 8);                   // BitsPerSample
    t.entry(259, E::kShort, 1);                   // Compression: none
    t.entry(262, E::kShort, 1);                   // PhotometricInterpretation: black is zero
    t.entry(273, E::kLong, kData);                // StripOffsets
    t.entry(277, E::kShort, 1);                   // SamplesPerPixel
    t.entry(278, E::kShort, kHeight);             // RowsPerStrip
    t.entry(279, E::kLong, kSize);                // StripByteCounts
    t.entry(282, E::kRational, kResolution);      // XResolution
    t.entry(283, E::kRational, kResolution + 8);  // YResolution
    t.entry(296, E::kShort, 2);                   // ResolutionUnit: inch
    t.u32(0);                                     // no further directory
    for (int i = 0; i < 2; ++i) {
        t.u32(72);
        t.u32(1);
    }
    t.bytes.insert(t.bytes.end(), pixels, pixels + kSize);

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(t.bytes.data(), 1, t.bytes.size(), f) == t.bytes.size();
    if (std::fclose(f) != 0 || !written) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace facegen
