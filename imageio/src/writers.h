#pragma once
// Writers of the formats: each creates the file anew and writes header and pixels.

#include <cstddef>
#include <cstdint>
#include <string>

#include "format.h"

namespace ovio {

// Lines are handed to the file in chunks of at most this many bytes.
inline constexpr size_t kWriteChunk = 65520;

struct WriteRequest {
    const uint8_t* pixels = nullptr;  // lines top to bottom, no padding
    int width = 0;
    int height = 0;
    int pixelBytes = 1;  // 1 grey, 3 colour (R, G, B)

    size_t lineBytes() const { return static_cast<size_t>(width) * pixelBytes; }
};

Status writePic(const std::string& path, const WriteRequest& req);
Status writeTiff(const std::string& path, const WriteRequest& req);
Status writeBmp(const std::string& path, const WriteRequest& req);
Status appendTiffFrame(const std::string& path, const WriteRequest& req);

bool compressionToolkitPresent();

// The write size record: width in the low 16 bits of its first 32-bit word, height in
// the high 16 bits.
void decodeWriteSize(const void* size, int& width, int& height);

// OvWriteClip: resolves the format and writes width x height pixels from the buffer.
Status writeImage(const NameArg& name, const void* buffer, uint16_t flags, const void* size);
// OvAppendClip: appends a frame below the last one of a TIFF clip.
Status appendImage(const NameArg& name, const void* buffer, uint16_t flags, const void* size);

class FileCreator;
// Writes n bytes of contiguous lines in chunks of at most kWriteChunk bytes.
bool writeChunked(FileCreator& out, const uint8_t* data, size_t n);

}  // namespace ovio
