#pragma once
// Settings of the current board: the common values and four channels of sixteen values.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ovf {

// Indices of the sixteen values of one channel.
enum ChannelValue : int {
    kBrightness,
    kContrast,
    kSaturation,
    kSharpness,
    kInputStd,
    kInputType,
    kXMin,
    kYMin,
    kWH,
    kAspectRatio,
    kInvertion,
    kFlipVertically,
    kLiveOrgX,
    kLiveOrgY,
    kInterlace,
    kDialogFlags,  // no key: dialog flag 0x01
    kChannelValues
};

struct ChannelSettings {
    std::array<int16_t, kChannelValues> v{};
    int16_t& operator[](int i) { return v[static_cast<std::size_t>(i)]; }
    int16_t operator[](int i) const { return v[static_cast<std::size_t>(i)]; }
};

constexpr int kMaxChannels = 4;

struct GrabberSettings {
    int16_t channelNo = 0;
    int16_t ioBase = 0;
    std::array<ChannelSettings, kMaxChannels> channels{};
};

// Marks of a default value.
constexpr int16_t kUnusedKey = INT16_MIN;  // 0x8000 alone: neither read nor written
constexpr int16_t kHexMark = 0x4000;       // written as "0x" and four upper-case digits
constexpr int16_t defaultValueOf(int16_t d) {
    return static_cast<int16_t>(d & 0x3FFF);
}

// Configuration keys, in value order; the sixteenth value has none.
extern const char* const kChannelKeys[kChannelValues - 1];
extern const char* const kCommonKeys[2];

}  // namespace ovf
