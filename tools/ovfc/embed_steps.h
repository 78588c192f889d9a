#pragma once
// What the commands with --matcher embedding or --eyes landmarks share: the two networks
// loaded from the models folder, a face's landmarks from the eyes the face search found,
// its 128-value embedding, and the rule that puts an embedding distance on the face
// library's score scale.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "ovem32.h"
#include "ovfc_internal.h"

namespace ovfc_tool {

using Embedding = std::array<float, 128>;

// The folder "models" beside the program, where setup puts the networks.
std::string programModels();

// Both networks, checked against the folder's models.sha256.
class EmbedModels {
  public:
    // Prints the problem ("ovfc COMMAND: cannot load ...: TEXT") and returns false when a
    // file is missing, damaged or not listed with its sum.
    bool load(const std::string& dir, const char* command);
    const OvEmModel* landmarks() const { return landmarks_.get(); }
    const OvEmModel* embedding() const { return embedding_.get(); }

  private:
    struct Free {
        void operator()(OvEmModel* m) const { OvEmFreeModel(m); }
    };
    std::unique_ptr<OvEmModel, Free> landmarks_, embedding_;
};

// A face's landmarks and their eye centres (frame pixels, the eye on the image's left
// first). status: the face library's code when its search failed, else an OvEm code (0
// when points and eyes are valid).
struct FaceLandmarks {
    bool searchFailed = false;
    int status = 0;
    float points[2 * OVEM_LANDMARK_COUNT] = {};
    double eyes[4] = {};
};

// True for the face library's statuses that mean its search found no usable eyes
// (geometry failure, no face): the landmarks are then looked for in the whole frame.
bool searchFoundNoEyes(int status);

// The face search's eyes on the 256 x 255 frame (state in search mode), then the
// landmarks from them; when the search finds no eyes, the landmarks found in the whole
// frame.
FaceLandmarks findLandmarks(ovfc::LibraryState& state, const EmbedModels& models,
                            const std::uint8_t* frame);

// "26 (geometry failure)" for a failed search, "landmarks: 11 (face box holds ...)" for
// the networks.
std::string landmarkStatusText(const FaceLandmarks& face);

// Processing options that place the eyes at the landmarks' eyes, rounded to pixels (taken
// with "r_manual" 2).
ovfc::ProcessOptions landmarkEyeOptions(const FaceLandmarks& face);

// The aligned crop's embedding; an OvEm code.
int embedFace(const EmbedModels& models, const std::uint8_t* frame, const FaceLandmarks& face,
              Embedding& embedding);

// An embedding distance on the 0-400 score scale of the face library's comparison (higher
// is more alike): 400 x (1 - distance), unrounded for the figures of eval.
double distanceScore(float distance);
// The same rounded to the nearest whole number (halves up) and kept within 0..400, for
// the statistics run: distance 0 gives 400, 0.5 gives 200, 1 and above give 0.
std::int32_t distanceScoreRounded(float distance);

}  // namespace ovfc_tool
