// The exported file functions and their length-prefixed twins.
#include <cstring>
#include <new>

#include "fitted_read.h"
#include "ovio32.h"
#include "writers.h"

namespace {

constexpr char kVersion[] = "2.10.023";

ovio::NameArg plain(const char* name) {
    return {name, false};
}
ovio::NameArg prefixed(const uint8_t* name) {
    return {name, true};
}

// Nothing may leave the library as an exception.
template <typename F>
int16_t guarded(F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return ovio::kNoMemory;
    } catch (...) {
        return ovio::kFileError;
    }
}

// Five 32-bit words carry the ten 16-bit fields, the first of each pair in the low half.
ClipRect unpackClip(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    const int32_t words[5] = {a, b, c, d, e};
    int16_t fields[10];
    for (int i = 0; i < 5; ++i) {
        const auto w = static_cast<uint32_t>(words[i]);
        fields[2 * i] = static_cast<int16_t>(w & 0xFFFF);
        fields[2 * i + 1] = static_cast<int16_t>(w >> 16);
    }
    ClipRect r;
    static_assert(sizeof r == sizeof fields);
    std::memcpy(&r, fields, sizeof r);
    return r;
}

constexpr ClipRect kDefaultClip{};
constexpr uint32_t kStandardSize = 256u | (255u << 16);

}  // namespace

extern "C" {

int16_t OvReadClip(const char* name, void* buffer, uint16_t flags, const ClipRect* clip) {
    return guarded(
        [&] { return ovio::readClip(plain(name), buffer, flags, clip ? *clip : kDefaultClip); });
}

int16_t OvReadClipP(const uint8_t* name, void* buffer, uint16_t flags, int32_t outSize,
                    int32_t srcPos, int32_t srcSize, int32_t reserved1, int32_t reserved2) {
    return guarded([&] {
        return ovio::readClip(prefixed(name), buffer, flags,
                              unpackClip(outSize, srcPos, srcSize, reserved1, reserved2));
    });
}

int16_t OvReadImage(const char* name, void* buffer, uint16_t flags) {
    return OvReadClip(name, buffer, flags, &kDefaultClip);
}

int16_t OvReadImageP(const uint8_t* name, void* buffer, uint16_t flags) {
    return OvReadClipP(name, buffer, flags, 0, 0, 0, 0, 0);
}

int16_t OvWriteClip(const char* name, const void* buffer, uint16_t flags, const void* size) {
    return guarded([&] { return ovio::writeImage(plain(name), buffer, flags, size); });
}

int16_t OvWriteClipP(const uint8_t* name, const void* buffer, uint16_t flags, const void* size) {
    return guarded([&] { return ovio::writeImage(prefixed(name), buffer, flags, size); });
}

int16_t OvWriteImage(const char* name, const void* buffer, uint16_t flags) {
    return OvWriteClip(name, buffer, flags, &kStandardSize);
}

int16_t OvWriteImageP(const uint8_t* name, const void* buffer, uint16_t flags) {
    return OvWriteClipP(name, buffer, flags, &kStandardSize);
}

int16_t OvAppendClip(const char* name, const void* buffer, uint16_t flags, const void* size) {
    return guarded([&] { return ovio::appendImage(plain(name), buffer, flags, size); });
}

int16_t OvAppendClipP(const uint8_t* name, const void* buffer, uint16_t flags, const void* size) {
    return guarded([&] { return ovio::appendImage(prefixed(name), buffer, flags, size); });
}

int16_t OvGetImageInfo(const char* name, ImageInfo* info, uint16_t flags) {
    return guarded([&] { return ovio::imageInfo(plain(name), info, flags); });
}

int16_t OvGetImageInfoP(const uint8_t* name, ImageInfo* info, uint16_t flags) {
    return guarded([&] { return ovio::imageInfo(prefixed(name), info, flags); });
}

int16_t OvIOGetVersion(char* buffer) {
    if (buffer != nullptr) std::memcpy(buffer, kVersion, sizeof kVersion);
    return 0;
}

int16_t OvIOGetVersionP(uint8_t* buffer) {
    if (buffer != nullptr) {
        buffer[0] = static_cast<uint8_t>(sizeof kVersion - 1);
        std::memcpy(buffer + 1, kVersion, sizeof kVersion - 1);
    }
    return 0;
}

int16_t OvToolsAvail(void) {
    return ovio::compressionToolkitPresent() ? 1 : 0;
}

}  // extern "C"
