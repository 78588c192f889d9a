#pragma once
// One profiler run: the probe against each face of a person in slot order.
//
// Threads: runs on the caller's thread (the window's worker) and only reads the person, which
// must not change meanwhile. The scores go to onScore, on that thread; the owner records them
// in its sheet (RegistrationSheet::recordScore, then endRun after a whole run) on its own
// thread, so nothing the window reads is written by the worker.

#include <atomic>
#include <cstdint>
#include <functional>

#include "identify/run_seams.h"
#include "persons/person_record.h"

namespace registration {

// true when every face was matched; false when stopped before the last one. A face that
// cannot be matched scores 0.
bool profileOnce(const persons::PersonRecord& person, const identify::Probe& probe,
                 identify::FaceMatcher& matcher, const std::atomic<bool>& running,
                 const std::function<void(int slot, std::int32_t score)>& onScore);

}  // namespace registration
