// Format code 0: the image lies in the caller's memory, described by an ImageInfo.
#include <cstring>

#include "ovio32.h"
#include "readers.h"

namespace ovio {

namespace {

class MemorySource final : public PixelSource {
  public:
    explicit MemorySource(const uint8_t* base) : base_(base) {}
    bool seek(uint64_t offset) override {
        pos_ = offset;
        return true;
    }
    int64_t read(uint8_t* dst, size_t n) override {
        std::memcpy(dst, base_ + pos_, n);
        pos_ += n;
        return static_cast<int64_t>(n);
    }

  private:
    const uint8_t* base_;
    uint64_t pos_ = 0;
};

}  // namespace

Status openMemoryImage(const void* imageInfo, OpenedImage& out) {
    if (imageInfo == nullptr) return kFileError;
    ImageInfo info;
    std::memcpy(&info, imageInfo, sizeof info);
    if (info.lineAddress == 0) return kFileError;
    ImageDesc& d = out.desc;
    d.width = info.width;
    d.height = info.height;
    d.lineBytes = info.bytesPerLine;
    d.samples = info.bitsPerPixel / 8;
    d.bitsPerSample = info.bitsPerPixel % 8 == 0 ? 8 : info.bitsPerPixel;
    d.bgr = info.bgrOrder != 0;
    d.bottomUp = info.bottomUp != 0;
    out.source = std::make_unique<MemorySource>(reinterpret_cast<const uint8_t*>(info.lineAddress));
    return kOk;
}

}  // namespace ovio
