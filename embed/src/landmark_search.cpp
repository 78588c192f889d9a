#include "landmark_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ovem32.h"

namespace ovem {
namespace {

constexpr int kMoves = 3;
constexpr double kShorterSideShare = 0.8;

// Whether each landmark eye lies within kAgreeingEyeMove eye distances of its given eye.
bool eyesAgree(const Eyes& given, const float points[136]) {
    const Eyes found = landmarkEyes(points);
    const double limit = kAgreeingEyeMove * std::hypot(given.xr - given.xl, given.yr - given.yl);
    return std::hypot(found.xl - given.xl, found.yl - given.yl) <= limit &&
           std::hypot(found.xr - given.xr, found.yr - given.yr) <= limit;
}

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

namespace {

// From each start the box is moved to its landmarks' eyes up to kMoves times; the points of
// the box they move least are kept (the first of equals). found tells whether any box gave
// points; firstFailure keeps the code of the first box that gave none.
void searchFromStarts(const Model& model, const uint8_t* grey, int width, int height,
                      const FaceBox* starts, int count, LandmarkWorkspace& work, float points[136],
                      FaceBox& box, bool& found, Status& firstFailure) {
    double bestDrift = 0;
    float candidate[136];
    for (int k = 0; k < count; ++k) {
        FaceBox b = starts[k];
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
}

// The frame's bounding square, and squares of 0.8 x its shorter side at its top left, top
// centre, top right and centre.
constexpr int kFrameStarts = 5;
void frameStarts(int width, int height, FaceBox* out) {
    const int shorter = static_cast<int>(std::lround(kShorterSideShare * std::min(width, height)));
    const int longer = std::max(width, height);
    out[0] = {0, 0, longer, longer};
    out[1] = {0, 0, shorter, shorter};
    out[2] = {(width - shorter) / 2, 0, shorter, shorter};
    out[3] = {width - shorter, 0, shorter, shorter};
    out[4] = {(width - shorter) / 2, (height - shorter) / 2, shorter, shorter};
}

}  // namespace

Status landmarksFromEyes(const Model& model, const uint8_t* grey, int width, int height,
                         const Eyes& eyes, LandmarkWorkspace& work, float points[136],
                         FaceBox& box) {
    if (!eyesUsable(eyes)) return Status::kFaceBox;
    const FaceBox first = boxFromEyes(eyes);
    Status firstFailure = landmarksInBox(model, grey, width, height, first, work, points);
    if (firstFailure == Status::kOk && boxDrift(first, points) <= kAgreeingDrift &&
        eyesAgree(eyes, points)) {
        box = first;
        return Status::kOk;
    }
    if (firstFailure == Status::kArgument) return firstFailure;
    FaceBox starts[3 + kFrameStarts] = {first, scaledAbout(first, eyes, 2),
                                        scaledAbout(first, eyes, 3)};
    frameStarts(width, height, starts + 3);
    bool found = false;
    searchFromStarts(model, grey, width, height, starts, 3 + kFrameStarts, work, points, box,
                     found, firstFailure);
    return found ? Status::kOk : firstFailure;
}

Status landmarksInFrame(const Model& model, const uint8_t* grey, int width, int height,
                        LandmarkWorkspace& work, float points[136], FaceBox& box) {
    if (model.kind() != OVEM_MODEL_LANDMARKS68) return Status::kArgument;
    FaceBox starts[kFrameStarts];
    frameStarts(width, height, starts);
    bool found = false;
    Status firstFailure = Status::kOk;
    searchFromStarts(model, grey, width, height, starts, kFrameStarts, work, points, box, found,
                     firstFailure);
    return found ? Status::kOk : firstFailure;
}

}  // namespace ovem
