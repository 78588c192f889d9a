// Raw frames without header: grey or colour, 256 x 255 unless the file length says
// 512 x 512 (262 144 bytes) or a colour 256 x 255 frame (195 840 bytes).
#include "readers.h"

namespace ovio {

Status openPic(const std::string& path, uint16_t flags, OpenedImage& out) {
    File file;
    if (!file.open(path, File::Mode::Read)) return kFileError;
    ImageDesc& d = out.desc;
    d.width = 256;
    d.height = 255;
    d.samples = formatCode(flags) == kPicColour ? 3 : 1;
    if (flags & kSizeFromLength) {
        if (file.size() == 262144) {
            d.width = 512;
            d.height = 512;
        } else if (file.size() == 195840) {
            d.samples = 3;
        }
    }
    d.bitsPerSample = 8;
    d.lineBytes = d.width * d.samples;
    out.source = std::make_unique<FileSource>(std::move(file), 0);
    return kOk;
}

}  // namespace ovio
