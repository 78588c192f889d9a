#pragma once
// The pixel data of an opened image: a seek to a byte offset within the data and reads of
// the next bytes. One object per call; the reader-close is its destructor.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image_desc.h"

namespace ovio {

class PixelSource {
  public:
    virtual ~PixelSource() = default;
    // Positions at byte `offset` of the pixel data; false on an I/O error.
    virtual bool seek(uint64_t offset) = 0;
    // Reads up to n bytes: the count, 0 when the data end, -1 on an I/O error.
    virtual int64_t read(uint8_t* dst, size_t n) = 0;
};

struct OpenedImage {
    ImageDesc desc;
    std::unique_ptr<PixelSource> source;
};

// Fills n bytes from the source, repeating reads; false when the data end or fail first.
bool readFully(PixelSource& source, uint8_t* dst, size_t n);

}  // namespace ovio
