// Choosing the device, and its name.

#include <cstring>

#include "library.h"
#include "operations.h"

namespace vfw {

namespace {

void copyText(char* out, const std::string& text, size_t size) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

int32_t selectByText(const char* text) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (text == nullptr) {
        lock.unlock();
        return runSelectDialog();
    }
    const auto devices = enumerateDevices();
    if (*text == '\0') {
        if (devices.empty()) return kFailed;
        lib.selected = devices.front().index;
        return kOk;
    }
    for (const auto& d : devices) {
        if (d.name == text) {
            lib.selected = d.index;
            return kOk;
        }
    }
    return kFailed;
}

int32_t getDeviceName(int32_t index, char* name, char* version) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (name == nullptr) return kFailed;
    if (index == kSelectedIndex) {
        if (lib.selected < 0) {
            name[0] = '\0';
            if (version != nullptr) version[0] = '\0';
            return kOk;
        }
        index = lib.selected;
    }
    const auto device = deviceAt(index);
    if (!device) return kFailed;
    copyText(name, device->name, kNameChars);
    if (version != nullptr) copyText(version, device->version, kVersionChars);
    return kOk;
}

}  // namespace vfw
