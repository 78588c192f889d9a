// In-place smoothing, four pixels of a row at a time: the neighbour sums as integer vectors,
// then the plain loop's double operations, clamp and truncation.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "filters/filter_codes.h"
#include "filters/smooth.h"

namespace ovfc {

namespace {

using Ints = std::int32_t __attribute__((vector_size(4 * sizeof(std::int32_t))));
using Bytes = std::uint8_t __attribute__((vector_size(4)));
using Doubles = double __attribute__((vector_size(4 * sizeof(double))));
constexpr int kLanes = 4;

inline Ints four(const std::uint8_t* p) {
    Bytes b;
    std::memcpy(&b, p, sizeof b);
    return __builtin_convertvector(b, Ints);
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
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
    const Doubles low = Doubles{}, high = Doubles{} + 255.0;
    for (int y = 1; y + 1 < h; ++y) {
        std::uint8_t* out = image.row(y);
        const std::uint8_t* next = image.row(y + 1);
        int x = 1;
        for (; x + kLanes < w; x += kLanes) {
            const Ints sum = four(prev + x - 1) + four(prev + x) + four(prev + x + 1) +
                             four(cur + x - 1) + four(cur + x + 1) + four(next + x - 1) +
                             four(next + x) + four(next + x + 1);
            Doubles v = m * __builtin_convertvector(four(cur + x), Doubles) +
                        k * __builtin_convertvector(sum, Doubles);
            v = v < low ? low : v;
            v = high < v ? high : v;
            const Bytes b = __builtin_convertvector(__builtin_convertvector(v, Ints), Bytes);
            std::memcpy(out + x, &b, sizeof b);
        }
        for (; x + 1 < w; ++x) {
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
