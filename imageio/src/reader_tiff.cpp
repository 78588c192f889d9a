// TIFF as read: little-endian, first directory only, uncompressed chunky strips, grey,
// RGB or palette pixels.
#include <algorithm>

#include "byte_order.h"
#include "readers.h"
#include "tiff_layout.h"

namespace ovio {

namespace {

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;        // the value field as a 32-bit number
    const uint8_t* field;  // the 4 bytes of the value field
    uint64_t fieldPos;     // their position in the file
};

size_t elementSize(uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:
            return 1;
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 0;
    }
}

uint64_t element(const uint8_t* p, size_t size) {
    switch (size) {
        case 1:
            return p[0];
        case 2:
            return getLe16(p);
        default:
            return getLe32(p);  // LONG, or the first word of a RATIONAL
    }
}

// Reads up to `limit` values of an array entry, from the entry itself when the whole array
// fits in four bytes and from the value's offset otherwise.
Status readArray(const File& file, const Entry& e, size_t limit, std::vector<uint64_t>& out) {
    const size_t size = elementSize(e.type);
    if (size == 0) return kUnsupported;
    const uint64_t total = uint64_t{e.count} * size;
    if (total > file.size() && total > 4) return kUnsupported;  // more than the file holds
    const size_t n = std::min<size_t>(e.count, limit);
    out.resize(n);
    if (total <= 4) {
        for (size_t i = 0; i < n; ++i) out[i] = element(e.field + i * size, size);
        return kOk;
    }
    std::vector<uint8_t> raw(n * size);
    if (!file.readExact(e.value, raw.data(), raw.size())) return kFileError;
    for (size_t i = 0; i < n; ++i) out[i] = element(raw.data() + i * size, size);
    return kOk;
}

class StripSource final : public PixelSource {
  public:
    StripSource(File file, std::vector<uint64_t> offsets, std::vector<uint64_t> counts)
        : file_(std::move(file)), offsets_(std::move(offsets)), counts_(std::move(counts)) {
        seek(0);
    }

    bool seek(uint64_t o) override {
        uint64_t total = 0;
        for (size_t i = 0; i < counts_.size(); ++i) {
            if (total + counts_[i] > o) {
                strip_ = i;
                pos_ = offsets_[i] + (o - total);
                left_ = counts_[i] - (o - total);
                return true;
            }
            total += counts_[i];
        }
        strip_ = counts_.size() - 1;
        pos_ = offsets_[strip_] + counts_[strip_];
        left_ = 0;
        return true;
    }

    int64_t read(uint8_t* dst, size_t n) override {
        while (left_ == 0) {
            if (strip_ + 1 >= counts_.size()) return 0;
            ++strip_;
            pos_ = offsets_[strip_];
            left_ = counts_[strip_];
        }
        const int64_t got =
            file_.readSome(pos_, dst, static_cast<size_t>(std::min<uint64_t>(n, left_)));
        if (got > 0) {
            pos_ += static_cast<uint64_t>(got);
            left_ -= static_cast<uint64_t>(got);
        }
        return got;
    }

  private:
    File file_;
    std::vector<uint64_t> offsets_;
    std::vector<uint64_t> counts_;
    size_t strip_ = 0;
    uint64_t pos_ = 0;
    uint64_t left_ = 0;
};

}  // namespace

Status parseTiff(const File& file, ImageDesc& d, TiffLayout& layout) {
    uint8_t header[8];
    if (!file.readExact(0, header, sizeof header)) return kFileError;
    if (header[0] != 'I' || header[1] != 'I') return kUnsupported;
    const uint32_t dirOffset = getLe32(header + 4);
    if (dirOffset == 0) return kUnsupported;
    uint8_t countBytes[2];
    if (!file.readExact(dirOffset, countBytes, 2)) return kFileError;
    const size_t entries = getLe16(countBytes);
    std::vector<uint8_t> dir(entries * 12);
    if (!file.readExact(uint64_t{dirOffset} + 2, dir.data(), dir.size())) return kFileError;

    d.samples = 1;  // TIFF defaults
    d.bitsPerSample = 1;
    uint32_t photometric = 0;
    bool haveColorMap = false;
    bool haveByteCounts = false;
    size_t colorMapEntries = 0;
    std::vector<uint64_t> values;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* p = dir.data() + i * 12;
        const Entry e{getLe16(p),     getLe16(p + 2), getLe32(p + 4),
                      getLe32(p + 8), p + 8,          uint64_t{dirOffset} + 2 + i * 12 + 8};
        switch (e.tag) {
            case tiff::kSubfileType:
                if (e.value > 1) return kUnsupported;
                break;
            case tiff::kImageWidth:
                d.width = static_cast<int32_t>(e.value);
                break;
            case tiff::kImageLength:
                d.height = static_cast<int32_t>(e.value);
                layout.heightValuePos = e.fieldPos;
                layout.heightType = e.type;
                break;
            case tiff::kBitsPerSample:
                if (const Status s = readArray(file, e, 1, values); s != kOk) return s;
                d.bitsPerSample = values.empty() ? 0 : static_cast<int>(values[0]);
                break;
            case tiff::kCompression:
                if (e.value > 1) return kUnsupported;
                break;
            case tiff::kPhotometric:
                photometric = e.value;
                break;
            case tiff::kStripOffsets:
                if (const Status s = readArray(file, e, e.count, layout.stripOffsets); s != kOk) {
                    return s;
                }
                break;
            case tiff::kSamplesPerPixel:
                d.samples = static_cast<int>(std::min<uint32_t>(e.value, 0xFFFF));
                break;
            case tiff::kStripByteCounts:
                if (const Status s = readArray(file, e, e.count, layout.stripByteCounts);
                    s != kOk) {
                    return s;
                }
                haveByteCounts = true;
                layout.byteCountValuePos = e.count == 1 ? e.fieldPos : 0;
                layout.byteCountType = e.type;
                break;
            case tiff::kPlanarConfiguration:
                if (e.value > 1) return kUnsupported;
                break;
            case tiff::kColorMap: {
                if (e.type != tiff::kShort || e.count % 3 != 0) return kUnsupported;
                if (const Status s = readArray(file, e, e.count, values); s != kOk) return s;
                const size_t n = e.count / 3;
                colorMapEntries = std::min<size_t>(n, 256);
                for (size_t k = 0; k < colorMapEntries; ++k) {
                    for (size_t plane = 0; plane < 3; ++plane) {
                        d.palette[k * 4 + plane] = static_cast<uint8_t>(values[plane * n + k] >> 8);
                    }
                }
                haveColorMap = true;
                break;
            }
            default:  // 263, 266, 270, 274, 280-283 and unknown tags are not used
                break;
        }
    }

    if (layout.stripOffsets.empty()) return kUnsupported;
    if (!haveByteCounts) {
        if (layout.stripOffsets.size() > 1) return kUnsupported;
        const uint64_t pixels = static_cast<uint64_t>(std::max<int64_t>(d.width, 0)) *
                                static_cast<uint64_t>(std::max<int64_t>(d.height, 0));
        const uint64_t samples = static_cast<uint64_t>(std::max(d.samples, 1));
        layout.stripByteCounts.assign(
            1, pixels > UINT64_MAX / samples ? UINT64_MAX : pixels * samples);
    } else if (layout.stripByteCounts.size() != layout.stripOffsets.size()) {
        return kUnsupported;
    }
    d.lineBytes = d.width * d.samples;
    d.usePalette = photometric == 3 && haveColorMap &&
                   differsFromGreyRamp(d.palette, static_cast<int>(colorMapEntries));
    return kOk;
}

Status openTiff(const std::string& path, OpenedImage& out) {
    File file;
    if (!file.open(path, File::Mode::Read)) return kFileError;
    TiffLayout layout;
    if (const Status s = parseTiff(file, out.desc, layout); s != kOk) return s;
    out.source = std::make_unique<StripSource>(std::move(file), std::move(layout.stripOffsets),
                                               std::move(layout.stripByteCounts));
    return kOk;
}

}  // namespace ovio
