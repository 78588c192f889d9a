// ovfc process IMAGE [-o DESC] [--eyes XL YL XR YR] [--config FILE]: the face library's
// descriptor of an image, with the located elements.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command.h"
#include "face_items.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

bool parseInt(const std::string& s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < -100000 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

// Removes "--eyes XL YL XR YR"; false on a malformed one.
bool takeEyes(Args& args, ovfc::ProcessOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--eyes") continue;
        if (i + 4 >= args.size()) return false;
        if (!parseInt(args[i + 1], o.xl) || !parseInt(args[i + 2], o.yl) ||
            !parseInt(args[i + 3], o.xr) || !parseInt(args[i + 4], o.yr))
            return false;
        o.haveEyes = true;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + 5));
        return true;
    }
    return true;
}

int run(const Args& in) {
    Args args = in;
    std::string out, config = "ovfc.ini";
    ovfc::ProcessOptions options;
    if (!takeEyes(args, options)) return usageError("process");
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-o") {
            out = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            break;
        }
    takeOption(args, "out", out);
    takeOption(args, "config", config);
    if (args.size() != 1) return usageError("process");

    ovfc::LibraryState state;
    if (!loadFaceLibrary(state, config, "process")) return 1;
    FaceItem image;
    if (!readFaceItem(args[0], image, "process")) return 1;
    if (image.descriptor) {
        std::fprintf(stderr, "ovfc process: %s is a descriptor, not an image\n", args[0].c_str());
        return 1;
    }
    std::vector<std::uint8_t> blob(ovfc::kMaxBlobSize, 0);
    std::int16_t size = 0;
    int rc = ovfc::kConfigError;
    try {
        // Given eyes skip the face and eye search unless the configuration asks for another
        // manual mode.
        if (options.haveEyes && state.config.readInt("param", "r_manual") == 0)
            state.config.set("param", "r_manual", "2");
        rc = ovfc::createDescriptor(state, image.bytes.data(), kFrameWidth, kFrameHeight, nullptr,
                                    nullptr, blob.data(), &size, &options);
    } catch (const ovfc::XERRORINI&) {
        rc = ovfc::kConfigError;
    }
    std::printf("status: %s\n", faceStatusText(rc).c_str());
    if (rc != ovfc::kOk) return 1;

    FaceElementInfo info[ovfc::kElementCount] = {};
    std::uint16_t count = ovfc::kElementCount;
    ovfc::faceInfo(state, blob.data(), info, 0, &count);
    std::printf("%-6s %4s %4s %4s %5s %6s\n", "name", "id", "x", "y", "width", "height");
    for (unsigned k = 0; k < count; ++k) {
        const FaceElementInfo& e = info[k];
        const char* name =
            e.id >= 0 && e.id < ovfc::kElementCount ? ovfc::kElementNames[e.id] : "?";
        std::printf("%-6s %4d %4d %4d %5d %6d\n", name, e.id, e.x, e.y, e.width, e.height);
    }
    std::printf("descriptor: %d bytes\n", size);
    if (!out.empty()) {
        std::FILE* f = std::fopen(out.c_str(), "wb");
        const bool ok = f != nullptr && std::fwrite(blob.data(), 1, static_cast<std::size_t>(size),
                                                    f) == static_cast<std::size_t>(size);
        if (f != nullptr && std::fclose(f) != 0) return 1;
        if (!ok) {
            std::fprintf(stderr, "ovfc process: cannot write %s\n", out.c_str());
            return 1;
        }
    }
    return 0;
}

const Registration reg({"process", "IMAGE [-o DESC] [--eyes XL YL XR YR] [--config FILE]",
                        "locate the face of an image and write its descriptor", &run});

}  // namespace
}  // namespace ovfc_tool
