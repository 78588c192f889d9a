#pragma once
// The taps of the derivative filters, shared by the matchers and the filter lanes: for each
// kernel the size it takes off a region, where its output sits, and its positive and negative
// parts at a reference pixel.

#include <cstddef>

#include "filters/derivative_match.h"

namespace ovfc::detail {

enum class Kernel { Lap5, Lap13, EdgeH, EdgeV };

// Size reduction and offset of the filtered image for a kernel.
struct KernelShape {
    int dw, dh;  // filtered size = size - (dw, dh)
    int ox, oy;  // filtered (x, y) sits at source (x + ox, y + oy)
};

constexpr KernelShape shapeOf(Kernel k) {
    switch (k) {
        case Kernel::Lap5:
            return {2, 2, 1, 1};
        case Kernel::Lap13:
            return {4, 4, 2, 2};
        case Kernel::EdgeH:
            return {2, 4, 1, 1};
        case Kernel::EdgeV:
            return {4, 2, 1, 1};
    }
    return {0, 0, 0, 0};
}

// Positive part and negative part of the kernel at p (p points at the reference pixel).
// P is a pointer or anything indexed like one (the lanes' four-pixel loads).
template <Kernel K, class P, class A>
inline void parts(const P& p, std::ptrdiff_t s, A& a, A& b) {
    if constexpr (K == Kernel::Lap5) {
        a = p[0];
        b = p[-s] + p[-1] + p[1] + p[s];
    } else if constexpr (K == Kernel::Lap13) {
        a = p[0] + p[-s] + p[-1] + p[1] + p[s];
        b = p[-2 * s] + p[-s - 1] + p[-s + 1] + p[-2] + p[2] + p[s - 1] + p[s + 1] + p[2 * s];
    } else if constexpr (K == Kernel::EdgeH) {
        a = p[-s - 1] + p[-s] + p[-s + 1] + p[-1] + p[0] + p[1];
        b = p[s - 1] + p[s] + p[s + 1] + p[2 * s - 1] + p[2 * s] + p[2 * s + 1];
    } else {
        a = p[-s - 1] + p[-s] + p[-1] + p[0] + p[s - 1] + p[s];
        b = p[-s + 1] + p[-s + 2] + p[1] + p[2] + p[s + 1] + p[s + 2];
    }
}

template <Kernel K>
constexpr double ringWeight() {
    return K == Kernel::Lap5 ? 0.25 : K == Kernel::Lap13 ? 0.625 : 1.0;
}

constexpr DerivativeKernel kernelOf(Kernel k) {
    switch (k) {
        case Kernel::Lap5:
            return DerivativeKernel::Laplacian5;
        case Kernel::Lap13:
            return DerivativeKernel::Laplacian13;
        case Kernel::EdgeH:
            return DerivativeKernel::EdgeHorizontal;
        case Kernel::EdgeV:
            return DerivativeKernel::EdgeVertical;
    }
    return DerivativeKernel::Laplacian5;
}

}  // namespace ovfc::detail
