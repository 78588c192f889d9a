// ovfc match A B [--config FILE] [--matcher engine|embedding] [--models DIR]: the face
// library's similarity score of two items, each an image file or a descriptor file; with
// --matcher embedding the distance of the two images' embeddings, and that distance on the
// library's score scale.
#include <cstdio>
#include <string>

#include "command.h"
#include "embed_steps.h"
#include "face_items.h"
#include "options.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

// The embeddings of two images (the eyes searched by the library in state).
int matchEmbeddings(ovfc::LibraryState& state, const std::string& modelDir, const FaceItem& a,
                    const FaceItem& b) {
    if (a.descriptor || b.descriptor) {
        std::fprintf(stderr, "ovfc match: --matcher embedding compares image files, not "
                             "descriptors\n");
        return 1;
    }
    EmbedModels models;
    if (!models.load(modelDir.empty() ? programModels() : modelDir, "match")) return 1;
    Embedding embedding[2];
    const FaceItem* items[2] = {&a, &b};
    for (int k = 0; k < 2; ++k) {
        const FaceLandmarks face = findLandmarks(state, models, items[k]->bytes.data());
        int rc = face.status;
        if (rc == 0) rc = embedFace(models, items[k]->bytes.data(), face, embedding[k]);
        if (rc != 0) {
            FaceLandmarks failed = face;
            failed.status = rc;
            std::printf("status: %s\n", landmarkStatusText(failed).c_str());
            return 1;
        }
    }
    const float distance = OvEmDistance(embedding[0].data(), embedding[1].data());
    std::printf("status: %s\n", faceStatusText(ovfc::kOk).c_str());
    std::printf("distance: %.4f\n", distance);
    std::printf("score: %d\n", distanceScoreRounded(distance));
    return 0;
}

int run(const Args& in) {
    std::string config = "ovfc.ini", matcher = "engine", modelDir;
    OptionParser p("match");
    p.text("config", config);
    p.text("matcher", matcher);
    p.text("models", modelDir);
    Args args;
    if (int rc = p.parseOrUsage(in, args)) return rc;
    if (args.size() != 2) return usageError("match");
    if (matcher != "engine" && matcher != "embedding") {
        std::fprintf(stderr, "ovfc match: --matcher takes engine or embedding, not '%s'\n",
                     matcher.c_str());
        return usageError("match");
    }
    ovfc::LibraryState state;
    if (!loadFaceLibrary(state, config, "match")) return 1;
    FaceItem a, b;
    if (!readFaceItem(args[0], a, "match") || !readFaceItem(args[1], b, "match")) return 1;
    if (matcher == "embedding") return matchEmbeddings(state, modelDir, a, b);
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

const Registration reg({"match", "A B [--config FILE] [--matcher engine|embedding] [--models DIR]",
                        "similarity score of two images or descriptors", &run});

}  // namespace
}  // namespace ovfc_tool
