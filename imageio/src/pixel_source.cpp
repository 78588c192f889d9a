#include "pixel_source.h"

namespace ovio {

bool readFully(PixelSource& source, uint8_t* dst, size_t n) {
    while (n > 0) {
        const int64_t got = source.read(dst, n);
        if (got <= 0) return false;
        dst += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace ovio
