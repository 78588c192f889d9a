// ovfc match A B [--config FILE]: the face library's similarity score of two items, each an
// image file or a descriptor file.
#include <cstdio>
#include <string>

#include "command.h"
#include "face_items.h"
#include "options.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

int run(const Args& in) {
    std::string config = "ovfc.ini";
    OptionParser p("match");
    p.text("config", config);
    Args args;
    if (int rc = p.parseOrUsage(in, args)) return rc;
    if (args.size() != 2) return usageError("match");
    ovfc::LibraryState state;
    if (!loadFaceLibrary(state, config, "match")) return 1;
    FaceItem a, b;
    if (!readFaceItem(args[0], a, "match") || !readFaceItem(args[1], b, "match")) return 1;
    std::int32_t score = 0;
    int rc = ovfc::kConfigError;
    try {
        rc = ovfc::matchItems(state, a.bytes.data(), b.bytes.data(), &score, kFrameWidth,
                              kFrameHeight);
    } catch (const ovfc::XERRORINI&) {
        rc = ovfc::kConfigError;
    }
    std::printf("status: %s\n", faceStatusText(rc).c_str());
    if (rc != ovfc::kOk) return 1;
    std::printf("score: %d\n", score);
    return 0;
}

const Registration reg({"match", "A B [--config FILE]",
                        "similarity score of two images or descriptors", &run});

}  // namespace
}  // namespace ovfc_tool
