#include "fitted_read.h"

#include <cstring>
#include <new>
#include <vector>

#include "clip_geometry.h"
#include "line_convert.h"
#include "readers.h"

namespace ovio {

namespace {

// Output column -> covered source pixel, by the error term: starting at -S, each source
// pixel adds D and is emitted while the term is not negative, each emission taking S.
std::vector<uint32_t> columnMap(int64_t sourcePixels, int64_t outputPixels) {
    std::vector<uint32_t> map;
    map.reserve(static_cast<size_t>(outputPixels));
    int64_t err = -sourcePixels;
    for (int64_t i = 0; i < sourcePixels; ++i) {
        err += outputPixels;
        for (; err >= 0; err -= sourcePixels) map.push_back(static_cast<uint32_t>(i));
    }
    return map;
}

void fill(uint8_t* p, size_t n) {
    std::memset(p, kPadValue, n);
}

Status readScaled(OpenedImage& img, uint8_t* out, bool colourOut, const ClipRect& clip) {
    const ImageDesc& d = img.desc;
    if (d.bitsPerSample != 8 || d.width <= 0 || d.height <= 0) return kUnsupported;
    if (d.samples != 1 && d.samples != 3) return kUnsupported;
    if (d.lineBytes < d.width * d.samples) return kUnsupported;
    // No format here can hold more than 4 GiB of pixels: such sizes are damage.
    if (d.lineBytes > int64_t{UINT32_MAX} / d.height) return kUnsupported;
    if (d.lineBytes > static_cast<int64_t>(kReadChunk)) return kNoMemory;

    ClipGeometry g;
    if (const Status s = computeClipGeometry(d.width, d.height, clip, g); s != kOk) return s;

    const size_t px = colourOut ? 3 : 1;
    const size_t outLine = static_cast<size_t>(g.outWidth) * px;
    const size_t lineBytes = static_cast<size_t>(d.lineBytes);
    const size_t chunkLines = kReadChunk / lineBytes;

    std::vector<uint8_t> chunk(chunkLines * lineBytes);
    const std::vector<uint32_t> columns = columnMap(g.coverWidth, g.outCoverWidth);
    LineConversion conv;
    conv.converter = chooseConverter(colourOut, d.samples, d.usePalette);
    conv.swapRedBlue = colourOut && d.bgr && d.samples == 3;
    conv.columns = columns.data();
    conv.count = columns.size();
    conv.identity = g.coverWidth == g.outCoverWidth;
    if (d.usePalette) conv.setPalette(d.palette);
    const size_t covered = columns.size() * px;
    const size_t srcOffset = static_cast<size_t>(g.x) * d.samples;

    // Stored line index of the rectangle's first line in file order.
    const int64_t first = d.bottomUp ? d.height - g.coverHeight - g.y : g.y;
    if (!img.source->seek(static_cast<uint64_t>(first) * lineBytes)) return kFileError;

    const int64_t S = g.coverHeight;
    const int64_t D = g.outCoverHeight;
    // Bottom-up files are walked from the rectangle's bottom line upwards; their term
    // starts at -1 so that the same lines are repeated as for a top-down file.
    int64_t err = d.bottomUp ? -1 : -S;
    int64_t row = d.bottomUp ? D - 1 : 0;
    const int64_t step = d.bottomUp ? -1 : 1;
    int64_t emitted = 0;
    for (int64_t line = 0; line < S;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(S - line, chunkLines));
        if (!readFully(*img.source, chunk.data(), n * lineBytes)) return kFileError;
        for (size_t k = 0; k < n; ++k, ++line) {
            err += D;
            if (err < 0 || emitted >= D) continue;
            uint8_t* dst = out + static_cast<size_t>(row) * outLine;
            conv.run(chunk.data() + k * lineBytes + srcOffset, dst);
            fill(dst + covered, outLine - covered);
            const uint8_t* made = dst;
            for (err -= S, row += step, ++emitted; err >= 0 && emitted < D;
                 err -= S, row += step, ++emitted) {
                std::memcpy(out + static_cast<size_t>(row) * outLine, made, outLine);
            }
        }
    }
    // Output lines below the covered height.
    fill(out + static_cast<size_t>(D) * outLine, static_cast<size_t>(g.outHeight - D) * outLine);
    return kOk;
}

}  // namespace

Status readClip(const NameArg& name, void* buffer, uint16_t flags, const ClipRect& clip) {
    if (buffer == nullptr) return kFileError;
    try {
        OpenedImage img;
        if (const Status s = openImage(name, flags, img); s != kOk) return s;
        return readScaled(img, static_cast<uint8_t*>(buffer), (flags & kColourBuffer) != 0, clip);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}

Status imageInfo(const NameArg& name, ImageInfo* info, uint16_t flags) {
    if (info == nullptr) return kFileError;
    try {
        OpenedImage img;
        if (const Status s = openImage(name, flags, img); s != kOk) return s;
        const ImageDesc& d = img.desc;
        ImageInfo r{};
        r.width = static_cast<int32_t>(d.width);
        r.height = static_cast<int32_t>(d.height);
        r.bytesPerLine = static_cast<uint16_t>(d.lineBytes);
        r.bitsPerPixel = static_cast<uint16_t>(int64_t{d.samples} * d.bitsPerSample);
        r.bgrOrder = d.bgr ? 1 : 0;
        r.bottomUp = d.bottomUp ? 1 : 0;
        r.lineAddress = 0;
        std::memcpy(info, &r, sizeof r);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}

}  // namespace ovio
