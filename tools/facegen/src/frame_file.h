#pragma once
// Storing one kWidth x kHeight grey frame as a TIFF file.

#include <cstdint>
#include <string>

namespace facegen {

// Writes pixels (kWidth * kHeight, rows top to bottom) to path; false with error set on
// failure.
bool writeFrameFile(const std::string& path, const std::uint8_t* pixels, std::string& error);

}  // namespace facegen
