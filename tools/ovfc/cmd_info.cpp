// ovfc info FILE: the description the image-file library gives of an image file.
#include <cstdio>

#include "command.h"
#include "ovio32.h"

namespace ovfc_tool {
namespace {

int runInfo(const Args& args) {
    if (args.size() != 1) return usageError("info");
    ImageInfo info{};
    const int16_t st = OvGetImageInfo(args[0].c_str(), &info, OVIO_FORMAT_BY_NAME);
    if (st != 0) {
        std::fprintf(stderr, "ovfc info: %s: status %d (%s)\n", args[0].c_str(), st,
                     OvIOResultText(st));
        return 1;
    }
    std::printf("file: %s\n", args[0].c_str());
    std::printf("width: %d\n", info.width);
    std::printf("height: %d\n", info.height);
    std::printf("bytes per line: %u\n", unsigned{info.bytesPerLine});
    std::printf("bits per pixel: %u\n", unsigned{info.bitsPerPixel});
    std::printf("colour order: %s\n", info.bgrOrder ? "B, G, R" : "R, G, B");
    std::printf("bottom-up: %s\n", info.bottomUp ? "yes" : "no");
    return 0;
}

const Registration reg({"info", "FILE", "describe an image file (.PIC, .TIF, .BMP)", &runInfo});

}  // namespace
}  // namespace ovfc_tool
