// Raw 320 x 240 frames without a header, grey or RGB by file length.

#include <cctype>
#include <fstream>

#include "image_reader.h"

namespace vfw {

namespace {

bool hasPicExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.size() - dot != 4) return false;
    std::string ext = path.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext == "PIC";
}

class RawPicReader final : public ImageReader {
  public:
    std::optional<Frame> read(const std::string& path) override {
        if (!hasPicExtension(path)) return std::nullopt;
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in) return std::nullopt;
        const auto length = static_cast<size_t>(in.tellg());
        constexpr size_t kPixels = size_t{kFittedWidth} * kFittedHeight;
        PixelFormat format;
        if (length == kPixels) {
            format = PixelFormat::Grey8;
        } else if (length == 3 * kPixels) {
            format = PixelFormat::Rgb24;
        } else {
            return std::nullopt;
        }
        Frame f;
        f.resize(kFittedWidth, kFittedHeight, format);
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(f.data.data()), static_cast<std::streamsize>(length)))
            return std::nullopt;
        return f;
    }
};

}  // namespace

std::shared_ptr<ImageReader> rawPicReader() {
    return std::make_shared<RawPicReader>();
}

}  // namespace vfw
