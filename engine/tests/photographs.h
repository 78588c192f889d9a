#pragma once
// The annotated photographs for the tests that compare fast paths with plain loops on real
// faces: OVFC_FACES_DIR, else ../shared/faces beside the sources (folder yale/).

#include <cstdlib>
#include <filesystem>
#include <string>

#include "filters_test_util.h"
#include "ovio32.h"

namespace ovfc::test {

inline std::filesystem::path photoDir() {
    const char* env = std::getenv("OVFC_FACES_DIR");
    const std::filesystem::path base =
        env != nullptr && *env != '\0'
            ? std::filesystem::path(env)
            : std::filesystem::path(OVFC_SOURCE_DIR) / ".." / "shared" / "faces";
    return base / "yale";
}

// The named 256 x 255 photograph; no pixels when it cannot be read.
inline Image photograph(const std::string& name) {
    Image im(256, 255);
    const std::string path = (photoDir() / name).string();
    if (OvReadImage(path.c_str(), im.pixels.data(), OVIO_FORMAT_BY_NAME) != 0) im.pixels.clear();
    return im;
}

}  // namespace ovfc::test
