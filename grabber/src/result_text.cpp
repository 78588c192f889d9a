// The text of each result code of the exported functions.
#include "frame_grabber.h"
#include "ovf32.h"

static_assert(OVF_E_REINIT == static_cast<int>(ovf::kReinitFailed));

extern "C" OVF_API const char* OvfResultText(int code) {
    switch (code) {
        case OVF_OK:
            return "ok";
        case OVF_E_FAILED:
            return "frame grabber not ready, or the request failed";
        case OVF_E_NOT_READY:
            return "frame grabber driver could not initialize";
        case OVF_E_NO_MEMORY:
            return "not enough memory";
        case OVF_E_CLOSED:
            return "dialog closed";
        case OVF_E_DIALOG_OPEN:
            return "a dialog is open already";
        case OVF_E_REINIT:
            return "driver re-initialisation after loading failed";
        default:
            return "unknown result code";
    }
}
