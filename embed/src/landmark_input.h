// The landmark network's input from a grey frame and a face box, and its output mapped
// back into the frame. The box is padded to a square with black, centred on the shorter
// side (an odd difference puts the extra pixel after); box pixels outside the frame are
// black too. The square is scaled to 112 x 112 bilinearly, sampling at dst x side / 112
// (no half-pixel offset, the last row and column repeated), and each colour channel (all
// three the grey level) is centred on its mean and divided by 255.
#ifndef OVEM_LANDMARK_INPUT_H
#define OVEM_LANDMARK_INPUT_H

#include <cstdint>

#include "landmark_net.h"

namespace ovem {

struct FaceBox {
    int left = 0, top = 0, width = 0, height = 0;
};

// Fills input (112 x 112 x 3). The frame is width x height bytes; box sides are positive.
void landmarkInput(const uint8_t* grey, int width, int height, const FaceBox& box,
                   float* input);

// Maps the network's 136 values (fractions of the square's side, padding included) to
// frame pixels: the padding is taken off and the rest scaled to the box.
void landmarkPointsToFrame(const float raw[kLandmarkOutputs], const FaceBox& box,
                           float points[kLandmarkOutputs]);

// True when every pixel of the box that lies in the frame has the same grey level (or
// none does).
bool boxIsFlat(const uint8_t* grey, int width, int height, const FaceBox& box);

}  // namespace ovem

#endif  // OVEM_LANDMARK_INPUT_H
