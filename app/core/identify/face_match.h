#pragma once
// One comparison of the probe with a stored face, as both runs make it: the face library
// compares one picture with one descriptor, so it is asked whether the probe is a
// descriptor; then the face's picture is matched with it (at the face's size), otherwise the
// face's descriptor with the probe's picture (at the probe's size).

#include <cstdint>

#include "identify/run_seams.h"
#include "persons/face_record.h"

namespace identify {

// Whether the match needs the face's picture (the probe is a descriptor).
bool needsFacePicture(FaceMatcher& matcher, const Probe& probe);

// The score (0 unless the call succeeds) of the probe against the face. The face
// library's code, or kNoFaceData when the face lacks the picture or descriptor needed
// (the call is then not made). Thread-safe as far as matcher is.
inline constexpr int kNoFaceData = -2;
int matchFace(FaceMatcher& matcher, const Probe& probe, const persons::FaceRecord& face,
              std::int32_t& score);

}  // namespace identify
