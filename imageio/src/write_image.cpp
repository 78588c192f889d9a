#include <cstring>

#include "file.h"
#include "writers.h"

namespace ovio {

void decodeWriteSize(const void* size, int& width, int& height) {
    uint32_t word;
    std::memcpy(&word, size, sizeof word);
    width = static_cast<int16_t>(word & 0xFFFF);
    height = static_cast<int16_t>(word >> 16);
}

bool writeChunked(FileCreator& out, const uint8_t* data, size_t n) {
    while (n > 0) {
        const size_t k = n < kWriteChunk ? n : kWriteChunk;
        if (!out.write(data, k)) return false;
        data += k;
        n -= k;
    }
    return true;
}

namespace {

// Checks the common arguments of a write and fills the request.
Status prepare(const void* buffer, uint16_t flags, const void* size, WriteRequest& req) {
    if (buffer == nullptr || size == nullptr) return kFileError;
    decodeWriteSize(size, req.width, req.height);
    if (req.width <= 0 || req.height <= 0) return kUnsupported;
    req.pixels = static_cast<const uint8_t*>(buffer);
    req.pixelBytes = (flags & kColourBuffer) ? 3 : 1;
    return kOk;
}

}  // namespace

Status writeImage(const NameArg& name, const void* buffer, uint16_t flags, const void* size) {
    uint16_t resolved = 0;
    if (const Status s = resolveFormat(flags, name, resolved); s != kOk) return s;
    const int code = formatCode(resolved);
    if (code == kMemory || code == kByName) return kFileError;
    if (code == kCompressed) return kNoToolkit;
    WriteRequest req;
    if (const Status s = prepare(buffer, resolved, size, req); s != kOk) return s;
    const auto path = name.text();
    if (!path) return kFileError;
    switch (code) {
        case kPicGrey:
        case kPicColour:
            return writePic(*path, req);
        case kTiff:
            return writeTiff(*path, req);
        case kBmp:
            return writeBmp(*path, req);
        default:
            return kFileError;
    }
}

Status appendImage(const NameArg& name, const void* buffer, uint16_t flags, const void* size) {
    uint16_t resolved = 0;
    if (const Status s = resolveFormat(flags, name, resolved); s != kOk) return s;
    if (formatCode(resolved) != kTiff) return kFileError;
    WriteRequest req;
    if (const Status s = prepare(buffer, resolved, size, req); s != kOk) return s;
    const auto path = name.text();
    if (!path) return kFileError;
    return appendTiffFrame(*path, req);
}

}  // namespace ovio
