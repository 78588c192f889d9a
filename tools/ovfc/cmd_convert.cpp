// ovfc convert IN OUT [--size WxH] [--colour]: fits an image file into a frame of the
// given size (default 256x255) and writes it in the format of OUT's extension.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "ovio32.h"

namespace ovfc_tool {
namespace {

// "WxH" with both sides in 1..32767.
bool parseSize(const std::string& text, int& w, int& h) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    char* end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + x) return false;
    const long b = std::strtol(text.c_str() + x + 1, &end, 10);
    if (*end != '\0') return false;
    if (a < 1 || a > 32767 || b < 1 || b > 32767) return false;
    w = static_cast<int>(a);
    h = static_cast<int>(b);
    return true;
}

int runConvert(const Args& given) {
    std::string sizeText = "256x255";
    bool colour = false;
    OptionParser p("convert");
    p.text("size", sizeText);
    p.flag("colour", colour);
    Args args;
    if (int rc = p.parseOrUsage(given, args)) return rc;
    if (args.size() != 2) return usageError("convert");
    int w = 0, h = 0;
    if (!parseSize(sizeText, w, h)) {
        std::fprintf(stderr, "ovfc convert: bad size '%s' (expected WxH, e.g. 256x255)\n",
                     sizeText.c_str());
        return 2;
    }
    const uint16_t flags = OVIO_FORMAT_BY_NAME | (colour ? OVIO_COLOUR : 0);
    std::vector<uint8_t> frame(size_t(w) * h * (colour ? 3 : 1));
    ClipRect clip{};
    clip.outWidth = static_cast<int16_t>(w);
    clip.outHeight = static_cast<int16_t>(h);
    int16_t st = OvReadClip(args[0].c_str(), frame.data(), flags, &clip);
    if (st != 0) {
        std::fprintf(stderr, "ovfc convert: cannot read %s: status %d (%s)\n", args[0].c_str(), st,
                     OvIOResultText(st));
        return 1;
    }
    const uint32_t size = static_cast<uint32_t>(w) | (static_cast<uint32_t>(h) << 16);
    st = OvWriteClip(args[1].c_str(), frame.data(), flags, &size);
    if (st != 0) {
        std::fprintf(stderr, "ovfc convert: cannot write %s: status %d (%s)\n", args[1].c_str(), st,
                     OvIOResultText(st));
        return 1;
    }
    return 0;
}

const Registration reg({"convert", "IN OUT [--size WxH] [--colour]",
                        "fit an image into a frame (default 256x255) and write it by extension",
                        &runConvert});

}  // namespace
}  // namespace ovfc_tool
