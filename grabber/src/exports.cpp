// The exported functions: thin wrappers over the library's operations.

#include <cstring>
#include <string>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "ovf32.h"

namespace {

constexpr const char* kVersion = "3.00.031";

// The library-wide state exists from load on.
[[maybe_unused]] const bool kLoaded = (ovf::lib(), true);

std::string fromPascal(const unsigned char* p) {
    return p ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : std::string();
}

std::string fromC(const char* s) {
    return s ? std::string(s) : std::string();
}

void toPascal(unsigned char* out, const char* text) {
    const size_t n = std::min<size_t>(std::strlen(text), 255);
    out[0] = static_cast<unsigned char>(n);
    std::memcpy(out + 1, text, n);
}

}  // namespace

extern "C" {

int16_t OvfGetVersion(char* text) {
    if (text) std::strcpy(text, kVersion);
    return 0;
}

int16_t OvfGetVersionP(unsigned char* text) {
    if (text) toPascal(text, kVersion);
    return 0;
}

int16_t OvfGetFramegrabberName(char* text) {
    if (text) std::strcpy(text, ovf::boardName(ovf::lib().board));
    return 0;
}

int16_t OvfGetFramegrabberNameP(unsigned char* text) {
    if (text) toPascal(text, ovf::boardName(ovf::lib().board));
    return 0;
}

int16_t OvfInit(void) {
    return ovf::initLibrary();
}

int16_t OvfDone(void) {
    ovf::doneLibrary(ovf::lib());
    return 0;
}

int16_t OvfSynchronizeFramegrabber(void) {
    return ovf::synchronizeFramegrabber();
}

int16_t OvfStartCapture(int16_t channel) {
    return ovf::startCapture(channel);
}

int16_t OvfStopCapture(void) {
    return ovf::stopCapture();
}

int16_t OvfCaptureFrame(int16_t channel, void* frame, int16_t flags) {
    if (frame == nullptr) return 1;
    return ovf::captureFrame(channel, static_cast<uint8_t*>(frame), flags);
}

int16_t OvfTune(int16_t channel) {
    return ovf::tune(channel);
}

int16_t OvfSetInternalConfigFile(const char* name, int32_t search) {
    return ovf::setInternalConfigFile(fromC(name), search != 0);
}

int16_t OvfSetInternalConfigFileP(const unsigned char* name, int32_t search) {
    return ovf::setInternalConfigFile(fromPascal(name), search != 0);
}

int16_t OvfLoadConfig(const char* name) {
    return ovf::loadConfig(fromC(name));
}

int16_t OvfLoadConfigP(const unsigned char* name) {
    return ovf::loadConfig(fromPascal(name));
}

int16_t OvfSaveConfig(const char* name) {
    return ovf::saveConfig(fromC(name));
}

int16_t OvfSaveConfigP(const unsigned char* name) {
    return ovf::saveConfig(fromPascal(name));
}

int16_t OvfSetFramegrabber(int16_t board) {
    return ovf::setFramegrabber(board);
}

int16_t OvfChannelCount(void) {
    return ovf::lib().driver->descriptor->channelCount;
}

}  // extern "C"
