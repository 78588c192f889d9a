// Matrox Meteor through the Matrox Imaging Library: the digitiser grabs into a grab buffer
// (captures) or a display buffer (live window).

#include <algorithm>
#include <cstring>

#include "drivers.h"
#include "library_state.h"

namespace ovf {

namespace {

MilLibrary& milLib() {
    return lib().mil;
}

int64_t grabEndHook(int64_t hookType, MIL_ID event, void* user) {
    auto* self = static_cast<tMIL*>(user);
    self->stretchDisplayRows();
    if (self->previousHook)
        return reinterpret_cast<MIL_HOOK>(self->previousHook)(hookType, event,
                                                              self->previousHookData);
    return 0;
}

}  // namespace

tMIL::~tMIL() {
    release();
}

void tMIL::Create() {
    descriptor = &milDescriptor();
    windowWidth = descriptor->frameWidth;
    windowHeight = descriptor->frameHeight;
}

void tMIL::release() {
    if (!milLib().loaded()) return;
    auto& m = milLib();
    if (attached) DetachWindow();
    if (grabBuffer) m.MbufFree(grabBuffer);
    if (displayBuffer) m.MbufFree(displayBuffer);
    if (display) m.MdispFree(display);
    if (digitiser) m.MdigFree(digitiser);
    if (system) m.MsysFree(system);
    if (application) m.MappFree(application);
    grabBuffer = displayBuffer = display = digitiser = system = application = 0;
    currentBuffer = 0;
    displayAddress = nullptr;
    grabWidth = grabHeight = 0;
}

int16_t tMIL::Init(const std::string& file, bool resetDefaults) {
    if (initialised) Close();
    tFrameGrabber::Init(file, resetDefaults);
    initialised = false;
    if (!milLib().load()) return kVendorSetupFailed;
    auto& m = milLib();
    bool ok = m.MappAlloc(mil::kDefault, &application) != 0;
    if (ok) m.MappControl(mil::kErrorControl, mil::kPrintDisable);
    ok = ok && m.MsysAlloc(m.systemDescriptor, mil::kDefault, mil::kDefault, &system) != 0;
    ok = ok && m.MdispAlloc(system, mil::kDefault, "M_DEFAULT", mil::kDefault, &display) != 0;
    ok = ok && m.MsysInquire(system, mil::kDigitiserCount, nullptr) >= 0;
    ok = ok && m.MdigAlloc(system, mil::kDefault, "M_RS170", mil::kDefault, &digitiser) != 0;
    if (ok) {
        digitiserWidth = int16_t(m.MdigInquire(digitiser, mil::kSizeX, nullptr));
        digitiserHeight = int16_t(m.MdigInquire(digitiser, mil::kSizeY, nullptr));
        ok = digitiserWidth > 0 && digitiserHeight > 0;
    }
    ok = ok && m.MbufAlloc2d(system, digitiserWidth, digitiserHeight, 8, mil::kImageAttribute,
                             &displayBuffer) != 0;
    if (ok) {
        displayAddress = reinterpret_cast<uint8_t*>(
            intptr_t(m.MbufInquire(displayBuffer, mil::kHostAddress, nullptr)));
        initialised = true;  // the grab buffer allocation below needs it
        SetFrameSize(lib().transferWidth, lib().transferHeight);
        ok = grabBuffer != 0;
    }
    if (!ok) {
        release();
        initialised = false;
        return kVendorSetupFailed;
    }
    m.MbufClear(displayBuffer, 0);
    currentBuffer = grabBuffer;
    std::fill(std::begin(lastInput), std::end(lastInput), int16_t(-1));
    return kReady;
}

int16_t tMIL::Close() {
    release();
    initialised = false;
    live = false;
    zoomed = false;
    return 0;
}

void tMIL::SetFrameSize(int16_t width, int16_t height) {
    if (!initialised || !milLib().loaded()) {
        tFrameGrabber::SetFrameSize(width, height);
        return;
    }
    if (width == grabWidth && height == grabHeight && grabBuffer) return;
    auto& m = milLib();
    if (grabBuffer) m.MbufFree(grabBuffer);
    grabBuffer = 0;
    if (m.MbufAlloc2d(system, width, (height + 1) & ~1, 8, mil::kImageAttribute, &grabBuffer) ==
        0) {
        errorBeep();
        width = lib().transferWidth;
        height = lib().transferHeight;
        grabBuffer = 0;
        m.MbufAlloc2d(system, width, (height + 1) & ~1, 8, mil::kImageAttribute, &grabBuffer);
    }
    if (grabBuffer) m.MbufClear(grabBuffer, 0);
    if (currentBuffer != displayBuffer) currentBuffer = grabBuffer;
    grabWidth = width;
    grabHeight = height;
    tFrameGrabber::SetFrameSize(width, height);
}

void tMIL::SetInputWindow(int16_t x, int16_t y, int16_t w, int16_t h) {
    if (!initialised) return;
    auto& m = milLib();
    const int16_t tw = zoomed ? descriptor->frameWidth : windowWidth;
    const int16_t th = zoomed ? descriptor->frameHeight : windowHeight;
    if (x == lastInput[0] && y == lastInput[1] && w == lastInput[2] && h == lastInput[3] &&
        tw == lastTarget[0] && th == lastTarget[1])
        return;
    if (live) m.MdigHalt(digitiser);
    m.MdigControl(digitiser, mil::kSourceOffsetX, 0);
    m.MdigControl(digitiser, mil::kSourceOffsetY, 0);
    m.MdigControl(digitiser, mil::kSourceSizeX, digitiserWidth - x);
    m.MdigControl(digitiser, mil::kSourceSizeY, digitiserHeight - y);
    double sx = 1, sy = 1;
    if (w > 0 && h > 0 && w >= tw && h >= th) {
        sx = double(tw) / double(w);
        sy = double(th) / double(h);
    }
    m.MdigControl(digitiser, mil::kScaleX, sx);
    m.MdigControl(digitiser, mil::kScaleY, sy);
    m.MdigControl(digitiser, mil::kSourceOffsetX, x);
    m.MdigControl(digitiser, mil::kSourceOffsetY, y);
    if (!zoomed && digitiserHeight < h && displayAddress) {
        const int scaled = std::clamp(int((digitiserHeight - y) * sy), 0, int(digitiserHeight));
        std::memset(displayAddress + size_t(scaled) * size_t(digitiserWidth), 0,
                    size_t(digitiserHeight - scaled) * size_t(digitiserWidth));
    }
    lastInput[0] = x, lastInput[1] = y, lastInput[2] = w, lastInput[3] = h;
    lastTarget[0] = tw, lastTarget[1] = th;
}

void tMIL::ApplyInputWindow(bool on, bool force) {
    if (!initialised) return;
    if (force) std::fill(std::begin(lastInput), std::end(lastInput), int16_t(-1));
    const bool newlyZoomed = on && !zoomed;
    zoomed = on;
    const auto& ch = currentChannel();
    SetInputWindow(int16_t(ToBoardX(ch[kXMin])), ch[kYMin], int16_t(ToBoardX(ch[kWH])), ch[kWH]);
    if (on && (!live || newlyZoomed)) {
        currentBuffer = grabBuffer;
        live = true;
    }
}

void tMIL::StartLive() {
    if (!initialised) return;
    if (zoomed) ApplyInputWindow(true, false);
    if (!live) {
        currentBuffer = zoomed ? grabBuffer : displayBuffer;
        live = true;
    }
}

void tMIL::StopLive() {
    if (!initialised) {
        live = false;
        return;
    }
    ApplyInputWindow(true, false);
    milLib().MdigGrab(digitiser, currentBuffer);
    live = false;
    zoomed = false;
}

int16_t tMIL::Grab() {
    if (!initialised) return kNotInitialised;
    ApplyInputWindow(true, false);
    StopLive();
    return 0;
}

int16_t tMIL::StartCaptureMode(int16_t) {
    if (!initialised) return kNotInitialised;
    ApplyInputWindow(true, true);
    return 0;
}

bool tMIL::IsLive() {
    return live;
}

void tMIL::AttachWindow(void* window, bool repaintOnly) {
    if (!initialised || repaintOnly || attached) return;
    MIL_HOOK previous = nullptr;
    milLib().MdigHookFunction(digitiser, mil::kGrabEnd, &grabEndHook, this, &previous,
                              &previousHookData);
    previousHook = reinterpret_cast<void*>(previous);
    currentBuffer = displayBuffer;
    GrabToBuffer();
    StartLive();
    milLib().MdispSelectWindow(display, displayBuffer, window);
    liveWindow = window;
    attached = true;
}

void tMIL::DetachWindow() {
    if (!initialised || !attached) return;
    milLib().MdispDeselect(display, displayBuffer);
    milLib().MdigHookFunction(digitiser, mil::kGrabEnd, reinterpret_cast<MIL_HOOK>(previousHook),
                              previousHookData, nullptr, nullptr);
    previousHook = previousHookData = nullptr;
    attached = false;
}

void tMIL::ReleaseWindow() {
    DetachWindow();
}

bool tMIL::SetWindow(void* window) {
    liveWindow = window;
    return true;
}

void tMIL::GrabToBuffer() {
    if (initialised) milLib().MdigGrab(digitiser, currentBuffer);
}

void tMIL::stretchDisplayRows() {
    if (!displayAddress || lastTarget[1] <= 0 || windowHeight <= 0) return;
    // Rows the digitiser delivered, repeated to fill the window height.
    const int rows = std::min<int>(digitiserHeight, lastTarget[1]);
    const int height = std::min<int>(digitiserHeight, windowHeight);
    if (rows <= 0 || rows >= height) return;
    const size_t stride = size_t(digitiserWidth);
    for (int y = height - 1; y >= 0; --y) {
        const int from = y * rows / height;
        if (from != y)
            std::memcpy(displayAddress + y * stride, displayAddress + from * stride, stride);
    }
}

int16_t tMIL::Control(int kind, int32_t value) {
    if (!initialised) return kNotInitialised;
    auto& m = milLib();
    const bool inverted = currentChannel()[kInvertion] & 1;
    if (kind == kindChannel) {
        const int input = (value & kKeepInput) ? Query(kindChannel) : (value & 3);
        const int previous = lib().settings.channelNo;
        lib().settings.channelNo = int16_t(input);
        if ((value & kForceInput) || input != previous ||
            m.MdigInquire(digitiser, mil::kChannel, nullptr) != mil::kChannelCodes[input])
            m.MdigChannel(digitiser, mil::kChannelCodes[input]);
        syncLevels(currentChannel());
        return 0;
    }
    if (kind == kindBrightnessContrast) {
        int32_t b = int16_t(value & 0xFFFF), c = int16_t((value >> 16) & 0xFFFF);
        if (inverted) {
            b = 255 - b;
            c = 255 - c;
        }
        m.MdigReference(digitiser, mil::kBrightnessRef, b);
        m.MdigReference(digitiser, mil::kContrastRef, c);
    }
    return 0;
}

int32_t tMIL::Query(int kind) {
    if (!initialised) return 0;
    auto& m = milLib();
    if (kind == kindChannel) {
        const int64_t code = m.MdigInquire(digitiser, mil::kChannel, nullptr);
        for (int i = 0; i < 4; ++i)
            if (mil::kChannelCodes[i] == code) return i;
        return 0;
    }
    if (kind == kindBrightnessContrast) {
        int32_t b = int32_t(m.MdigInquire(digitiser, mil::kBrightnessRef, nullptr));
        int32_t c = int32_t(m.MdigInquire(digitiser, mil::kContrastRef, nullptr));
        if (currentChannel()[kInvertion] & 1) {
            b = 255 - b;
            c = 255 - c;
        }
        return b + c * 65536;
    }
    return 0;
}

int32_t tMIL::ReadImage(const Rect& source, const Rect* destination, uint8_t* memory) {
    if (!initialised) return tFrameGrabber::ReadImage(source, destination, memory);
    if (destination) {
        errorBeep();
        return 0;
    }
    if (source.width <= 0 || source.height <= 0) return 0;
    milLib().MbufGet2d(grabBuffer, source.x, source.y, source.width, source.height, memory);
    return int32_t(source.width) * lib().transferHeight;
}

}  // namespace ovf
