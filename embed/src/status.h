// Internal result codes; the C interface's OvEmResult has the same values.
#ifndef OVEM_STATUS_H
#define OVEM_STATUS_H

namespace ovem {

enum class Status : int {
    kOk = 0,
    kArgument = 1,
    kNoMemory = 2,
    kMissingFile = 3,
    kTruncated = 4,
    kExcessData = 5,
    kChecksum = 6,
    kManifest = 7,
    kShape = 8,
    kValue = 9,
    kFaceBox = 10,
    kFlatFace = 11,
};

}  // namespace ovem

#endif  // OVEM_STATUS_H
