#pragma once
// Library-wide parameters: the compression parameter handed to the compressed-format
// writer. The only state the library keeps between calls.

#include <cstdint>

namespace ovio {

inline constexpr uint8_t kCompressionParameter = 7;
inline constexpr int16_t kDefaultCompression = -5;

int16_t compressionParameter();
void setCompressionParameter(int16_t value);

}  // namespace ovio
