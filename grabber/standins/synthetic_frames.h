#pragma once
// The pictures the stand-in vendor libraries deliver, shared with the tests that check them.

#include <algorithm>
#include <cstdint>

namespace standin {

// FlashPoint: a 640 x 480 colour scene per video source; three bytes per pixel.
constexpr int kFpvSceneWidth = 640;
constexpr int kFpvSceneHeight = 480;

inline uint8_t fpvScene(int source, int x, int y, int byte) {
    if (x < 0 || y < 0 || x >= kFpvSceneWidth || y >= kFpvSceneHeight) return 0;
    switch (byte) {
        case 0:
            return uint8_t((x / 3 + y / 5 + source * 40) & 0xFF);
        case 1:
            return uint8_t(((x + y) / 4 + ((x / 20 + y / 20) & 1) * 30) & 0xFF);
        default:
            return uint8_t((y / 2 + 7 * source) & 0xFF);
    }
}

// Brightness and contrast adjustments (0..63) as the board applies them; 32/32 is neutral.
inline uint8_t fpvAdjust(uint8_t v, int brightness, int contrast) {
    return uint8_t(std::clamp((v - 128) * contrast / 32 + 128 + (brightness - 32) * 4, 0, 255));
}

// Matrox: a 640 x 480 grey scene per channel.
constexpr int kMilSceneWidth = 640;
constexpr int kMilSceneHeight = 480;

inline uint8_t milScene(int channel, int x, int y) {
    if (x < 0 || y < 0 || x >= kMilSceneWidth || y >= kMilSceneHeight) return 0;
    return uint8_t((x / 2 + y / 3 + ((x / 16 + y / 16) & 1) * 20 + channel * 50) & 0xFF);
}

// Reference levels (0..255) as the digitiser applies them; 128/128 is neutral.
inline uint8_t milAdjust(uint8_t v, int brightness, int contrast) {
    return uint8_t(std::clamp((v - 128) * contrast / 128 + 128 + (brightness - 128), 0, 255));
}

}  // namespace standin
