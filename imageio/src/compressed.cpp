// The compressed format needs a compression toolkit that this system does not have: every
// request answers 21 without touching the file.
#include "readers.h"

namespace ovio {

bool compressionToolkitPresent() {
    return false;
}

Status openCompressed(const std::string&, OpenedImage&) {
    return kNoToolkit;
}

}  // namespace ovio
