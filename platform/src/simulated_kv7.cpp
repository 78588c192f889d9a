#include <algorithm>

#include "platform/simulated_boards.h"

namespace platform {

uint8_t kv7TestPixel(int x, int y) {
    // A diagonal ramp with a checker texture: every row and column differs.
    const int checker = ((x / 12) + (y / 10)) & 1 ? 24 : 0;
    return static_cast<uint8_t>((x * 3 / 4 + y / 2 + checker + (x * y) % 7) & 0xFF);
}

uint8_t kv7ExposedPixel(int x, int y, int exposureMs) {
    const int e = std::clamp(exposureMs, 0, kKv7FullExposureMs);
    return static_cast<uint8_t>(kv7TestPixel(x, y) * e / kKv7FullExposureMs);
}

void SimulatedKv7Camera::write(uint16_t offset, uint8_t value) {
    if (offset != 0) return;
    if (value == 0x0A && previous_ == 0x0D && resetRun_ > 0) {
        // the run of reset pairs goes on
    } else if (previous_ == 0x0A && value == 0x0D) {
        row_ = -1;
        col_ = -1;
        if (++resetRun_ == kKv7RewindPairs + 1 && !exposing_) {
            exposing_ = true;
            exposureStart_ = Clock::now();
        }
        previous_ = value;
        return;
    } else if (value == 0x0C) {
        if (exposing_) {
            exposing_ = false;
            exposureMs_ = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - exposureStart_)
                    .count());
            ++exposures_;
        }
        ++row_;
        col_ = -2;
    } else if (previous_ == 0x0E && value == 0x0F) {
        ++col_;
    }
    if (value != 0x0A) resetRun_ = 0;
    previous_ = value;
}

uint8_t SimulatedKv7Camera::read(uint16_t offset) {
    if (offset != 1) return 0xFF;
    if (row_ < 0 || row_ >= kKv7Height || col_ < 0 || col_ >= kKv7Width) return 0;
    return kv7ExposedPixel(col_, row_, exposureMs_);
}

}  // namespace platform
