#pragma once
// One profiler run: the probe against each face of the sheet in slot order, each score
// recorded in the face's statistics.
//
// Threads: runs on the caller's thread (the window's worker); the sheet must not be
// changed meanwhile. onFace is called after each face with the faces done so far.

#include <atomic>
#include <functional>

#include "identify/run_seams.h"
#include "registration/sheet.h"

namespace registration {

// false when stopped before the last face (the run counter then stays); a face that cannot
// be matched scores 0.
bool profileOnce(RegistrationSheet& sheet, const identify::Probe& probe,
                 identify::FaceMatcher& matcher, const std::atomic<bool>& running,
                 const std::function<void(int facesDone)>& onFace);

}  // namespace registration
