// Motion-JPEG frames come from devices: any bytes must decode or be refused, never crash.

#include <cstddef>
#include <cstdint>

#include "mjpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vfw::Frame frame;
    if (vfw::decodeJpeg(data, size, 640, 480, frame)) {
        if (frame.width <= 0 || frame.width > 640 || frame.height <= 0 || frame.height > 480 ||
            frame.data.size() != static_cast<size_t>(frame.width) * frame.height * 3)
            __builtin_trap();
    }
    return 0;
}
