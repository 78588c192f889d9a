// Stand-in Matrox Imaging Library: one RS-170 digitiser of 640 x 480 showing a synthetic
// scene per channel. Setting OVF_STANDIN_MIL_FAIL to an allocation's name (for example
// "MdigAlloc") makes that allocation fail.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "synthetic_frames.h"
#include "vendor_api.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Buffer {
    int64_t width = 0, height = 0;
    std::vector<uint8_t> data;
};

struct Digitiser {
    int64_t channel = 0x20000000;
    int64_t brightness = 128, contrast = 128;
    int64_t offsetX = 0, offsetY = 0, sizeX = 640, sizeY = 480;
    double scaleX = 1, scaleY = 1;
    MIL_HOOK hook = nullptr;
    void* hookUser = nullptr;
};

MIL_ID nextId = 100;
std::map<MIL_ID, Buffer> buffers;
std::map<MIL_ID, Digitiser> digitisers;

bool failing(const char* name) {
    const char* f = std::getenv("OVF_STANDIN_MIL_FAIL");
    return f != nullptr && std::strcmp(f, name) == 0;
}

MIL_ID allocate(const char* name, MIL_ID* out) {
    const MIL_ID id = failing(name) ? 0 : nextId++;
    if (out) *out = id;
    return id;
}

int channelIndex(int64_t code) {
    const int64_t codes[4] = {0x20000000, 0x40000000, 0x80000000, 0x01000000};
    for (int i = 0; i < 4; ++i)
        if (codes[i] == code) return i;
    return 0;
}

}  // namespace

EXPORT MIL_ID MappAlloc(int64_t, MIL_ID* app) {
    return allocate("MappAlloc", app);
}
EXPORT void MappFree(MIL_ID) {}
EXPORT void MappControl(int64_t, int64_t) {}
EXPORT MIL_ID MsysAlloc(void* descriptor, int64_t, int64_t, MIL_ID* sys) {
    if (descriptor == nullptr) {
        if (sys) *sys = 0;
        return 0;
    }
    return allocate("MsysAlloc", sys);
}
EXPORT void MsysFree(MIL_ID) {}
EXPORT int64_t MsysInquire(MIL_ID, int64_t type, void*) {
    if (type == 2004) return failing("MsysInquire") ? -1 : 1;
    return 0;
}
EXPORT MIL_ID MdispAlloc(MIL_ID, int64_t, const char*, int64_t, MIL_ID* disp) {
    return allocate("MdispAlloc", disp);
}
EXPORT void MdispFree(MIL_ID) {}
EXPORT void MdispSelect(MIL_ID, MIL_ID) {}
EXPORT void MdispSelectWindow(MIL_ID, MIL_ID, void*) {}
EXPORT void MdispDeselect(MIL_ID, MIL_ID) {}
EXPORT int64_t MdispInquire(MIL_ID, int64_t, void*) {
    return 0;
}
EXPORT void MdispZoom(MIL_ID, int64_t, int64_t) {}
EXPORT void MdispControl(MIL_ID, int64_t, double) {}

EXPORT MIL_ID MdigAlloc(MIL_ID, int64_t, const char* format, int64_t, MIL_ID* dig) {
    if (format == nullptr || std::strcmp(format, "M_RS170") != 0) {
        if (dig) *dig = 0;
        return 0;
    }
    const MIL_ID id = allocate("MdigAlloc", dig);
    if (id) digitisers[id] = Digitiser{};
    return id;
}
EXPORT void MdigFree(MIL_ID dig) {
    digitisers.erase(dig);
}
EXPORT void MdigChannel(MIL_ID dig, int64_t channel) {
    digitisers[dig].channel = channel;
}
EXPORT void MdigReference(MIL_ID dig, int64_t type, int64_t value) {
    if (type == 4008) digitisers[dig].brightness = value;
    if (type == 4009) digitisers[dig].contrast = value;
}
EXPORT void MdigLut(MIL_ID, MIL_ID) {}
EXPORT void MdigHalt(MIL_ID) {}
EXPORT int64_t MdigInquire(MIL_ID dig, int64_t type, void*) {
    const Digitiser& d = digitisers[dig];
    switch (type) {
        case 1002:
            return standin::kMilSceneWidth;
        case 1003:
            return standin::kMilSceneHeight;
        case 4000:
            return d.channel;
        case 4008:
            return d.brightness;
        case 4009:
            return d.contrast;
        default:
            return 0;
    }
}
EXPORT void MdigControl(MIL_ID dig, int64_t type, double value) {
    Digitiser& d = digitisers[dig];
    switch (type) {
        case 4011:
            d.scaleX = value;
            break;
        case 4012:
            d.scaleY = value;
            break;
        case 4022:
            d.sizeX = int64_t(value);
            break;
        case 4023:
            d.sizeY = int64_t(value);
            break;
        case 4024:
            d.offsetX = int64_t(value);
            break;
        case 4025:
            d.offsetY = int64_t(value);
            break;
        default:
            break;
    }
}
EXPORT void MdigGrabWait(MIL_ID, int64_t) {}
EXPORT void MdigGrab(MIL_ID dig, MIL_ID buf) {
    auto it = buffers.find(buf);
    if (it == buffers.end()) return;
    const Digitiser& d = digitisers[dig];
    Buffer& b = it->second;
    const int ch = channelIndex(d.channel);
    for (int64_t y = 0; y < b.height; ++y)
        for (int64_t x = 0; x < b.width; ++x) {
            const int64_t sx = int64_t(x / d.scaleX), sy = int64_t(y / d.scaleY);
            uint8_t v = 0;
            if (sx < d.sizeX && sy < d.sizeY)
                v = standin::milAdjust(
                    standin::milScene(ch, int(d.offsetX + sx), int(d.offsetY + sy)),
                    int(d.brightness), int(d.contrast));
            b.data[size_t(y * b.width + x)] = v;
        }
    if (d.hook) d.hook(5, dig, d.hookUser);
}
EXPORT void MdigGrabContinuous(MIL_ID dig, MIL_ID buf) {
    MdigGrab(dig, buf);
}
EXPORT void MdigHookFunction(MIL_ID dig, int64_t, MIL_HOOK fn, void* user, MIL_HOOK* previous,
                             void** previousUser) {
    Digitiser& d = digitisers[dig];
    if (previous) *previous = d.hook;
    if (previousUser) *previousUser = d.hookUser;
    d.hook = fn;
    d.hookUser = user;
}

EXPORT MIL_ID MbufAlloc2d(MIL_ID, int64_t sx, int64_t sy, int64_t type, int64_t, MIL_ID* buf) {
    if (sx <= 0 || sy <= 0 || type != 8 || sx * sy > (int64_t(1) << 26)) {
        if (buf) *buf = 0;
        return 0;
    }
    const MIL_ID id = allocate("MbufAlloc2d", buf);
    if (id) buffers[id] = Buffer{sx, sy, std::vector<uint8_t>(size_t(sx * sy), 0)};
    return id;
}
EXPORT void MbufFree(MIL_ID buf) {
    buffers.erase(buf);
}
EXPORT void MbufClear(MIL_ID buf, double value) {
    auto it = buffers.find(buf);
    if (it != buffers.end())
        std::memset(it->second.data.data(), int(value), it->second.data.size());
}
EXPORT void MbufGet2d(MIL_ID buf, int64_t x, int64_t y, int64_t w, int64_t h, void* dst) {
    auto it = buffers.find(buf);
    auto* out = static_cast<uint8_t*>(dst);
    for (int64_t r = 0; r < h; ++r)
        for (int64_t c = 0; c < w; ++c) {
            uint8_t v = 0;
            if (it != buffers.end() && x + c >= 0 && y + r >= 0 && x + c < it->second.width &&
                y + r < it->second.height)
                v = it->second.data[size_t((y + r) * it->second.width + x + c)];
            out[size_t(r * w + c)] = v;
        }
}
EXPORT void MbufPutLine(MIL_ID, int64_t, int64_t, int64_t, int64_t, void*) {}
EXPORT void MbufCopy(MIL_ID src, MIL_ID dst) {
    auto a = buffers.find(src), b = buffers.find(dst);
    if (a != buffers.end() && b != buffers.end() && a->second.data.size() == b->second.data.size())
        b->second.data = a->second.data;
}
EXPORT void MbufCopyClip(MIL_ID src, MIL_ID dst, int64_t, int64_t) {
    MbufCopy(src, dst);
}
EXPORT int64_t MbufInquire(MIL_ID buf, int64_t type, void*) {
    auto it = buffers.find(buf);
    if (it == buffers.end()) return 0;
    if (type == 3) return int64_t(intptr_t(it->second.data.data()));
    return 0;
}
