#pragma once
// Format codes, the extension table and the name arguments of the file functions.

#include <cstdint>
#include <optional>
#include <string>

#include "status.h"

namespace ovio {

enum FormatCode : int {
    kMemory = 0,
    kByName = 1,
    kPicGrey = 2,
    kPicColour = 3,
    kTiff = 4,
    kBmp = 5,
    kCompressed = 7,
};

inline constexpr uint16_t kFormatMask = 0x7F;
inline constexpr uint16_t kSizeFromLength = 0x80;
inline constexpr uint16_t kColourBuffer = 0x8000;

// Longest file name accepted (a path on this system).
inline constexpr size_t kMaxNameLength = 4095;

// The name argument of a file function: a zero-terminated or a length-prefixed text, or
// with format code 0 the address of an ImageInfo.
struct NameArg {
    const void* raw = nullptr;
    bool prefixed = false;

    // The file name; empty optional when the pointer is null or the name too long.
    std::optional<std::string> text() const;
};

// Extension table: ".PIC" -> 2 with 0x80, ".TIF" -> 4, ".BMP" -> 5, ".CMP" -> 7, compared
// in upper case; the extension is the text from the last dot of the file-name part.
std::optional<uint16_t> flagsForExtension(const std::string& name);

// Replaces code 1 by the code its extension chooses (keeping the other flag bits).
// Status 22 for an unknown extension, 1 for codes 6 and 8 and above.
Status resolveFormat(uint16_t flags, const NameArg& name, uint16_t& resolved);

inline int formatCode(uint16_t flags) {
    return flags & kFormatMask;
}

}  // namespace ovio
