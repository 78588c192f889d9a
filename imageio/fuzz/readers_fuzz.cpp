// libFuzzer target over the readers: the first bytes choose the format and the read
// request, the rest is the file. Each input is described, read into an output of exactly
// the requested size (so any overrun is caught by the sanitizer), and appended to.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ovio32.h"

namespace {

constexpr size_t kHeader = 8;

const std::string& scratchFile() {
    static const std::string path = "/tmp/ovio-fuzz-" + std::to_string(::getpid()) + ".img";
    return path;
}

bool store(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(scratchFile().c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeader) return 0;
    const uint8_t select = data[0];
    ClipRect clip{};
    clip.outWidth = static_cast<int16_t>(1 + data[1] % 96);
    clip.outHeight = static_cast<int16_t>(1 + data[2] % 96);
    clip.srcX = static_cast<int8_t>(data[3]);
    clip.srcY = static_cast<int8_t>(data[4]);
    clip.srcWidth = static_cast<int8_t>(data[5]);
    clip.srcHeight = static_cast<int8_t>(data[6]);
    const bool colour = (data[7] & 1) != 0;
    const uint8_t* file = data + kHeader;
    const size_t fileSize = size - kHeader;

    static const uint16_t codes[] = {4, 5, 2 | 0x80, 3 | 0x80, 2, 0};
    const uint16_t code = codes[select % 6];
    const uint16_t flags = static_cast<uint16_t>(code | (colour ? OVIO_COLOUR : 0));
    const size_t out = size_t(clip.outWidth) * size_t(clip.outHeight) * (colour ? 3 : 1);
    std::vector<uint8_t> buffer(out);

    if (code == 0) {
        // A memory image described consistently with the bytes that exist.
        if (fileSize < 6) return 0;
        ImageInfo info{};
        info.width = 1 + file[0] % 64;
        info.height = 1 + file[1] % 64;
        info.bitsPerPixel = (file[2] & 1) ? 24 : 8;
        info.bytesPerLine =
            static_cast<uint16_t>(info.width * (info.bitsPerPixel / 8) + file[3] % 4);
        info.bgrOrder = file[4] & 1;
        info.bottomUp = file[5] & 1;
        const size_t need = size_t(info.bytesPerLine) * size_t(info.height);
        if (fileSize - 6 < need) return 0;
        std::vector<uint8_t> pixels(file + 6, file + 6 + need);
        info.lineAddress = reinterpret_cast<intptr_t>(pixels.data());
        ImageInfo back{};
        OvGetImageInfo(reinterpret_cast<const char*>(&info), &back, 0);
        OvReadClip(reinterpret_cast<const char*>(&info), buffer.data(), flags, &clip);
        return 0;
    }

    if (!store(file, fileSize)) return 0;
    const char* name = scratchFile().c_str();
    ImageInfo info{};
    const int16_t described = OvGetImageInfo(name, &info, code);
    OvReadClip(name, buffer.data(), flags, &clip);
    if (code == 4 && described == 0 && info.width > 0 && info.width <= 512 && (select & 0x80)) {
        const std::vector<uint8_t> line(static_cast<size_t>(info.width), 0x5A);
        const uint32_t frame = static_cast<uint32_t>(info.width) | (1u << 16);
        if (OvAppendClip(name, line.data(), 4, &frame) == 0) {
            OvReadClip(name, buffer.data(), flags, &clip);
        }
    }
    ::unlink(name);
    return 0;
}
