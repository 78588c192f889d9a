// TIFF as written: one little-endian directory of seven entries, one uncompressed strip
// right after the header (offset 98 grey, 104 colour with the three BitsPerSample values
// at 98).
#include <array>

#include "byte_order.h"
#include "file.h"
#include "tiff_layout.h"
#include "writers.h"

namespace ovio {

namespace {

constexpr size_t kGreyPixelStart = 98;
constexpr size_t kColourPixelStart = 104;

void putEntry(uint8_t* p, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    putLe16(p, tag);
    putLe16(p + 2, type);
    putLe32(p + 4, count);
    putLe32(p + 8, value);
}

}  // namespace

Status writeTiff(const std::string& path, const WriteRequest& req) {
    const bool colour = req.pixelBytes == 3;
    const uint32_t pixelStart = colour ? kColourPixelStart : kGreyPixelStart;
    const uint32_t samples = colour ? 3 : 1;
    const uint64_t dataBytes = uint64_t{req.lineBytes()} * req.height;
    if (dataBytes > UINT32_MAX - pixelStart) return kFileError;

    std::array<uint8_t, kColourPixelStart> h{};
    h[0] = 'I';
    h[1] = 'I';
    putLe16(&h[2], 42);
    putLe32(&h[4], 8);
    putLe16(&h[8], 7);
    uint8_t* e = &h[10];
    putEntry(e, tiff::kImageWidth, tiff::kShort, 1, static_cast<uint32_t>(req.width));
    putEntry(e + 12, tiff::kImageLength, tiff::kShort, 1, static_cast<uint32_t>(req.height));
    putEntry(e + 24, tiff::kBitsPerSample, tiff::kShort, samples, colour ? kGreyPixelStart : 8);
    putEntry(e + 36, tiff::kPhotometric, tiff::kShort, 1, colour ? 2 : 1);
    putEntry(e + 48, tiff::kStripOffsets, tiff::kLong, 1, pixelStart);
    putEntry(e + 60, tiff::kSamplesPerPixel, tiff::kShort, 1, samples);
    putEntry(e + 72, tiff::kStripByteCounts, tiff::kLong, 1, static_cast<uint32_t>(dataBytes));
    putLe32(&h[94], 0);
    if (colour) {
        putLe16(&h[98], 8);
        putLe16(&h[100], 8);
        putLe16(&h[102], 8);
    }

    FileCreator out;
    if (!out.create(path)) return kFileError;
    if (!out.write(h.data(), pixelStart)) return kFileError;
    if (!writeChunked(out, req.pixels, dataBytes)) return kFileError;
    return out.commit() ? kOk : kFileError;
}

}  // namespace ovio
