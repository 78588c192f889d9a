#include "frame_grabber.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "library_state.h"
#include "platform/profile.h"

namespace ovf {

ChannelSettings& tFrameGrabber::currentChannel() {
    auto& s = lib().settings;
    return s.channels[static_cast<size_t>(s.channelNo & (kMaxChannels - 1))];
}

void tFrameGrabber::syncLevels(ChannelSettings& ch) {
    if (ch[kBrightness] == -1 || ch[kContrast] == -1) {
        const int32_t q = Query(kindBrightnessContrast);
        ch[kBrightness] = int16_t(q & 0xFFFF);
        ch[kContrast] = int16_t(q >> 16);
    } else {
        Control(kindBrightnessContrast,
                int32_t(uint16_t(ch[kBrightness])) | (int32_t(ch[kContrast]) << 16));
    }
}

void tFrameGrabber::Create() {
    descriptor = &noneDescriptor();
}

int16_t tFrameGrabber::Init(const std::string&, bool resetDefaults) {
    auto& s = lib().settings;
    const int count = std::clamp<int>(descriptor->channelCount, 0, kMaxChannels);
    if (resetDefaults) {
        s = GrabberSettings{};
        for (int c = 0; c < count; ++c)
            for (int i = 0; i < kChannelValues; ++i)
                s.channels[size_t(c)][i] = defaultValueOf(descriptor->channelDefaults[i]);
    }
    for (int c = 0; c < std::max(count, 1); ++c)
        if (s.channels[size_t(c)][kAspectRatio] < 1) s.channels[size_t(c)][kAspectRatio] = 100;
    initialised = HasCap(capNoBoard | capSelfLive) || portAccessPossible();
    return initialised ? kReady : kNotInitialised;
}

int16_t tFrameGrabber::Grab() {
    const uint32_t start = tickMs();
    int16_t result = StartGrab();
    if (result == kReady) {
        for (;;) {
            if (IsGrabDone()) break;
            if (tickMs() - start > uint32_t(descriptor->grabTimeoutMs)) {
                result = kGrabTimeout;
                break;
            }
            sleepMs(1);
        }
    }
    lastGrabMs = tickMs() - start;
    return result;
}

void tFrameGrabber::SetFrameSize(int16_t width, int16_t height) {
    descriptor->frameWidth = width;
    descriptor->frameHeight = height;
}

int16_t tFrameGrabber::StartCaptureMode(int16_t channel) {
    if (!initialised) return kNotInitialised;
    Control(kindChannel, int32_t(uint16_t(channel)) | kForceInput);
    return kReady;
}

void tFrameGrabber::StopLive() {
    Grab();
    live = false;
}

int16_t tFrameGrabber::Close() {
    initialised = false;
    return 0;
}

void tFrameGrabber::DetachWindow() {}
void tFrameGrabber::ApplyInputWindow(bool, bool) {}
void tFrameGrabber::ReleaseWindow() {}
void tFrameGrabber::StartLive() {
    live = true;
}
int16_t tFrameGrabber::StartGrab() {
    return initialised ? kReady : kNotInitialised;
}
bool tFrameGrabber::IsGrabDone() {
    return true;
}
void tFrameGrabber::SetInputWindow(int16_t, int16_t, int16_t, int16_t) {}
void tFrameGrabber::AttachWindow(void*, bool) {}
bool tFrameGrabber::IsLive() {
    return live;
}
int16_t tFrameGrabber::Control(int, int32_t) {
    return 0;
}
int32_t tFrameGrabber::Query(int) {
    return 0;
}

int32_t tFrameGrabber::ReadImage(const Rect& source, const Rect* destination, uint8_t* memory) {
    const Rect& area = destination ? *destination : source;
    // No hardware (not initialised, or a board class without any): mid-grey.
    if (!initialised || HasCap(capNoBoard)) {
        const int32_t bpp = Query(kindColourMode) == 1 ? 3 : 1;
        const int64_t total = std::max<int64_t>(0, int64_t(area.area()) * bpp);
        for (int64_t done = 0; done < total;) {
            const int64_t piece = std::min<int64_t>(64000, total - done);
            std::memset(memory + done, 128, size_t(piece));
            done += piece;
        }
        return int32_t(total);
    }
    if (destination) {
        ReadRectScaled(memory, source, 1);
        return destination->area();
    }
    ReadRect(memory, source, 1);
    return source.area();
}

bool tFrameGrabber::ReadRect(uint8_t*, const Rect&, int) {
    return true;
}
bool tFrameGrabber::ReadRectScaled(uint8_t*, const Rect&, int) {
    return true;
}
bool tFrameGrabber::SetWindow(void*) {
    return true;
}
void tFrameGrabber::GrabToBuffer() {}

std::string tFrameGrabber::SectionName(int index) const {
    std::string name = descriptor->sectionWord;
    char suffix[24];
    if (index == 0)
        std::snprintf(suffix, sizeof suffix, " common");
    else
        std::snprintf(suffix, sizeof suffix, " channel %d", index);
    name += suffix;
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    return name;
}

int16_t tFrameGrabber::TransferSection(int index, const std::string& file, int mode) {
    if (descriptor->channelCount <= 0) return 0;
    if (file.empty()) return 1;
    const std::string section = SectionName(index);
    auto& s = lib().settings;
    const int16_t* defaults;
    int16_t* targets[kChannelValues - 1];
    const char* const* keys;
    int count;
    if (index == 0) {
        defaults = descriptor->commonDefaults;
        targets[0] = &s.channelNo;
        targets[1] = &s.ioBase;
        keys = kCommonKeys;
        count = 2;
    } else {
        auto& ch = s.channels[size_t((index - 1) & (kMaxChannels - 1))];
        defaults = descriptor->channelDefaults;
        for (int i = 0; i < kChannelValues - 1; ++i) targets[i] = &ch.v[size_t(i)];
        keys = kChannelKeys;
        count = kChannelValues - 1;
    }
    for (int i = 0; i < count; ++i) {
        const int16_t d = defaults[i];
        if (d == kUnusedKey) continue;
        if (mode == kLoad) {
            *targets[i] = int16_t(platform::profileInt(file, section, keys[i], defaultValueOf(d)));
        } else {
            char text[16];
            if (d & kHexMark)
                std::snprintf(text, sizeof text, "0x%04X", unsigned(uint16_t(*targets[i])));
            else
                std::snprintf(text, sizeof text, "%d", int(*targets[i]));
            if (!platform::writeProfileString(file, section, keys[i], text)) return 1;
        }
    }
    if (mode == kLoad && index == 0 && HasCap(capReinitOnLoad)) {
        if (Init(file, false) != 0) return kReinitFailed;
    }
    return 0;
}

int tFrameGrabber::ToBoardX(int x) const {
    const int ratio = currentChannel()[kAspectRatio];
    return ratio < 1 ? x : x * 100 / ratio;
}

int tFrameGrabber::FromBoardX(int x) const {
    return x * currentChannel()[kAspectRatio] / 100;
}

void tFrameGrabber::FreezeForCapture(int field) {
    if (HasCap(capColour) && !HasCap(capSelfLive)) {
        Control(kindField, field);
        Grab();
    }
    Grab();
}

}  // namespace ovf
