// Reading through the image file library, loaded at run time so that this library does not
// depend on it at load time.

#include <dlfcn.h>

#include <cstdint>

#include "image_reader.h"
#include "ovio32.h"
#include "platform/module.h"

namespace vfw {

namespace {

// Types only: the functions are looked up in the loaded library.
using GetImageInfoFn = decltype(&OvGetImageInfo);
using ReadClipFn = decltype(&OvReadClip);

class OvioReader final : public ImageReader {
  public:
    OvioReader(void* handle, GetImageInfoFn info, ReadClipFn read)
        : handle_(handle), info_(info), read_(read) {}
    ~OvioReader() override { dlclose(handle_); }
    OvioReader(const OvioReader&) = delete;
    OvioReader& operator=(const OvioReader&) = delete;

    std::optional<Frame> read(const std::string& path) override {
        ImageInfo info{};
        if (info_(path.c_str(), &info, OVIO_FORMAT_BY_NAME) != 0) return std::nullopt;
        if (info.width <= 0 || info.height <= 0) return std::nullopt;
        int w = info.width, h = info.height;
        if (w > kMaxFrameWidth || h > kMaxFrameHeight) {
            w = kFittedWidth;
            h = kFittedHeight;
        }
        const bool colour = info.bitsPerPixel == 24;
        Frame f;
        f.resize(w, h, colour ? PixelFormat::Rgb24 : PixelFormat::Grey8);
        ClipRect clip{};
        clip.outWidth = static_cast<int16_t>(w);
        clip.outHeight = static_cast<int16_t>(h);
        const uint16_t flags = OVIO_FORMAT_BY_NAME | (colour ? OVIO_COLOUR : 0);
        if (read_(path.c_str(), f.data.data(), flags, &clip) != 0) return std::nullopt;
        return f;
    }

  private:
    void* handle_;
    GetImageInfoFn info_;
    ReadClipFn read_;
};

void* openImageLibrary() {
    static const int anchor = 0;
    const std::string beside = platform::moduleDirectory(&anchor) + "libovio32.so";
    if (void* h = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    return dlopen("libovio32.so", RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

std::shared_ptr<ImageReader> defaultImageReader() {
    void* h = openImageLibrary();
    if (h == nullptr) return rawPicReader();
    auto info = reinterpret_cast<GetImageInfoFn>(dlsym(h, "OvGetImageInfo"));
    auto read = reinterpret_cast<ReadClipFn>(dlsym(h, "OvReadClip"));
    if (info == nullptr || read == nullptr) {
        dlclose(h);
        return rawPicReader();
    }
    return std::make_shared<OvioReader>(h, info, read);
}

}  // namespace vfw
