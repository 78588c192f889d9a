#pragma once
// The static description of a board class.

#include <cstdint>

#include "settings.h"

namespace ovf {

enum Capability : uint32_t {
    capDirectScaledRead = 0x0001,
    capColour = 0x0002,
    capSwapRedBlue = 0x0004,
    capColourSource = 0x0008,
    capSelfLive = 0x0010,
    capFullFrame = 0x0020,
    capNoBoard = 0x0040,
    capIdleRefresh = 0x0080,
    capReinitOnLoad = 0x0200,
};

struct BoardDescriptor {
    uint32_t flags;
    int16_t channelCount;
    int16_t brightnessMin, brightnessMax;
    int16_t contrastMin, contrastMax;
    int16_t saturationMin, saturationMax;
    int16_t sharpnessMin, sharpnessMax;
    int16_t extraLimit;
    char sectionWord[21];
    int16_t frameWidth, frameHeight;  // changed by SetFrameSize
    const int16_t* commonDefaults;    // ChannelNo, IOBase
    const int16_t* channelDefaults;   // sixteen values
    int16_t grabTimeoutMs;
};

// One record per class; the records are library-wide and hold the current frame size.
BoardDescriptor& noneDescriptor();
BoardDescriptor& parDescriptor();
BoardDescriptor& fpvDescriptor();
BoardDescriptor& ceDescriptor();
BoardDescriptor& milDescriptor();

}  // namespace ovf
