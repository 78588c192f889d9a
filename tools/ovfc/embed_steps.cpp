#include "embed_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "face_items.h"
#include "platform/module.h"

namespace ovfc_tool {
namespace {

bool loadOne(int kind, const std::string& dir, const char* command, OvEmModel*& model) {
    const std::string manifest = dir + "/" + OvEmManifestName(kind);
    const std::string sums = dir + "/models.sha256";
    const int rc = OvEmLoadModel(kind, manifest.c_str(), sums.c_str(), &model);
    if (rc == OVEM_OK) return true;
    std::fprintf(stderr, "ovfc %s: cannot load %s: %s (scripts/setup fetches the models)\n",
                 command, manifest.c_str(), OvEmResultText(rc));
    return false;
}

}  // namespace

bool searchFoundNoEyes(int status) {
    return status == ovfc::kGeometry || status == ovfc::kNoFace;
}

std::string programModels() {
    return platform::moduleDirectory(reinterpret_cast<const void*>(&programModels)) + "models";
}

bool EmbedModels::load(const std::string& dir, const char* command) {
    OvEmModel* lm = nullptr;
    OvEmModel* em = nullptr;
    if (!loadOne(OVEM_MODEL_LANDMARKS68, dir, command, lm)) return false;
    landmarks_.reset(lm);
    if (!loadOne(OVEM_MODEL_EMBEDDING128, dir, command, em)) return false;
    embedding_.reset(em);
    return true;
}

FaceLandmarks findLandmarks(ovfc::LibraryState& state, const EmbedModels& models,
                            const std::uint8_t* frame) {
    FaceLandmarks face;
    std::vector<std::uint8_t> descriptor(ovfc::kMaxBlobSize, 0);
    std::int16_t size = 0;
    int rc = ovfc::kConfigError;
    try {
        rc = ovfc::createDescriptor(state, frame, kFrameWidth, kFrameHeight, nullptr, nullptr,
                                    descriptor.data(), &size);
    } catch (const ovfc::XERRORINI&) {
        rc = ovfc::kConfigError;
    }
    FaceElementInfo eyes[2] = {};
    std::uint16_t count = 2;
    if (rc == ovfc::kOk &&
        (ovfc::faceInfo(state, descriptor.data(), eyes, ovfc::kEyeLeft, &count) != ovfc::kOk ||
         count != 2))
        rc = ovfc::kBadDescriptor;
    if (rc == ovfc::kOk) {
        const float found[4] = {static_cast<float>(eyes[0].x), static_cast<float>(eyes[0].y),
                                static_cast<float>(eyes[1].x), static_cast<float>(eyes[1].y)};
        face.status = OvEmLandmarksFromEyes(models.landmarks(), frame, kFrameWidth,
                                            kFrameHeight, found, face.points, nullptr);
    } else if (searchFoundNoEyes(rc)) {
        face.status = OvEmFindLandmarks(models.landmarks(), frame, kFrameWidth, kFrameHeight,
                                        face.points, nullptr);
    } else {
        face.searchFailed = true;
        face.status = rc;
        return face;
    }
    if (face.status != OVEM_OK) return face;
    for (int i = 36; i < 48; ++i) {
        const int e = i < 42 ? 0 : 2;
        face.eyes[e] += face.points[2 * i] / 6.0;
        face.eyes[e + 1] += face.points[2 * i + 1] / 6.0;
    }
    return face;
}

std::string landmarkStatusText(const FaceLandmarks& face) {
    if (face.searchFailed) return faceStatusText(face.status);
    std::string text = "landmarks: ";
    text += std::to_string(face.status);
    text += " (";
    text += OvEmResultText(face.status);
    text += ")";
    return text;
}

ovfc::ProcessOptions landmarkEyeOptions(const FaceLandmarks& face) {
    ovfc::ProcessOptions o;
    o.haveEyes = true;
    o.xl = static_cast<int>(std::lround(face.eyes[0]));
    o.yl = static_cast<int>(std::lround(face.eyes[1]));
    o.xr = static_cast<int>(std::lround(face.eyes[2]));
    o.yr = static_cast<int>(std::lround(face.eyes[3]));
    return o;
}

int embedFace(const EmbedModels& models, const std::uint8_t* frame, const FaceLandmarks& face,
              Embedding& embedding) {
    std::vector<std::uint8_t> crop(OVEM_CROP_SIDE * OVEM_CROP_SIDE);
    const int rc = OvEmAlignedCrop(frame, kFrameWidth, kFrameHeight, face.points, crop.data());
    if (rc != OVEM_OK) return rc;
    return OvEmEmbedding(models.embedding(), crop.data(), 1, embedding.data());
}

double distanceScore(float distance) {
    return 400.0 * (1.0 - static_cast<double>(distance));
}

std::int32_t distanceScoreRounded(float distance) {
    const double s = std::floor(distanceScore(distance) + 0.5);
    return static_cast<std::int32_t>(std::clamp(s, 0.0, 400.0));
}

}  // namespace ovfc_tool
