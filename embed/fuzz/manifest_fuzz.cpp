// The manifest reader on arbitrary bytes: no crash, no leak, no hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovem::Manifest manifest;
    ovem::parseManifest(std::string_view(reinterpret_cast<const char*>(data), size), manifest);
    return 0;
}
