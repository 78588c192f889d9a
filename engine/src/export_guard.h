#pragma once
// Runs the body of an exported function: nothing crosses the C boundary as an exception, and
// the library-wide state is locked for the call.

#include <cstdint>
#include <mutex>
#include <new>
#include <shared_mutex>

#include "library_state.h"
#include "status.h"

namespace ovfc {

template <class Body>
std::int16_t guarded(Body&& body) noexcept {
    try {
        return static_cast<std::int16_t>(body());
    } catch (const XERRORINI&) {
        return kConfigError;
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    } catch (...) {
        return kNoMemory;
    }
}

enum class Needs { kNothing, kInitialised };

// A call that reads the configuration and the default masks: runs beside other such calls,
// and waits while the configuration changes. With Needs::kInitialised, 2 before anything
// else when the library is not initialised.
template <class Body>
std::int16_t sharedCall(Needs needs, Body&& body) noexcept {
    LibraryState& s = libraryState();
    const std::shared_lock<std::shared_mutex> lock(s.configLock);
    if (needs == Needs::kInitialised && !s.initialised) return kNotInitialised;
    return guarded(static_cast<Body&&>(body));
}

// A call that changes the configuration or the default masks: waits for the running calls
// and runs alone.
template <class Body>
std::int16_t exclusiveCall(Needs needs, Body&& body) noexcept {
    LibraryState& s = libraryState();
    const std::unique_lock<std::shared_mutex> lock(s.configLock);
    if (needs == Needs::kInitialised && !s.initialised) return kNotInitialised;
    return guarded(static_cast<Body&&>(body));
}

}  // namespace ovfc
