// The landmark network's forward pass: a 112 x 112 x 3 normalised input to 136 values, the
// 68 points (x, y) as fractions of the input's side.
#ifndef OVEM_LANDMARK_NET_H
#define OVEM_LANDMARK_NET_H

#include <vector>

#include "model.h"
#include "status.h"

namespace ovem {

inline constexpr int kLandmarkInputSide = 112;
inline constexpr int kLandmarkOutputs = 136;

// The activations of one pass, allocated once and reused by every pass run with it. One
// workspace serves one thread at a time.
class LandmarkWorkspace {
  public:
    LandmarkWorkspace();
    float* input() { return input_.data(); }  // 112 x 112 x 3, filled by the caller

  private:
    friend Status landmarkForward(const Model& model, LandmarkWorkspace& work,
                                  float out[kLandmarkOutputs]);
    std::vector<float> input_, block_, first_, sum_, next_, depthwise_, conv_;
};

// Runs the network on work.input(). kArgument when the model is not the landmark network
// (its tensors are looked up by name); out is then not written.
Status landmarkForward(const Model& model, LandmarkWorkspace& work, float out[kLandmarkOutputs]);

}  // namespace ovem

#endif  // OVEM_LANDMARK_NET_H
