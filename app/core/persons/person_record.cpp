#include "persons/person_record.h"

#include <new>

#include "persons/record_format.h"

namespace persons {

FaceRecord* PersonRecord::addFace() {
    if (faceCount >= kMaxFaces) return nullptr;
    auto& slot = faces[faceCount];
    if (!slot) slot.reset(new (std::nothrow) FaceRecord());
    if (!slot) return nullptr;
    *slot = FaceRecord();
    faceRef[faceCount] = 0;
    ++faceCount;
    modified = 1;
    return slot.get();
}

int PersonRecord::deleteFace(int slot) {
    if (slot < 0 || slot >= faceCount) return kBadArgument;
    for (int i = slot; i + 1 < faceCount; ++i) {
        faces[i] = std::move(faces[i + 1]);
        faceRef[i] = faceRef[i + 1];
    }
    --faceCount;
    faces[faceCount].reset();
    faceRef[faceCount] = 0;
    modified = 1;
    return kOk;
}

void PersonRecord::normalise() {
    userId = format::normaliseUserId(userId);
    name = format::normaliseName(name);
}

}  // namespace persons
