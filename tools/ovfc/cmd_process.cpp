// ovfc process IMAGE [-o DESC] [--eyes XL YL XR YR] [--config FILE]: the face library's
// descriptor of an image, with the located elements.
#include <cstdio>
#include <string>

#include "command.h"
#include "face_items.h"
#include "options.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

int run(const Args& in) {
    std::string out, config = "ovfc.ini";
    int eyes[4] = {};
    OptionParser p("process");
    p.integers("eyes", eyes, -100000, 100000);
    p.text("out", out).alias("-o");
    p.text("config", config);
    Args args;
    if (int rc = p.parseOrUsage(in, args)) return rc;
    if (args.size() != 1) return usageError("process");
    ovfc::ProcessOptions options;
    if (p.given("eyes")) {
        options.haveEyes = true;
        options.xl = eyes[0];
        options.yl = eyes[1];
        options.xr = eyes[2];
        options.yr = eyes[3];
    }

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
