// The exported C functions.

#include <cstring>
#include <string>

#include "library.h"
#include "operations.h"
#include "ovvfw32.h"

using namespace vfw;

namespace {

bool initialised() {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    return lib.initialised;
}

}  // namespace

extern "C" {

int32_t OvVFWInit(void) {
    Library& lib = library();
    {
        LibraryLock lock(lib.mutex);
        if (lib.initialised) return kOk;
        lib.frame = std::make_shared<FrameBuffer>();
        lib.selected = -1;
        lib.initialised = true;
    }
    loadConfig(kConfigName);
    return kOk;
}

int32_t OvVFWDone(void) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kOk;
    closeAllPreviews();
    lib.frame.reset();
    lib.selected = -1;
    lib.format = FormatRequest{};
    lib.initialised = false;
    return kOk;
}

int32_t OvVFWGetVersion(char* text) {
    if (text == nullptr) return kFailed;
    std::strcpy(text, kVersion);
    return kOk;
}

int32_t OvVFWLoadConfig(const char* fileName) {
    if (!initialised()) return kNotInitialised;
    return loadConfig(fileName != nullptr ? fileName : "");
}

int32_t OvVFWSaveConfig(const char* fileName) {
    return saveConfig(fileName != nullptr ? fileName : "");
}

int32_t OvVFWGetDeviceName(int32_t index, char* name, char* version) {
    return getDeviceName(index, name, version);
}

int32_t OvVFWSelectFramegrabber(const char* description) {
    return selectByText(description);
}

int32_t OvVFWLiveDialog(void* owner, uint8_t* buffer, int32_t flags, const char* caption) {
    return runLiveDialog(owner, buffer, flags, caption);
}

int32_t OvVFWGetFramegrabberCaps(OvVFWCaps* caps) {
    return getCaps(caps);
}

int32_t OvVFWSyncronyzeFramegrabber(void) {
    return initialised() ? kOk : kNotInitialised;
}

int32_t OvVFWStartPreviewEx(void* window, uint16_t rateAndFlags, int32_t /*unused*/,
                            int32_t visible, OvVFWNotifyProc notify, intptr_t notifyValue) {
    return startPreview(window, rateAndFlags, visible, notify, notifyValue);
}

int32_t OvVFWStartPreview(void* window, uint16_t rateAndFlags, int32_t unused, int32_t visible) {
    return OvVFWStartPreviewEx(window, rateAndFlags, unused, visible, nullptr, 0);
}

int32_t OvVFWFreezePreview(void* window) {
    return freezePreview(window);
}

int32_t OvVFWStopPreview(void* window) {
    return stopPreview(window);
}

int32_t OvVFWCaptureFrame(void* window, uint8_t* buffer, int32_t flags) {
    return OvVFWCaptureFrameEx(window, buffer, 256, 255, flags);
}

int32_t OvVFWCaptureFrameEx(void* window, uint8_t* buffer, int32_t width, int32_t height,
                            int32_t /*flags*/) {
    return captureFrame(window, buffer, width, height);
}

int32_t OvVFWTune(void) {
    return OvVFWLiveDialog(nullptr, nullptr, 0, "Tune device");
}

}  // extern "C"
