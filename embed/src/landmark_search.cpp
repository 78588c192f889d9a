#include "landmark_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ovem32.h"

namespace ovem {
namespace {

constexpr int kMoves = 3;
constexpr double kShorterSideShare = 0.8;

FaceBox scaledAbout(const FaceBox& b, const Eyes& e, int factor) {
    const double mx = (e.xl + e.xr) / 2, my = (e.yl + e.yr) / 2;
    FaceBox s;
    s.width = s.height = b.width * factor;
    s.left = static_cast<int>(std::lround(mx - s.width / 2.0));
    s.top = static_cast<int>(std::lround(my - s.height / 2.0));
    return s;
}

}  // namespace

Status landmarksInBox(const Model& model, const uint8_t* grey, int width, int height,
                      const FaceBox& box, LandmarkWorkspace& work, float points[136]) {
    if (model.kind() != OVEM_MODEL_LANDMARKS68) return Status::kArgument;
    if (!boxUsable(box, width, height)) return Status::kFaceBox;
    if (boxIsFlat(grey, width, height, box)) return Status::kFlatFace;
    landmarkInput(grey, width, height, box, work.input());
    float raw[kLandmarkOutputs];
    const Status s = landmarkForward(model, work, raw);
    if (s == Status::kOk) landmarkPointsToFrame(raw, box, points);
    return s;
}

Status landmarksFromEyes(const Model& model, const uint8_t* grey, int width, int height,
                         const Eyes& eyes, LandmarkWorkspace& work, float points[136],
                         FaceBox& box) {
    if (!eyesUsable(eyes)) return Status::kFaceBox;
    const FaceBox first = boxFromEyes(eyes);
    Status firstFailure = landmarksInBox(model, grey, width, height, first, work, points);
    if (firstFailure == Status::kOk && boxDrift(first, points) <= kAgreeingDrift) {
        box = first;
        return Status::kOk;
    }
    if (firstFailure == Status::kArgument) return firstFailure;

    const int shorter = static_cast<int>(std::lround(kShorterSideShare * std::min(width, height)));
    const int longer = std::max(width, height);
    const FaceBox starts[] = {
        first,
        scaledAbout(first, eyes, 2),
        scaledAbout(first, eyes, 3),
        {0, 0, longer, longer},
        {0, 0, shorter, shorter},
        {(width - shorter) / 2, 0, shorter, shorter},
        {width - shorter, 0, shorter, shorter},
        {(width - shorter) / 2, (height - shorter) / 2, shorter, shorter},
    };
    double bestDrift = 0;
    bool found = false;
    float candidate[136];
    for (const FaceBox& start : starts) {
        FaceBox b = start;
        for (int move = 0; move <= kMoves; ++move) {
            const Status s = landmarksInBox(model, grey, width, height, b, work, candidate);
            if (s != Status::kOk) {
                if (firstFailure == Status::kOk) firstFailure = s;
                break;
            }
            const double drift = boxDrift(b, candidate);
            if (!found || drift < bestDrift) {
                found = true;
                bestDrift = drift;
                std::memcpy(points, candidate, sizeof candidate);
                box = b;
            }
            if (move == kMoves || !std::isfinite(drift)) break;
            b = boxFromEyes(landmarkEyes(candidate));
        }
    }
    return found ? Status::kOk : firstFailure;
}

}  // namespace ovem
