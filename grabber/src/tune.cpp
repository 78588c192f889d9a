// Automatic brightness and contrast: a bisection over contrast around a bisection over
// brightness, judged by the 6-bit histogram of test frames.

#include <algorithm>
#include <array>
#include <cstdlib>

#include <dlfcn.h>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "tune_levels.h"

namespace ovf {

FrameLevels measureLevels(const uint8_t* frame, size_t count) {
    std::array<int32_t, 256> histogram{};
    for (size_t i = 0; i < count; ++i) ++histogram[size_t(frame[i] >> 2)];
    const int32_t total = int32_t(count);
    const int32_t tenth = total * 10 / 100;
    FrameLevels f;
    int32_t mid = 0;
    for (int level = 25; level <= 50; ++level) mid += histogram[size_t(level)];
    f.middle = 2 * mid - total;

    int32_t running = 0;
    int level = 0;
    for (; level < 256; ++level) {
        running += histogram[size_t(level)];
        if (running >= tenth) break;
    }
    f.low = level;
    if (f.low <= 6 && running > tenth) f.low = -5;

    running = 0;
    for (level = 255; level >= 0; --level) {
        running += histogram[size_t(level)];
        if (running >= tenth) break;
    }
    f.high = std::max(level, 0);
    if (f.high > 56 && running > tenth)
        f.high = 68;
    else if (f.high < f.low)
        f.high = std::max(0, f.low);
    return f;
}

namespace {

bool escapePressed() {
    auto& hook = lib().escapePressed;
    if (hook) return hook();
    using HostCheck = int (*)();
    static const auto host =
        reinterpret_cast<HostCheck>(::dlsym(RTLD_DEFAULT, "ovf_host_escape_pressed"));
    return host != nullptr && host() != 0;
}

}  // namespace

int16_t tune(int16_t channel) {
    auto& s = lib();
    if (s.workFrame.size() < size_t(kFrameBytes)) return 3;
    tFrameGrabber& d = *s.driver;
    if (!d.initialised) return 1;
    d.Control(kindChannel, uint16_t(channel));
    const BoardDescriptor& desc = *d.descriptor;

    int cLo = desc.contrastMin, cHi = desc.contrastMax;
    int bLo = desc.brightnessMin, bHi = desc.brightnessMax;
    int previousMiddle = 0;
    for (int pass = 0; pass < 10; ++pass) {
        const int c = std::clamp((cLo + cHi) / 2, int(desc.contrastMin), int(desc.contrastMax));
        bLo = desc.brightnessMin;
        bHi = desc.brightnessMax;
        FrameLevels f;
        int v = 0;
        for (int step = 0; step < 10; ++step) {
            if (escapePressed()) return 0;
            const int b =
                std::clamp((bLo + bHi) / 2, int(desc.brightnessMin), int(desc.brightnessMax));
            d.Control(kindBrightnessContrast, int32_t(uint16_t(b)) | (int32_t(c) << 16));
            sleepMs(50);
            captureFrame(channel, s.workFrame.data(), 0);
            f = measureLevels(s.workFrame.data(), kFrameBytes);
            v = (f.low + f.high) / 2;
            if (v < 32)
                bLo = b;
            else
                bHi = b;
            if (bHi - bLo < 2) break;
            if (f.low > 5 && f.high <= 57 && std::abs(v - 31) < 4) break;
        }
        if ((pass == 0 || f.middle + 5000 >= previousMiddle) && f.low > 6 && f.high < 57)
            cLo = c;
        else
            cHi = c;
        previousMiddle = f.middle;
        if (f.low <= 7 && f.high >= 56 && std::abs(v - 31) <= 1) break;
    }
    auto& ch = s.settings.channels[size_t(s.settings.channelNo & (kMaxChannels - 1))];
    ch[kBrightness] = int16_t((bLo + bHi + 1) / 2);
    ch[kContrast] = int16_t((cLo + cHi + 1) / 2);
    d.Control(kindBrightnessContrast,
              int32_t(uint16_t(ch[kBrightness])) | (int32_t(uint16_t(ch[kContrast])) << 16));
    return 0;
}

}  // namespace ovf
