// Appending a frame below the last one of a single-strip 8-bit grey TIFF clip: the
// pixels go to the end of the file, then the height (and a recorded strip byte count)
// are rewritten. A failed write cuts the file back to its old length.
#include "byte_order.h"
#include "file.h"
#include "tiff_layout.h"
#include "writers.h"

namespace ovio {

namespace {

// Rewrites a count or size value in its entry according to the entry's type.
bool rewriteValue(File& file, uint64_t pos, uint16_t type, uint64_t value) {
    uint8_t v[4] = {};
    if (type == tiff::kShort) {
        if (value > 0xFFFF) return false;
        putLe16(v, static_cast<uint32_t>(value));
        return file.writeAt(pos, v, 2);
    }
    if (value > UINT32_MAX) return false;
    putLe32(v, static_cast<uint32_t>(value));
    return file.writeAt(pos, v, 4);
}

bool fits(uint16_t type, uint64_t value) {
    return value <= (type == tiff::kShort ? 0xFFFFu : UINT32_MAX);
}

}  // namespace

Status appendTiffFrame(const std::string& path, const WriteRequest& req) {
    File file;
    if (!file.open(path, File::Mode::ReadWrite)) return kFileError;
    ImageDesc d;
    TiffLayout layout;
    if (const Status s = parseTiff(file, d, layout); s != kOk) return s;
    if (d.width <= 0 || d.height <= 0 || layout.heightValuePos == 0) return kUnsupported;
    // Only frames of the clip's width in 8-bit grey, added to a clip of one strip.
    if (req.width != d.width || req.pixelBytes != 1 || d.bitsPerSample != 8 || d.samples != 1 ||
        layout.stripOffsets.size() != 1) {
        return kClipMismatch;
    }
    const uint64_t oldSize = file.size();
    const uint64_t end = layout.stripOffsets[0] + uint64_t(d.width) * uint64_t(d.height);
    if (end != oldSize) return kFileError;
    const uint64_t newHeight = uint64_t(d.height) + uint64_t(req.height);
    const uint64_t newBytes = newHeight * uint64_t(d.width);
    if (!fits(layout.heightType, newHeight) ||
        (layout.byteCountValuePos != 0 && !fits(layout.byteCountType, newBytes))) {
        return kFileError;
    }
    const uint8_t* src = req.pixels;
    uint64_t left = req.lineBytes() * uint64_t(req.height);
    uint64_t pos = end;
    bool ok = true;
    while (ok && left > 0) {
        const size_t k = left < kWriteChunk ? static_cast<size_t>(left) : kWriteChunk;
        ok = file.writeAt(pos, src, k);
        src += k;
        pos += k;
        left -= k;
    }
    ok = ok && rewriteValue(file, layout.heightValuePos, layout.heightType, newHeight);
    if (ok && layout.byteCountValuePos != 0) {
        ok = rewriteValue(file, layout.byteCountValuePos, layout.byteCountType, newBytes);
    }
    if (!ok) {
        // Put the clip back as it was.
        file.truncate(oldSize);
        rewriteValue(file, layout.heightValuePos, layout.heightType, uint64_t(d.height));
        return kFileError;
    }
    return kOk;
}

}  // namespace ovio
