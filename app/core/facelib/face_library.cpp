#include "facelib/face_library.h"

namespace facelib {

namespace {

std::shared_mutex& libraryMutex() {
    static std::shared_mutex mutex;
    return mutex;
}

// How many Holds the calling thread has; its own calls take no lock while it has one.
thread_local int holdDepth = 0;

// The lock of one call: shared, or none inside the thread's own Hold.
class CallLock {
  public:
    CallLock() {
        if (holdDepth == 0) lock_ = std::shared_lock<std::shared_mutex>(libraryMutex());
    }

  private:
    std::shared_lock<std::shared_mutex> lock_;
};

// The library writes at most 32 characters and the terminator; the margin is cheap.
constexpr std::size_t kParamBuffer = 64;
constexpr std::size_t kVersionBuffer = 64;

}  // namespace

Hold::Hold() {
    if (holdDepth == 0) lock_ = std::unique_lock<std::shared_mutex>(libraryMutex());
    ++holdDepth;
}

Hold::~Hold() {
    if (counted_) --holdDepth;
}

Hold::Hold(Hold&& other) noexcept : lock_(std::move(other.lock_)), counted_(other.counted_) {
    other.counted_ = false;
}

Hold hold() {
    return Hold();
}

int init() {
    const CallLock lock;
    return OvfcInit();
}

int loadConfig(const std::string& path) {
    const CallLock lock;
    return OvfcLoadConfig(path.c_str());
}

int done() {
    const CallLock lock;
    return OvfcDone();
}

int service(std::int32_t code, const void* data) {
    const CallLock lock;
    return OvfcService(code, data);
}

std::string version() {
    char text[kVersionBuffer] = {};
    {
        const CallLock lock;
        if (OvfcGetVersion(text) != 0) return {};
    }
    text[kVersionBuffer - 1] = '\0';
    return text;
}

bool getParam(const char* section, const char* key, std::string& value) {
    char text[kParamBuffer] = {};
    {
        const CallLock lock;
        if (OvfcGetParam(section, key, text) != 0) return false;
    }
    text[kParamBuffer - 1] = '\0';
    value = text;
    return true;
}

int setParam(const char* section, const char* key, const char* value) {
    const CallLock lock;
    return OvfcSetParam(section, key, value);
}

int saveConfig(const char* path) {
    const CallLock lock;
    return OvfcSaveConfig(path);
}

int process(const std::uint8_t* image, std::uint16_t width, std::uint16_t height,
            std::uint8_t* descriptor) {
    std::int16_t size = 0;
    const CallLock lock;
    return OvfcProcessingEx(image, descriptor, &size, width, height);
}

int match(const std::uint8_t* image, const std::uint8_t* descriptor, std::uint16_t width,
          std::uint16_t height, std::int32_t& score) {
    const CallLock lock;
    return OvfcMatchEx(image, descriptor, &score, width, height);
}

int faceInfo(const std::uint8_t* descriptor, FaceElementInfo* records, std::uint16_t& count) {
    const CallLock lock;
    return OvfcFaceInfo(descriptor, records, 0, &count);
}

}  // namespace facelib
