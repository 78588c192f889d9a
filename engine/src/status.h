#pragma once
// Status codes of the face library and the configuration error.

#include <cstdint>

namespace ovfc {

enum Status : int {
    kOk = 0,
    kFlatImage = 1,  // grey stretch on a flat image
    kVersionMismatch = 1,
    kNotInitialised = 2,
    kNoMemory = 3,           // also: a fixed table is full, a blob too large
    kFileError = 25,
    kGeometry = 26,
    kBadDescriptor = 27,
    kConfigError = 28,
    kNotSupported = 29,
    kNoFace = 30,
};

// Raised where a needed configuration value is missing or unusable; the exported
// functions turn it into kConfigError. Carries no data.
class XERRORINI {};

}  // namespace ovfc
