#include "filters/smooth.h"

#include <algorithm>
#include <cstring>

#include "filters/filter_codes.h"

namespace ovfc {

int SmoothImage(Scratch& scratch, ImageSpan image, double m) {
    const int w = image.width, h = image.height;
    if (w < 3 || h < 3) return kFilterOk;
    // Unsmoothed copies of the previous and the current row.
    ScratchArray<std::uint8_t> lines(scratch, static_cast<std::size_t>(w) * 2);
    if (!lines) return kFilterNoMemory;
    std::uint8_t* prev = lines.get();
    std::uint8_t* cur = lines.get() + w;
    std::memcpy(prev, image.row(0), w);
    std::memcpy(cur, image.row(1), w);
    const double k = (1.0 - m) * 0.125;
    for (int y = 1; y + 1 < h; ++y) {
        std::uint8_t* out = image.row(y);
        const std::uint8_t* next = image.row(y + 1);
        for (int x = 1; x + 1 < w; ++x) {
            const int sum = prev[x - 1] + prev[x] + prev[x + 1] + cur[x - 1] + cur[x + 1] +
                            next[x - 1] + next[x] + next[x + 1];
            const double v = m * cur[x] + k * sum;
            out[x] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
        }
        std::swap(prev, cur);
        std::memcpy(cur, next, w);
    }
    return kFilterOk;
}

}  // namespace ovfc
