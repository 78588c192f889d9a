#include "platform/module.h"

#include <dlfcn.h>

#include "platform/paths.h"

namespace platform {

std::string modulePath(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    return info.dli_fname;
}

std::string moduleDirectory(const void* address) { return directoryPart(modulePath(address)); }

}  // namespace platform
