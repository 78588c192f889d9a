// Windows BMP with the 40-byte information header, 8 bits or more per pixel, stored from
// the bottom line up, uncompressed; 8-bit files carry a palette (B, G, R, 0 entries) after
// the header.
#include "byte_order.h"
#include "readers.h"

namespace ovio {

namespace {
constexpr size_t kHeaderSize = 54;
}

Status openBmp(const std::string& path, OpenedImage& out) {
    File file;
    if (!file.open(path, File::Mode::Read)) return kFileError;
    uint8_t h[kHeaderSize];
    if (!file.readExact(0, h, sizeof h)) return kFileError;
    const uint16_t bitCount = getLe16(h + 28);
    if (h[0] != 'B' || h[1] != 'M' || getLe32(h + 14) != 40 || bitCount < 8) {
        return kUnsupported;
    }
    // Run-length or bit-field pixels would be misread as plain lines.
    if (getLe32(h + 30) != 0) return kUnsupported;
    ImageDesc& d = out.desc;
    d.width = static_cast<int32_t>(getLe32(h + 18));
    d.height = static_cast<int32_t>(getLe32(h + 22));
    d.bottomUp = true;
    d.bitsPerSample = 8;
    d.samples = bitCount / 8;
    d.lineBytes = (d.width * d.samples + 3) & ~int64_t{3};
    d.bgr = bitCount == 24;
    if (bitCount == 8) {
        uint32_t colours = getLe32(h + 46);
        // The palette array has 256 entries; a larger count cannot index more of them.
        if (colours == 0 || colours > 256) colours = 256;
        uint8_t raw[1024];
        if (!file.readExact(kHeaderSize, raw, colours * 4)) return kFileError;
        for (uint32_t i = 0; i < colours; ++i) {
            d.palette[i * 4] = raw[i * 4 + 2];
            d.palette[i * 4 + 1] = raw[i * 4 + 1];
            d.palette[i * 4 + 2] = raw[i * 4];
            d.palette[i * 4 + 3] = 0;
        }
        d.usePalette = differsFromGreyRamp(d.palette, static_cast<int>(colours));
    }
    const uint64_t dataOffset = getLe32(h + 10);
    out.source = std::make_unique<FileSource>(std::move(file), dataOffset);
    return kOk;
}

}  // namespace ovio
