#include "identify/face_match.h"

namespace identify {

bool needsFacePicture(FaceMatcher& matcher, const Probe& probe) {
    return !probe.picture.empty() && matcher.isDescriptor(probe.picture.data()) == 0;
}

int matchFace(FaceMatcher& matcher, const Probe& probe, const persons::FaceRecord& face,
              std::int32_t& score) {
    score = 0;
    if (probe.picture.empty()) return kNoFaceData;
    std::int32_t s = 0;
    int rc = 0;
    if (needsFacePicture(matcher, probe)) {
        if (!face.picture || face.width == 0 || face.height == 0) return kNoFaceData;
        rc = matcher.match(face.picture.data(), probe.picture.data(), s, face.width, face.height);
    } else {
        if (!face.descriptor || face.descriptor.size() < kProbeDescriptorSize) return kNoFaceData;
        rc = matcher.match(face.descriptor.data(), probe.picture.data(), s, probe.width,
                           probe.height);
    }
    if (rc == 0) score = s;
    return rc;
}

}  // namespace identify
