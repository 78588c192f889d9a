#pragma once
// Status codes of the file functions.

#include <cstdint>

namespace ovio {

using Status = int16_t;

inline constexpr Status kOk = 0;
inline constexpr Status kFileError = 1;     // open/read/write failed, or unsupported request
inline constexpr Status kNoMemory = 3;      // line buffer or palette
inline constexpr Status kUnsupported = 20;  // content not supported, not 8-bit, empty image
inline constexpr Status kNoToolkit = 21;    // compressed format without its toolkit
inline constexpr Status kUnknownExtension = 22;
inline constexpr Status kClipMismatch = 23;  // appended frame does not fit the clip

}  // namespace ovio
