// The text of each result code.
#include "ovem32.h"
#include "status.h"

static_assert(OVEM_E_ARGUMENT == static_cast<int>(ovem::Status::kArgument) &&
              OVEM_E_NO_MEMORY == static_cast<int>(ovem::Status::kNoMemory) &&
              OVEM_E_MISSING_FILE == static_cast<int>(ovem::Status::kMissingFile) &&
              OVEM_E_TRUNCATED == static_cast<int>(ovem::Status::kTruncated) &&
              OVEM_E_EXCESS_DATA == static_cast<int>(ovem::Status::kExcessData) &&
              OVEM_E_CHECKSUM == static_cast<int>(ovem::Status::kChecksum) &&
              OVEM_E_MANIFEST == static_cast<int>(ovem::Status::kManifest) &&
              OVEM_E_SHAPE == static_cast<int>(ovem::Status::kShape) &&
              OVEM_E_VALUE == static_cast<int>(ovem::Status::kValue) &&
              OVEM_E_FACE_BOX == static_cast<int>(ovem::Status::kFaceBox) &&
              OVEM_E_FLAT_FACE == static_cast<int>(ovem::Status::kFlatFace));

extern "C" OVEM_API const char* OvEmResultText(int code) {
    switch (code) {
        case OVEM_OK:
            return "success";
        case OVEM_E_ARGUMENT:
            return "invalid argument";
        case OVEM_E_NO_MEMORY:
            return "not enough memory";
        case OVEM_E_MISSING_FILE:
            return "model file cannot be opened or read";
        case OVEM_E_TRUNCATED:
            return "weight file is shorter than its manifest says (truncated)";
        case OVEM_E_EXCESS_DATA:
            return "weight file is longer than its manifest says";
        case OVEM_E_CHECKSUM:
            return "model file does not match its SHA-256 sum";
        case OVEM_E_MANIFEST:
            return "weights manifest is malformed";
        case OVEM_E_SHAPE:
            return "model tensors do not match the network";
        case OVEM_E_VALUE:
            return "model holds a weight that is not a finite number";
        case OVEM_E_FACE_BOX:
            return "face box is too small, too large or outside the frame";
        case OVEM_E_FLAT_FACE:
            return "face box holds a single grey level";
        default:
            return "unknown status";
    }
}
