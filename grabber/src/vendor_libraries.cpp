#include <dlfcn.h>

#include "vendor_fpv.h"
#include "vendor_mil.h"

namespace ovf {

namespace {

void* openByNames(const char* windowsName, const char* linuxName) {
    void* h = ::dlopen(windowsName, RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) h = ::dlopen(linuxName, RTLD_NOW | RTLD_LOCAL);
    return h;
}

template <class F>
bool resolve(void* handle, const char* name, F& target) {
    void* p = ::dlsym(handle, name);
    target = reinterpret_cast<F>(p);
    return p != nullptr;
}

}  // namespace

bool FpvLibrary::load() {
    if (handle) return true;
    void* h = openByNames("FPV32.DLL", "libfpv32.so");
    if (h == nullptr) return false;
    bool ok = true;
#define OVF_FPV_RESOLVE(name, ret, args) ok = resolve(h, #name, name) && ok;
    OVF_FPV_ENTRIES(OVF_FPV_RESOLVE)
#undef OVF_FPV_RESOLVE
    handle = h;
    if (!ok) release();
    return ok;
}

void FpvLibrary::release() {
    if (handle) ::dlclose(handle);
    *this = FpvLibrary{};
}

bool MilLibrary::load() {
    if (handle) return true;
    void* met = openByNames("milmet.dll", "libmilmet.so");
    void* h = openByNames("mil.dll", "libmil.so");
    handle = h;
    meteorHandle = met;
    bool ok = met != nullptr && h != nullptr;
    if (ok) {
        systemDescriptor = ::dlsym(met, "MDMeteorCommandDecoder");
        ok = systemDescriptor != nullptr;
#define OVF_MIL_RESOLVE(name, ret, args) ok = resolve(h, #name, name) && ok;
        OVF_MIL_ENTRIES(OVF_MIL_RESOLVE)
#undef OVF_MIL_RESOLVE
    }
    if (!ok) release();
    return ok;
}

void MilLibrary::release() {
    if (handle) ::dlclose(handle);
    if (meteorHandle) ::dlclose(meteorHandle);
    *this = MilLibrary{};
}

}  // namespace ovf
