#include "format.h"

#include <cctype>
#include <cstring>

namespace ovio {

std::optional<std::string> NameArg::text() const {
    if (raw == nullptr) return std::nullopt;
    if (prefixed) {
        const auto* p = static_cast<const uint8_t*>(raw);
        return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
    }
    const auto* s = static_cast<const char*>(raw);
    const size_t n = strnlen(s, kMaxNameLength + 1);
    if (n > kMaxNameLength) return std::nullopt;
    return std::string(s, n);
}

std::optional<uint16_t> flagsForExtension(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::nullopt;
    }
    std::string ext = name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".PIC") return static_cast<uint16_t>(kPicGrey | kSizeFromLength);
    if (ext == ".TIF") return static_cast<uint16_t>(kTiff);
    if (ext == ".BMP") return static_cast<uint16_t>(kBmp);
    if (ext == ".CMP") return static_cast<uint16_t>(kCompressed);
    return std::nullopt;
}

Status resolveFormat(uint16_t flags, const NameArg& name, uint16_t& resolved) {
    const int code = formatCode(flags);
    if (code == 6 || code > kCompressed) return kFileError;
    if (code != kByName) {
        resolved = flags;
        return kOk;
    }
    const auto text = name.text();
    if (!text) return kFileError;
    const auto chosen = flagsForExtension(*text);
    if (!chosen) return kUnknownExtension;
    resolved = static_cast<uint16_t>((flags & ~kFormatMask) | *chosen);
    return kOk;
}

}  // namespace ovio
