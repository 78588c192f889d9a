// Frames are written through the image file library as its grey TIFF.

#include "frame_file.h"

#include <ovio32.h>

#include <string>

namespace facegen {

bool writeFrameFile(const std::string& path, const std::uint8_t* pixels, std::string& error) {
    const int status = OvWriteImage(path.c_str(), pixels, OVIO_FORMAT_TIFF);
    if (status == 0) return true;
    error = "cannot write " + path + " (image file status " + std::to_string(status) + ")";
    return false;
}

}  // namespace facegen
