#pragma once
// Texts for the status codes of the image-file library, for the image subcommands.

namespace ovfc_tool {

inline const char* imageStatusText(int status) {
    switch (status) {
        case 0:
            return "success";
        case 1:
            return "file cannot be opened, read or written, or format not supported here";
        case 3:
            return "not enough memory";
        case 20:
            return "file content not supported";
        case 21:
            return "compressed format needs the absent compression toolkit";
        case 22:
            return "file-name extension not known (.PIC, .TIF, .BMP, .CMP)";
        case 23:
            return "frame does not match the clip";
        default:
            return "unknown status";
    }
}

}  // namespace ovfc_tool
