#pragma once
// The description a reader-open fills in: what is stored and how.

#include <array>
#include <cstdint>

namespace ovio {

// 256 entries of R, G, B, 0.
using Palette = std::array<uint8_t, 1024>;

// The plain grey ramp (i, i, i, 0).
Palette greyRamp();

// True when one of the first `entries` entries differs from (i, i, i).
bool differsFromGreyRamp(const Palette& palette, int entries);

struct ImageDesc {
    int64_t width = 0;
    int64_t height = 0;
    int64_t lineBytes = 0;  // bytes per stored line, padding included
    int samples = 0;        // samples per pixel
    int bitsPerSample = 0;
    bool bgr = false;         // stored colour pixels are B, G, R
    bool bottomUp = false;    // lines stored from the bottom line up
    bool usePalette = false;  // pixels are indexes into a palette that is not the grey ramp
    Palette palette = greyRamp();
};

}  // namespace ovio
