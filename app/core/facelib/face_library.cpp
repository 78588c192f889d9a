#include "facelib/face_library.h"

namespace facelib {

namespace {

std::recursive_mutex& libraryMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

// The library writes at most 32 characters and the terminator; the margin is cheap.
constexpr std::size_t kParamBuffer = 64;
constexpr std::size_t kVersionBuffer = 64;

}  // namespace

std::unique_lock<std::recursive_mutex> hold() {
    return std::unique_lock<std::recursive_mutex>(libraryMutex());
}

int init() {
    const auto lock = hold();
    return OvfcInit();
}

int loadConfig(const std::string& path) {
    const auto lock = hold();
    return OvfcLoadConfig(path.c_str());
}

int done() {
    const auto lock = hold();
    return OvfcDone();
}

int service(std::int32_t code, const void* data) {
    const auto lock = hold();
    return OvfcService(code, data);
}

std::string version() {
    char text[kVersionBuffer] = {};
    {
        const auto lock = hold();
        if (OvfcGetVersion(text) != 0) return {};
    }
    text[kVersionBuffer - 1] = '\0';
    return text;
}

bool getParam(const char* section, const char* key, std::string& value) {
    char text[kParamBuffer] = {};
    {
        const auto lock = hold();
        if (OvfcGetParam(section, key, text) != 0) return false;
    }
    text[kParamBuffer - 1] = '\0';
    value = text;
    return true;
}

int setParam(const char* section, const char* key, const char* value) {
    const auto lock = hold();
    return OvfcSetParam(section, key, value);
}

int saveConfig(const char* path) {
    const auto lock = hold();
    return OvfcSaveConfig(path);
}

int process(const std::uint8_t* image, std::uint16_t width, std::uint16_t height,
            std::uint8_t* descriptor) {
    std::int16_t size = 0;
    const auto lock = hold();
    return OvfcProcessingEx(image, descriptor, &size, width, height);
}

int match(const std::uint8_t* image, const std::uint8_t* descriptor, std::uint16_t width,
          std::uint16_t height, std::int32_t& score) {
    const auto lock = hold();
    return OvfcMatchEx(image, descriptor, &score, width, height);
}

int faceInfo(const std::uint8_t* descriptor, FaceElementInfo* records, std::uint16_t& count) {
    const auto lock = hold();
    return OvfcFaceInfo(descriptor, records, 0, &count);
}

}  // namespace facelib
