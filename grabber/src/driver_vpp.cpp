// MRT VideoPort Pro: present in the board list, but this library has no support for it.

#include "drivers.h"

namespace ovf {

int16_t tVPP::Init(const std::string& file, bool resetDefaults) {
    tFrameGrabber::Init(file, resetDefaults);
    initialised = false;
    return kNotSupported;
}

}  // namespace ovf
