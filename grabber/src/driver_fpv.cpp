// Integral Technologies FlashPoint: a 24-bit board driven through its vendor library. The
// board digitises into off-screen memory, from which rectangles are copied.

#include <algorithm>
#include <cstring>

#include "drivers.h"
#include "library_state.h"

namespace ovf {

namespace {

constexpr int kLastReadableLine = 484;
constexpr uint32_t kSettleMs = 60;

FpvLibrary& fpv() {
    return lib().fpv;
}
FpvState& state() {
    return lib().fpvState;
}

}  // namespace

void tFPV::Create() {
    descriptor = &fpvDescriptor();
}

int16_t tFPV::Init(const std::string& file, bool resetDefaults) {
    if (initialised) Close();
    tFrameGrabber::Init(file, resetDefaults);
    if (!fpv().load() || fpv().FPV_Init() != 0) {
        initialised = false;
        return kNotInitialised;
    }
    initialised = true;
    state() = FpvState{};
    fpv().FPV_VideoLive(0, 2);
    ApplyInputWindow(false, true);
    Control(kindChannel, lib().settings.channelNo | kForceInput);
    DetachWindow();
    return kReady;
}

int16_t tFPV::Close() {
    if (initialised && fpv().loaded()) {
        DetachWindow();
        fpv().FPV_Cleanup();
    }
    initialised = false;
    return 0;
}

void tFPV::ApplyInputWindow(bool on, bool force) {
    if (!initialised) return;
    auto& st = state();
    if (!on) ReleaseWindow();
    const int16_t fw = descriptor->frameWidth, fh = descriptor->frameHeight;
    if (on && (force || fw != st.offscreenWidth || fh != st.offscreenHeight)) {
        if (IsLive()) fpv().FPV_VideoLive(0, 2);
        if (fpv().FPV_VideoOffscreen(fw + 4, fh + 2, 24, -1) != 0) {
            errorBeep();
            return;
        }
        st.offscreenWidth = fw;
        st.offscreenHeight = fh;
    }
    const auto& ch = currentChannel();
    const bool moved =
        ch[kXMin] != st.window[0] || ch[kYMin] != st.window[1] || ch[kWH] != st.window[2];
    if (moved || on != st.offscreen) {
        SetInputWindow(int16_t(ToBoardX(ch[kXMin])), ch[kYMin], int16_t(ToBoardX(ch[kWH])),
                       ch[kWH]);
        st.window[0] = ch[kXMin];
        st.window[1] = ch[kYMin];
        st.window[2] = ch[kWH];
    }
    if (on) {
        fpv().FPV_VideoLive(-1, 2);
        st.startMs = tickMs();
    }
    st.offscreen = on;
}

void tFPV::StartLive() {
    if (!initialised) return;
    if (state().offscreen) ApplyInputWindow(true, false);
    if (!fpv().FPV_GetLiveStatus()) fpv().FPV_VideoLive(-1, 2);
    state().startMs = tickMs();
    live = true;
}

void tFPV::StopLive() {
    if (!initialised) {
        live = false;
        return;
    }
    ApplyInputWindow(true, false);
    const uint32_t elapsed = tickMs() - state().startMs;
    if (elapsed < kSettleMs) sleepMs(kSettleMs - elapsed);
    fpv().FPV_VideoGrab(2, 0, 0, 0);
    state().offscreen = false;
    live = false;
}

int16_t tFPV::Grab() {
    if (!initialised) return kNotInitialised;
    ApplyInputWindow(true, false);
    if (!IsLive()) StartLive();
    StopLive();
    return 0;
}

int16_t tFPV::StartCaptureMode(int16_t) {
    if (!initialised) return kNotInitialised;
    ApplyInputWindow(true, true);
    return 0;
}

bool tFPV::IsLive() {
    if (!initialised) return live;
    return fpv().FPV_GetLiveStatus() != 0;
}

void tFPV::AttachWindow(void* window, bool) {
    if (initialised) fpv().FPV_AutoWindow(window, 0, 0, 0, 0, 0x40E);
}

void tFPV::DetachWindow() {
    if (!initialised) return;
    fpv().FPV_AutoWindow(nullptr, 0, 0, 0, 0, 0);
    if (state().offscreen) ApplyInputWindow(true, false);
}

void tFPV::ReleaseWindow() {
    if (!initialised) return;
    fpv().FPV_SetVideoWindow(0, 0, 0, 0, -1);
    if (state().offscreen) ApplyInputWindow(true, false);
}

void tFPV::SetInputWindow(int16_t x, int16_t y, int16_t w, int16_t h) {
    if (initialised) fpv().FPV_SetInputWindow(x, y / 2, w, h);
}

int16_t tFPV::Control(int kind, int32_t value) {
    if (!initialised) return kNotInitialised;
    const bool inverted = currentChannel()[kInvertion] & 1;
    switch (kind) {
        case kindChannel: {
            const int32_t input = (value & kKeepInput) ? fpv().FPV_GetVideoSource() & 1 : value & 1;
            lib().settings.channelNo = int16_t(input);
            auto& ch = currentChannel();
            auto& st = state();
            if ((value & kForceInput) || st.type != ch[kInputType] ||
                st.standard != ch[kInputStd] || st.input != input) {
                fpv().FPV_SetVideoConfig(ch[kInputType], ch[kInputStd], input, 0);
                st.type = ch[kInputType];
                st.standard = ch[kInputStd];
                st.input = input;
            }
            syncLevels(ch);
            if (ch[kSaturation] == -1)
                ch[kSaturation] = int16_t(Query(kindSaturation));
            else
                Control(kindSaturation, ch[kSaturation]);
            if (ch[kSharpness] == -1)
                ch[kSharpness] = int16_t(Query(kindSharpness));
            else
                Control(kindSharpness, ch[kSharpness]);
            return 0;
        }
        case kindBrightnessContrast: {
            int32_t b = int16_t(value & 0xFFFF), c = int16_t((value >> 16) & 0xFFFF);
            if (inverted) {
                b = 63 - b;
                c = 63 - c;
            }
            fpv().FPV_SetVideoAdjustments(2, b);
            fpv().FPV_SetVideoAdjustments(3, c);
            return 0;
        }
        case kindSaturation:
            fpv().FPV_SetVideoAdjustments(1, value);
            return 0;
        case kindSharpness:
            fpv().FPV_SetVideoAdjustments(6, value);
            return 0;
        case kindTypeStandard:
            fpv().FPV_SetVideoConfig(value & 0xFFFF, (value >> 16) & 0xFFFF,
                                     lib().settings.channelNo, 0);
            return 0;
        default:
            return 0;
    }
}

int32_t tFPV::Query(int kind) {
    if (kind == kindColourMode) return 1;
    if (!initialised) return 0;
    const bool inverted = currentChannel()[kInvertion] & 1;
    switch (kind) {
        case kindChannel:
            return fpv().FPV_GetVideoSource();
        case kindBrightnessContrast: {
            int32_t b = fpv().FPV_GetVideoAdjustments(2), c = fpv().FPV_GetVideoAdjustments(3);
            if (inverted) {
                b = 63 - b;
                c = 63 - c;
            }
            return b + c * 65536;
        }
        case kindSaturation:
            return fpv().FPV_GetVideoAdjustments(1);
        case kindSharpness:
            return fpv().FPV_GetVideoAdjustments(6);
        case kindTypeStandard:
            return fpv().FPV_GetVideoType() + fpv().FPV_GetVideoStandard() * 65536;
        default:
            return 0;
    }
}

int32_t tFPV::ReadImage(const Rect& source, const Rect* destination, uint8_t* memory) {
    if (!initialised) return tFrameGrabber::ReadImage(source, destination, memory);
    if (destination) {
        errorBeep();
        return 0;
    }
    if (source.width <= 0 || source.height <= 0) return 0;
    const int32_t stride = int32_t(lib().transferWidth) * 3;
    int height = source.height;
    const int below = source.y + height - std::max<int>(source.y, kLastReadableLine);
    if (below > 0) {  // lines from 484 on are not read: cleared
        const int first = std::max<int>(source.y, kLastReadableLine) - source.y;
        for (int r = first; r < height; ++r)
            std::memset(memory + size_t(r) * size_t(stride), 0, size_t(source.width) * 3);
        height = first;
    }
    if (height > 0 &&
        fpv().FPV_CopyVGARect(source.x, source.y, source.width, height, memory, stride, 2) != 0)
        errorBeep();
    return int32_t(source.width) * source.height * 3;
}

}  // namespace ovf
