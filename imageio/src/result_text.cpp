// The text of each result code of the file functions.
#include "ovio32.h"
#include "status.h"

static_assert(OVIO_E_FILE == ovio::kFileError && OVIO_E_NO_MEMORY == ovio::kNoMemory &&
              OVIO_E_CONTENT == ovio::kUnsupported && OVIO_E_NO_TOOLKIT == ovio::kNoToolkit &&
              OVIO_E_EXTENSION == ovio::kUnknownExtension &&
              OVIO_E_CLIP_MISMATCH == ovio::kClipMismatch);

extern "C" OVIO_API const char* OvIOResultText(int code) {
    switch (code) {
        case OVIO_OK:
            return "success";
        case OVIO_E_FILE:
            return "file cannot be opened, read or written, or format not supported here";
        case OVIO_E_NO_MEMORY:
            return "not enough memory";
        case OVIO_E_CONTENT:
            return "file content not supported";
        case OVIO_E_NO_TOOLKIT:
            return "compressed format needs the absent compression toolkit";
        case OVIO_E_EXTENSION:
            return "file-name extension not known (.PIC, .TIF, .BMP, .CMP)";
        case OVIO_E_CLIP_MISMATCH:
            return "frame does not match the clip";
        default:
            return "unknown status";
    }
}
