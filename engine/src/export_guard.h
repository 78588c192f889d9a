#pragma once
// Runs the body of an exported function: nothing crosses the C boundary as an exception.

#include <cstdint>
#include <new>

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

// As guarded, for functions that need the configuration: 2 before anything else when the
// library is not initialised.
template <class Body>
std::int16_t guardedInitialised(Body&& body) noexcept {
    if (!libraryState().initialised) return kNotInitialised;
    return guarded(static_cast<Body&&>(body));
}

}  // namespace ovfc
