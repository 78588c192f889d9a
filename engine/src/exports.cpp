// The exported functions: argument checks, the initialisation rule, the lock and the error
// guard around the library's calls.
#include <algorithm>
#include <cstring>

#include "caller_match.h"
#include "config_store.h"
#include "descriptor_blob.h"
#include "export_guard.h"
#include "face_calls.h"
#include "load_config.h"
#include "ovfc32.h"

using namespace ovfc;

namespace {
constexpr std::uint16_t kFrameWidth = 256;
constexpr std::uint16_t kFrameHeight = 255;
}  // namespace

extern "C" {

OVFC_API int16_t OvfcInit(void) {
    return OvfcLoadConfig("ovfc.ini");
}

OVFC_API int16_t OvfcLoadConfig(const char* path) {
    return exclusiveCall(Needs::kNothing,
                         [&]() -> int { return loadConfiguration(libraryState(), path); });
}

OVFC_API int16_t OvfcDone(void) {
    return exclusiveCall(Needs::kInitialised, [&]() -> int {
        LibraryState& s = libraryState();
        s.probeCache.clear();
        s.defaultMasks.clear();
        s.config.clear();
        s.pool.releaseAll();
        s.workspaces.releaseAll();
        s.regions.clear();
        s.initialised = false;
        return kOk;
    });
}

OVFC_API int16_t OvfcGetVersion(char* buffer) {
    if (buffer == nullptr) return kNotSupported;
    std::memcpy(buffer, OVFC_VERSION_TEXT, sizeof OVFC_VERSION_TEXT);
    return kOk;
}

OVFC_API int16_t OvfcSaveConfig(const char* path) {
    return sharedCall(Needs::kInitialised,
                      [&]() -> int { return libraryState().config.save(savePath(path)); });
}

OVFC_API int16_t OvfcGetParam(const char* section, const char* key, char* value) {
    return sharedCall(Needs::kInitialised, [&]() -> int {
        if (section == nullptr || key == nullptr) return kConfigError;
        if (value == nullptr) return kNotSupported;
        const std::string* v = libraryState().config.find(section, key);
        if (v == nullptr) return kConfigError;
        const std::size_t n = std::min(v->size(), ConfigStore::kMaxValue);
        std::memcpy(value, v->data(), n);
        value[n] = '\0';
        return kOk;
    });
}

OVFC_API int16_t OvfcSetParam(const char* section, const char* key, const char* value) {
    return exclusiveCall(Needs::kInitialised, [&]() -> int {
        if (section == nullptr || key == nullptr || value == nullptr) return kNotSupported;
        // The store would cut a long value; refused here so that nothing is lost unnoticed.
        if (ConfigStore::valueFault(value) != ValueFault::kNone) return kConfigError;
        return libraryState().config.set(section, key, value);
    });
}

OVFC_API int16_t OvfcProcessing(const uint8_t* image, uint8_t* descriptor, int16_t* size) {
    return OvfcProcessingEx(image, descriptor, size, kFrameWidth, kFrameHeight);
}

OVFC_API int16_t OvfcProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                  uint16_t width, uint16_t height) {
    return OvfcLiveProcessingEx(image, descriptor, size, width, height, nullptr, nullptr);
}

OVFC_API int16_t OvfcLiveProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                      uint16_t width, uint16_t height, const uint8_t* reference,
                                      uint8_t* difference) {
    return sharedCall(Needs::kInitialised, [&]() -> int {
        if (image == nullptr || descriptor == nullptr || size == nullptr) return kNotSupported;
        LibraryState& s = libraryState();
        const Workspaces::Lease lease = s.workspaces.lease();
        return createDescriptor(s, lease.pool(), image, width, height, reference, difference,
                                descriptor, size);
    });
}

OVFC_API int16_t OvfcMatch(const uint8_t* first, const uint8_t* second, int32_t* score) {
    return OvfcMatchEx(first, second, score, kFrameWidth, kFrameHeight);
}

OVFC_API int16_t OvfcMatchEx(const uint8_t* first, const uint8_t* second, int32_t* score,
                             uint16_t width, uint16_t height) {
    return sharedCall(Needs::kInitialised, [&]() -> int {
        if (first == nullptr || second == nullptr || score == nullptr) return kNotSupported;
        LibraryState& s = libraryState();
        const Workspaces::Lease lease = s.workspaces.lease();
        return matchCallerItems(s, lease.pool(), &lease.regions(), first, second, score, width,
                                height);
    });
}

OVFC_API int16_t OvfcFaceInfo(const uint8_t* descriptor, FaceElementInfo* elements, uint16_t first,
                              uint16_t* count) {
    return sharedCall(Needs::kNothing, [&]() -> int {
        if (count == nullptr) return kNotSupported;
        LibraryState& s = libraryState();
        const Workspaces::Lease lease = s.workspaces.lease();
        return faceInfo(s, lease.pool(), descriptor, elements, first, count);
    });
}

OVFC_API int16_t OvfcService(int32_t code, const void* data) {
    return sharedCall(Needs::kNothing, [&]() -> int {
        switch (code) {
            case 1:
                return (data != nullptr && isDescriptor(data)) ? kOk : kBadDescriptor;
            case 2: {
                const std::string* v = libraryState().config.find("library", "version");
                return (v != nullptr && equalNoCase(*v, OVFC_VERSION_TEXT)) ? kOk
                                                                            : kVersionMismatch;
            }
            default:
                return kNotSupported;
        }
    });
}

}  // extern "C"
