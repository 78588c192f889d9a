// ovfc grab --board N --channel C [--flags F] [--config FILE] OUT: captures one frame through
// the frame-grabber library and writes it as an image file chosen by OUT's extension.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "ovf32.h"
#include "ovio32.h"

namespace ovfc_tool {
namespace {

int fail(const char* what, int status) {
    std::fprintf(stderr, "ovfc grab: %s (status %d)\n", what, status);
    OvfDone();
    return 1;
}

int runGrab(const Args& given) {
    std::string config;
    long board = 0, channel = 0, flags = 0;
    OptionParser p("grab");
    p.integer("board", board, 0, 5, true).required();
    p.integer("channel", channel, 0, 0x3FF, true).required();
    p.integer("flags", flags, 0, 0x1E, true);
    p.text("config", config);
    Args args;
    if (int rc = p.parseOrUsage(given, args)) return rc;
    if (args.size() != 1) return usageError("grab");

    if (!config.empty() && OvfSetInternalConfigFile(config.c_str(), 0) != 0)
        return fail("configuration file name too long", 1);
    OvfInit();
    if (int16_t st = OvfSetFramegrabber(int16_t(board)); st != 0)
        return fail("board could not be selected", st);
    char name[128] = "";
    OvfGetFramegrabberName(name);
    if (int16_t st = OvfStartCapture(int16_t(channel)); st != 0) {
        std::fprintf(stderr, "ovfc grab: %s did not initialise\n", name);
        return fail("no capture", st);
    }
    const int w = (flags & 0x02) ? 512 : 256, h = (flags & 0x02) ? 512 : 255;
    const bool colour = flags & 0x08;
    std::vector<uint8_t> frame(size_t(w) * size_t(h) * (colour ? 3 : 1));
    const int16_t st = OvfCaptureFrame(int16_t(channel), frame.data(), int16_t(flags));
    OvfStopCapture();
    OvfDone();
    if (st != 0) {
        std::fprintf(stderr, "ovfc grab: capture from %s failed (status %d)\n", name, st);
        return 1;
    }
    const uint32_t size = uint32_t(w) | (uint32_t(h) << 16);
    const uint16_t ioFlags = OVIO_FORMAT_BY_NAME | (colour ? OVIO_COLOUR : 0);
    if (int16_t ws = OvWriteClip(args[0].c_str(), frame.data(), ioFlags, &size); ws != 0) {
        std::fprintf(stderr, "ovfc grab: cannot write %s: status %d (%s)\n", args[0].c_str(), ws,
                     OvIOResultText(ws));
        return 1;
    }
    std::printf("%s: %dx%d %s frame from %s\n", args[0].c_str(), w, h, colour ? "colour" : "grey",
                name);
    return 0;
}

const Registration reg({"grab", "--board N --channel C [--flags F] [--config FILE] OUT",
                        "capture one frame from a frame-grabber board into an image file",
                        &runGrab});

}  // namespace
}  // namespace ovfc_tool
