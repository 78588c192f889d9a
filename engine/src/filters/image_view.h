#pragma once
// Views of 8-bit grey images: first pixel, size and row stride in bytes.

#include <cstddef>
#include <cstdint>

namespace ovfc {

struct ImageView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    const std::uint8_t* row(int y) const {
        return pixels + static_cast<std::ptrdiff_t>(y) * stride;
    }
};

struct ImageSpan {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    std::uint8_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    operator ImageView() const { return {pixels, width, height, stride}; }
};

// Normalised mask values: width x height doubles, row-major, no gap.
struct MaskValues {
    const double* values = nullptr;
    int width = 0;
    int height = 0;
};

}  // namespace ovfc
