#pragma once
// The Matrox Imaging Library bound at run time.

#include "vendor_api.h"

namespace ovf {

struct MilLibrary {
#define OVF_MIL_POINTER(name, ret, args) ret(*name) args = nullptr;
    OVF_MIL_ENTRIES(OVF_MIL_POINTER)
#undef OVF_MIL_POINTER
    void* systemDescriptor = nullptr;  // "MDMeteorCommandDecoder" of milmet
    void* handle = nullptr;
    void* meteorHandle = nullptr;

    bool loaded() const {
        return handle != nullptr;
    }
    // Loads "milmet.dll"/"libmilmet.so" and "mil.dll"/"libmil.so" once; false unless every
    // entry point resolves (both are released then).
    bool load();
    void release();
};

}  // namespace ovf
