#pragma once
// Reader-opens of the formats. Each fills the description and hands out the pixel data
// positioned at the first stored line; on failure it returns the status and holds nothing.

#include <cstdint>
#include <string>

#include "file.h"
#include "format.h"
#include "pixel_source.h"

namespace ovio {

Status openMemoryImage(const void* imageInfo, OpenedImage& out);
Status openPic(const std::string& path, uint16_t flags, OpenedImage& out);
Status openTiff(const std::string& path, OpenedImage& out);
Status openBmp(const std::string& path, OpenedImage& out);
Status openCompressed(const std::string& path, OpenedImage& out);

// Resolves the format of the flags and opens the image with its reader.
Status openImage(const NameArg& name, uint16_t flags, OpenedImage& out);

// Pixel data that lie contiguously in a file from `base` on.
class FileSource final : public PixelSource {
  public:
    FileSource(File file, uint64_t base) : file_(std::move(file)), base_(base), pos_(base) {}
    bool seek(uint64_t offset) override;
    int64_t read(uint8_t* dst, size_t n) override;

  private:
    File file_;
    uint64_t base_;
    uint64_t pos_;
};

}  // namespace ovio
