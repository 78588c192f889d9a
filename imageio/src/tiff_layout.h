#pragma once
// What the TIFF reader learns about a file beyond the image description: its strips and
// where the values that an append rewrites are stored.

#include <cstdint>
#include <vector>

#include "file.h"
#include "image_desc.h"
#include "status.h"

namespace ovio {

namespace tiff {
inline constexpr uint16_t kByte = 1;
inline constexpr uint16_t kAscii = 2;
inline constexpr uint16_t kShort = 3;
inline constexpr uint16_t kLong = 4;
inline constexpr uint16_t kRational = 5;

inline constexpr uint16_t kSubfileType = 255;
inline constexpr uint16_t kImageWidth = 256;
inline constexpr uint16_t kImageLength = 257;
inline constexpr uint16_t kBitsPerSample = 258;
inline constexpr uint16_t kCompression = 259;
inline constexpr uint16_t kPhotometric = 262;
inline constexpr uint16_t kStripOffsets = 273;
inline constexpr uint16_t kSamplesPerPixel = 277;
inline constexpr uint16_t kStripByteCounts = 279;
inline constexpr uint16_t kPlanarConfiguration = 284;
inline constexpr uint16_t kColorMap = 320;
}  // namespace tiff

struct TiffLayout {
    std::vector<uint64_t> stripOffsets;
    std::vector<uint64_t> stripByteCounts;
    uint64_t heightValuePos = 0;  // file position of the ImageLength value; 0 when absent
    uint16_t heightType = 0;
    uint64_t byteCountValuePos = 0;  // file position of a single strip's byte count, or 0
    uint16_t byteCountType = 0;
};

// Reads the header and first directory of the subset this library handles.
Status parseTiff(const File& file, ImageDesc& desc, TiffLayout& layout);

}  // namespace ovio
