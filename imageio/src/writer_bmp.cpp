// BMP as written: 54-byte header, a grey palette for 8-bit images, lines from the bottom
// up padded to four bytes, colour pixels as B, G, R.
#include <algorithm>
#include <cstring>
#include <vector>

#include "byte_order.h"
#include "file.h"
#include "writers.h"

namespace ovio {

Status writeBmp(const std::string& path, const WriteRequest& req) {
    const bool colour = req.pixelBytes == 3;
    const size_t line = req.lineBytes();
    const size_t padded = (line + 3) & ~size_t{3};
    const uint32_t dataOffset = colour ? 54 : 1078;
    const uint64_t fileSize = dataOffset + uint64_t{padded} * req.height;
    if (fileSize > UINT32_MAX) return kFileError;

    std::vector<uint8_t> header(dataOffset, 0);
    uint8_t* h = header.data();
    h[0] = 'B';
    h[1] = 'M';
    putLe32(h + 2, static_cast<uint32_t>(fileSize));
    putLe32(h + 10, dataOffset);
    putLe32(h + 14, 40);
    putLe32(h + 18, static_cast<uint32_t>(req.width));
    putLe32(h + 22, static_cast<uint32_t>(req.height));
    putLe16(h + 26, 1);
    putLe16(h + 28, colour ? 24 : 8);
    if (!colour) {
        for (int i = 0; i < 256; ++i) {
            uint8_t* p = h + 54 + i * 4;
            p[0] = p[1] = p[2] = static_cast<uint8_t>(i);
        }
    }

    FileCreator out;
    if (!out.create(path)) return kFileError;
    if (!out.write(header.data(), header.size())) return kFileError;

    // Whole padded lines gathered into chunks of at most kWriteChunk bytes (one line when a
    // line is longer).
    const size_t linesPerChunk = std::max<size_t>(1, kWriteChunk / padded);
    std::vector<uint8_t> chunk(linesPerChunk * padded, 0);
    size_t filled = 0;
    for (int y = req.height - 1; y >= 0; --y) {
        const uint8_t* src = req.pixels + static_cast<size_t>(y) * line;
        uint8_t* dst = chunk.data() + filled * padded;
        if (colour) {
            for (size_t x = 0; x < line; x += 3) {
                dst[x] = src[x + 2];
                dst[x + 1] = src[x + 1];
                dst[x + 2] = src[x];
            }
        } else {
            std::memcpy(dst, src, line);
        }
        if (++filled == linesPerChunk || y == 0) {
            if (!out.write(chunk.data(), filled * padded)) return kFileError;
            filled = 0;
        }
    }
    return out.commit() ? kOk : kFileError;
}

}  // namespace ovio
