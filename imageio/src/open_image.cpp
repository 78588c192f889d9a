#include "readers.h"

namespace ovio {

Status openImage(const NameArg& name, uint16_t flags, OpenedImage& out) {
    uint16_t resolved = 0;
    if (const Status s = resolveFormat(flags, name, resolved); s != kOk) return s;
    out = OpenedImage{};
    const int code = formatCode(resolved);
    if (code == kMemory) return openMemoryImage(name.raw, out);
    const auto path = name.text();
    if (!path) return kFileError;
    switch (code) {
        case kPicGrey:
        case kPicColour:
            return openPic(*path, resolved, out);
        case kTiff:
            return openTiff(*path, out);
        case kBmp:
            return openBmp(*path, out);
        case kCompressed:
            return openCompressed(*path, out);
        default:
            return kFileError;
    }
}

}  // namespace ovio
