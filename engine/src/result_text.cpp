// The text of each result code of the C interface.
#include "ovfc32.h"
#include "status.h"

namespace {
// The public codes are the engine's own.
constexpr bool same(OvfcResult a, ovfc::Status b) {
    return static_cast<int>(a) == static_cast<int>(b);
}
static_assert(same(OVFC_E_FLAT_IMAGE, ovfc::kFlatImage) &&
              same(OVFC_E_VERSION, ovfc::kVersionMismatch) &&
              same(OVFC_E_NOT_INITIALISED, ovfc::kNotInitialised) &&
              same(OVFC_E_NO_MEMORY, ovfc::kNoMemory) && same(OVFC_E_FILE, ovfc::kFileError) &&
              same(OVFC_E_GEOMETRY, ovfc::kGeometry) &&
              same(OVFC_E_DESCRIPTOR, ovfc::kBadDescriptor) &&
              same(OVFC_E_CONFIG, ovfc::kConfigError) &&
              same(OVFC_E_NOT_SUPPORTED, ovfc::kNotSupported) &&
              same(OVFC_E_NO_FACE, ovfc::kNoFace));
}  // namespace

extern "C" OVFC_API const char* OvfcResultText(int code) {
    switch (code) {
        case OVFC_OK:
            return "ok";
        case OVFC_E_FLAT_IMAGE:
            return "flat image or version mismatch";
        case OVFC_E_NOT_INITIALISED:
            return "not initialised";
        case OVFC_E_NO_MEMORY:
            return "out of memory";
        case OVFC_E_FILE:
            return "file error";
        case OVFC_E_GEOMETRY:
            return "geometry failure";
        case OVFC_E_DESCRIPTOR:
            return "bad descriptor or missing mask";
        case OVFC_E_CONFIG:
            return "configuration error";
        case OVFC_E_NOT_SUPPORTED:
            return "not supported";
        case OVFC_E_NO_FACE:
            return "no face";
        default:
            return "unknown result code";
    }
}
