#pragma once
// The annotated photographs for the tests that compare fast paths with plain loops on real
// faces (folder yale/ of faces_dir.h's place).

#include <filesystem>
#include <string>

#include "faces_dir.h"
#include "filters_test_util.h"
#include "ovio32.h"

namespace ovfc::test {

// The named 256 x 255 photograph; no pixels when it cannot be read.
inline Image photograph(const std::string& name) {
    Image im(256, 255);
    const std::string path = (photoDir() / name).string();
    if (OvReadImage(path.c_str(), im.pixels.data(), OVIO_FORMAT_BY_NAME) != 0) im.pixels.clear();
    return im;
}

}  // namespace ovfc::test
