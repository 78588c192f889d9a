#pragma once
// Motion-JPEG frames decoded to RGB.

#include <cstddef>
#include <cstdint>

#include "frame.h"

namespace vfw {

// Decodes one JPEG image into an RGB24 frame of at most maxWidth x maxHeight; false when the
// data is not a decodable JPEG of that size.
bool decodeJpeg(const uint8_t* data, size_t size, int maxWidth, int maxHeight, Frame& out);

}  // namespace vfw
