// ovfc capture [--device N] OUT: one grey 256 x 255 frame from a capture device into an
// image file (format by extension: .PIC, .TIF, .BMP).

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "ovio32.h"
#include "ovvfw32.h"

namespace {

using namespace ovfc_tool;

// Ends the capture library on every path.
struct CaptureSession {
    CaptureSession() { OvVFWInit(); }
    ~CaptureSession() { OvVFWDone(); }
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;
};

int runCapture(const Args& input) {
    long index = -1;
    OptionParser p("capture");
    p.integer("device", index, 0, 8);
    Args args;
    if (int rc = p.parseOrUsage(input, args)) return rc;
    if (args.size() != 1) return usageError("capture");
    const bool haveDevice = p.given("device");

    CaptureSession session;
    char name[80] = "";
    if (haveDevice) {
        if (OvVFWGetDeviceName(static_cast<int32_t>(index), name, nullptr) != 0) {
            std::fprintf(stderr, "ovfc capture: no capture device %ld\n", index);
            return 1;
        }
        if (OvVFWSelectFramegrabber(name) != 0) {
            std::fprintf(stderr, "ovfc capture: cannot select '%s'\n", name);
            return 1;
        }
    } else if (OvVFWGetDeviceName(11, name, nullptr) != 0 || name[0] == '\0') {
        std::fprintf(stderr, "ovfc capture: no capture device\n");
        return 1;
    }
    std::vector<uint8_t> frame(256 * 255);
    if (OvVFWCaptureFrame(nullptr, frame.data(), 0) != 0) {
        std::fprintf(stderr, "ovfc capture: '%s' gave no frame\n", name);
        return 1;
    }
    const int16_t status = OvWriteImage(args[0].c_str(), frame.data(), OVIO_FORMAT_BY_NAME);
    if (status != 0) {
        std::fprintf(stderr, "ovfc capture: cannot write %s (status %d)\n", args[0].c_str(),
                     status);
        return 1;
    }
    std::printf("%s: 256 x 255 frame from '%s'\n", args[0].c_str(), name);
    return 0;
}

const Registration reg({"capture", "[--device N] OUT",
                        "grab one grey 256 x 255 frame from a capture device into an image file",
                        &runCapture});

}  // namespace
