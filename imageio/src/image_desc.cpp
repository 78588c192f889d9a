#include "image_desc.h"

namespace ovio {

Palette greyRamp() {
    Palette p{};
    for (int i = 0; i < 256; ++i) {
        p[i * 4] = p[i * 4 + 1] = p[i * 4 + 2] = static_cast<uint8_t>(i);
        p[i * 4 + 3] = 0;
    }
    return p;
}

bool differsFromGreyRamp(const Palette& palette, int entries) {
    if (entries > 256) entries = 256;
    for (int i = 0; i < entries; ++i) {
        const uint8_t* e = &palette[i * 4];
        if (e[0] != i || e[1] != i || e[2] != i) return true;
    }
    return false;
}

}  // namespace ovio
