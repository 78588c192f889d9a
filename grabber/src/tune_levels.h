#pragma once
// The histogram measure that the automatic tuning judges a frame by.

#include <cstddef>
#include <cstdint>

namespace ovf {

struct FrameLevels {
    int low = 0;     // L: level below which a tenth of the pixels lie (-5: clipped dark)
    int high = 0;    // H: level above which a tenth lie (68: clipped bright)
    int middle = 0;  // M: twice the pixels of levels 25..50 minus all pixels
};

// Levels of a frame reduced to 6 bits per pixel.
FrameLevels measureLevels(const uint8_t* frame, size_t count);

}  // namespace ovf
