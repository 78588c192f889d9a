#include <algorithm>

#include "platform/simulated_boards.h"

namespace platform {

uint8_t ceScenePixel(int x, int y) {
    const int band = ((x / 32) ^ (y / 24)) & 3;
    return static_cast<uint8_t>((x / 4 + y / 2 + band * 17) & 0xFF);
}

uint8_t ceDigitise(uint8_t scene, int first, int second) {
    const int black = (first - 13) * 8;
    const int white = 255 + (second - 28) * 8;
    if (white <= black) return scene >= black ? 255 : 0;
    return static_cast<uint8_t>(std::clamp((scene - black) * 255 / (white - black), 0, 255));
}

void SimulatedComputerEyes::serialBus(uint8_t oldControl, uint8_t newControl) {
    const bool oldData = oldControl & 0x20, newData = newControl & 0x20;
    const bool oldClock = oldControl & 0x10, newClock = newControl & 0x10;
    if (oldClock && newClock && oldData && !newData) {  // start
        busActive_ = true;
        bitCount_ = 0;
        shift_ = 0;
        message_.clear();
        return;
    }
    if (oldClock && newClock && !oldData && newData) {  // stop
        if (busActive_ && message_.size() >= 3 && message_[0] == 0x40) {
            if (message_[1] == 0xF0) adjust_[0] = message_[2];
            if (message_[1] == 0xF1) adjust_[1] = message_[2];
        }
        busActive_ = false;
        return;
    }
    if (busActive_ && !oldClock && newClock) {  // rising clock: one bit
        if (bitCount_ < 8) {
            shift_ = static_cast<uint8_t>((shift_ << 1) | (newData ? 1 : 0));
            ++bitCount_;
        } else {  // acknowledge clock
            message_.push_back(shift_);
            bitCount_ = 0;
            shift_ = 0;
        }
    }
}

void SimulatedComputerEyes::write(uint16_t offset, uint8_t value) {
    switch (offset) {
        case 0: {
            const uint8_t old = control_;
            control_ = value;
            serialBus(old, value);
            break;
        }
        case 1:
            if (control_ & 0x02) addressLow_ = value;
            break;
        case 2:
            if (control_ & 0x02) {
                addressHigh_ = value;
                column_ = 2 * (addressHigh_ & 0x7F);
            }
            break;
        default:
            break;
    }
}

uint8_t SimulatedComputerEyes::read(uint16_t offset) {
    if (offset == 0) {
        ++ticks_;
        const long field = ticks_ / kCeFieldTicks;
        const bool sync = ticks_ % kCeFieldTicks < kCeSyncTicks;
        if (field != lastField_) {
            lastField_ = field;
            if ((control_ & 0x04) && !(control_ & 0x01)) {
                const int parity = static_cast<int>(field & 1);
                captured_[parity] = true;
                capturedAdjust_[parity][0] = adjust_[0];
                capturedAdjust_[parity][1] = adjust_[1];
                ++fields_;
            }
        }
        return static_cast<uint8_t>((sync ? 0x04 : 0) | ((field & 1) ? 0x08 : 0) |
                                    ((control_ & 0x08) ? 0x20 : 0));
    }
    if (offset == 3) {
        const int parity = (control_ & 0x04) ? 1 : 0;
        const int row = 2 * addressLow_ + parity;
        const int col = column_++;
        if (!captured_[parity] || col >= kCeWidth || row >= kCeHeight) return 0;
        return ceDigitise(ceScenePixel(col, row), capturedAdjust_[parity][0],
                          capturedAdjust_[parity][1]);
    }
    return 0xFF;
}

}  // namespace platform
