// The derivative filters of a region, four output pixels at a time: the kernel's integer sums
// of four neighbouring pixels side by side, then the same double operations, truncation and
// clamps as FilterRegionPlain, which also does the last columns of a row.
#include <cstdint>
#include <cstring>

#include "filters/derivative_kernels.h"
#include "filters/derivative_match.h"

namespace ovfc {

namespace {

using detail::Kernel;

using Ints = std::int32_t __attribute__((vector_size(4 * sizeof(std::int32_t))));
using Bytes = std::uint8_t __attribute__((vector_size(4)));
using Doubles = double __attribute__((vector_size(4 * sizeof(double))));
constexpr int kLanes = 4;

// Four consecutive pixels from p + i, indexed like a pointer by the kernel's taps.
struct Pixels {
    const std::uint8_t* p;
    Ints operator[](std::ptrdiff_t i) const {
        Bytes b;
        std::memcpy(&b, p + i, sizeof b);
        return __builtin_convertvector(b, Ints);
    }
};

// Filters the columns 0 .. (out.width rounded down to the lanes) - 1; returns that count.
template <Kernel K>
__attribute__((always_inline)) inline int filterLanes(ImageView region, double multiplier,
                                                      bool absolute, ImageSpan out) {
    constexpr detail::KernelShape sh = detail::shapeOf(K);
    double m = multiplier;
    if constexpr (K == Kernel::Lap13) m = multiplier / 5.0;
    if constexpr (K == Kernel::EdgeH || K == Kernel::EdgeV) m = multiplier / 6.0;
    const double km = detail::ringWeight<K>() * m;
    const Doubles low = Doubles{} - 1e9, high = Doubles{} + 1e9;
    const Ints least = Ints{} - 128, most = Ints{} + 127;
    const int full = out.width - out.width % kLanes;
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* src = region.row(y + sh.oy) + sh.ox;
        std::uint8_t* dst = out.row(y);
        for (int x = 0; x < full; x += kLanes) {
            Ints ia, ib;
            detail::parts<K>(Pixels{src + x}, region.stride, ia, ib);
            Doubles v;
            if constexpr (K == Kernel::EdgeH || K == Kernel::EdgeV)
                v = __builtin_convertvector(ia - ib, Doubles) * m;
            else
                v = m * __builtin_convertvector(ia, Doubles) -
                    km * __builtin_convertvector(ib, Doubles);
            v = v < low ? low : v;
            v = high < v ? high : v;
            Ints t = __builtin_convertvector(v, Ints);  // truncation toward zero
            t = t < least ? least : t;
            t = most < t ? most : t;
            // stored = t + 128; with the absolute flag |stored - 128| = |t|.
            const Ints stored = absolute ? (t < 0 ? -t : t) : t + 128;
            const Bytes b = __builtin_convertvector(stored, Bytes);
            std::memcpy(dst + x, &b, sizeof b);
        }
    }
    return full;
}

}  // namespace

#if defined(OVFC_TARGET_CLONES)
__attribute__((target_clones("avx2", "default")))
#endif
void FilterRegion(ImageView region, DerivativeKernel kernel, double multiplier, bool absolute,
                  ImageSpan out) {
    int done = 0;
    switch (kernel) {
        case DerivativeKernel::Laplacian5:
            done = filterLanes<Kernel::Lap5>(region, multiplier, absolute, out);
            break;
        case DerivativeKernel::Laplacian13:
            done = filterLanes<Kernel::Lap13>(region, multiplier, absolute, out);
            break;
        case DerivativeKernel::EdgeHorizontal:
            done = filterLanes<Kernel::EdgeH>(region, multiplier, absolute, out);
            break;
        case DerivativeKernel::EdgeVertical:
            done = filterLanes<Kernel::EdgeV>(region, multiplier, absolute, out);
            break;
    }
    if (done == out.width) return;
    // The last columns: the kernel is local, so the plain loop on the views shifted by `done`
    // columns gives their values.
    FilterRegionPlain(
        ImageView{region.pixels + done, region.width - done, region.height, region.stride}, kernel,
        multiplier, absolute,
        ImageSpan{out.pixels + done, out.width - done, out.height, out.stride});
}

}  // namespace ovfc
