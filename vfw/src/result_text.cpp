// The text of each result code of the exported functions.
#include "operations.h"
#include "ovvfw32.h"

static_assert(OVVFW_E_FAILED == vfw::kFailed && OVVFW_E_NOT_INITIALISED == vfw::kNotInitialised &&
              OVVFW_E_CANCELLED == vfw::kCancelled && OVVFW_E_CONFIG_FILE == vfw::kConfigFile);

extern "C" OVVFW_API const char* OvVFWResultText(int code) {
    switch (code) {
        case OVVFW_OK:
            return "ok";
        case OVVFW_E_FAILED:
            return "no such device or no frame, or the request failed";
        case OVVFW_E_NOT_INITIALISED:
            return "video capture library not initialised";
        case OVVFW_E_CANCELLED:
            return "dialog cancelled";
        case OVVFW_E_CONFIG_FILE:
            return "configuration file cannot be read or written";
        default:
            return "unknown result code";
    }
}
