#pragma once
// The FlashPoint library bound at run time, and the driver's library-wide state.

#include <cstdint>

#include "vendor_api.h"

namespace ovf {

struct FpvLibrary {
#define OVF_FPV_POINTER(name, ret, args) ret(*name) args = nullptr;
    OVF_FPV_ENTRIES(OVF_FPV_POINTER)
#undef OVF_FPV_POINTER
    void* handle = nullptr;

    bool loaded() const {
        return handle != nullptr;
    }
    // Loads "FPV32.DLL" or "libfpv32.so" once; false unless every entry point resolves.
    bool load();
    void release();
};

struct FpvState {
    int32_t input = -1, type = -1, standard = -1;
    int16_t offscreenWidth = 0, offscreenHeight = 0;
    bool offscreen = false;
    uint32_t startMs = 0;
    int16_t window[3] = {-1, -1, -1};  // XMin, YMin, WH last programmed
};

}  // namespace ovf
