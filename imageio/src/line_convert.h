#pragma once
// Line converters of the fitted read: stored pixels (grey, colour or palette indexes) to
// the caller's grey or colour pixels, sampling the source at precomputed columns.

#include <cstddef>
#include <cstdint>

#include "image_desc.h"

namespace ovio {

enum class LineConverter {
    GreyToGrey,
    GreyToColour,
    ColourToGrey,  // grey = (R + G + B) div 3
    ColourToColour,
    PaletteToGrey,
    PaletteToColour,
};

LineConverter chooseConverter(bool colourOut, int samples, bool usePalette);

struct LineConversion {
    LineConverter converter = LineConverter::GreyToGrey;
    bool swapRedBlue = false;           // stored B, G, R into the caller's R, G, B
    const uint32_t* columns = nullptr;  // source pixel index of every output pixel
    size_t count = 0;                   // output pixels
    bool identity = false;              // columns[j] == j for all j
    Palette palette{};
    uint8_t paletteGrey[256] = {};

    void setPalette(const Palette& p);
    // Converts from `src` (the first covered stored pixel) into `out`.
    void run(const uint8_t* src, uint8_t* out) const;
};

}  // namespace ovio
