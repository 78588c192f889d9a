#include "line_convert.h"

#include <cstring>

namespace ovio {

LineConverter chooseConverter(bool colourOut, int samples, bool usePalette) {
    if (samples == 3)
        return colourOut ? LineConverter::ColourToColour : LineConverter::ColourToGrey;
    if (usePalette)
        return colourOut ? LineConverter::PaletteToColour : LineConverter::PaletteToGrey;
    return colourOut ? LineConverter::GreyToColour : LineConverter::GreyToGrey;
}

void LineConversion::setPalette(const Palette& p) {
    palette = p;
    for (int i = 0; i < 256; ++i) {
        paletteGrey[i] = static_cast<uint8_t>((p[i * 4] + p[i * 4 + 1] + p[i * 4 + 2]) / 3);
    }
}

void LineConversion::run(const uint8_t* src, uint8_t* out) const {
    const uint32_t* col = columns;
    const size_t n = count;
    switch (converter) {
        case LineConverter::GreyToGrey:
            if (identity) {
                std::memcpy(out, src, n);
            } else {
                for (size_t j = 0; j < n; ++j) out[j] = src[col[j]];
            }
            break;
        case LineConverter::GreyToColour:
            for (size_t j = 0; j < n; ++j) {
                const uint8_t v = src[col[j]];
                out[3 * j] = out[3 * j + 1] = out[3 * j + 2] = v;
            }
            break;
        case LineConverter::ColourToGrey:
            for (size_t j = 0; j < n; ++j) {
                const uint8_t* p = src + 3 * size_t{col[j]};
                out[j] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
            }
            break;
        case LineConverter::ColourToColour: {
            const int r = swapRedBlue ? 2 : 0;
            const int b = 2 - r;
            for (size_t j = 0; j < n; ++j) {
                const uint8_t* p = src + 3 * size_t{col[j]};
                out[3 * j] = p[r];
                out[3 * j + 1] = p[1];
                out[3 * j + 2] = p[b];
            }
            break;
        }
        case LineConverter::PaletteToGrey:
            for (size_t j = 0; j < n; ++j) out[j] = paletteGrey[src[col[j]]];
            break;
        case LineConverter::PaletteToColour:
            for (size_t j = 0; j < n; ++j) {
                const uint8_t* e = &palette[size_t{src[col[j]]} * 4];
                out[3 * j] = e[0];
                out[3 * j + 1] = e[1];
                out[3 * j + 2] = e[2];
            }
            break;
    }
}

}  // namespace ovio
