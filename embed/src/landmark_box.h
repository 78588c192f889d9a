// Face boxes for the landmark network: the box from two eye positions (a square of 3.0 eye
// distances, centred across between the eyes, its top 0.30 of its side above them; fitted
// on Yale persons 01-10 with the eyes the face search finds), the limits of a box, and how
// far the eyes of a box's landmarks would move the box.
#ifndef OVEM_LANDMARK_BOX_H
#define OVEM_LANDMARK_BOX_H

#include "landmark_input.h"

namespace ovem {

inline constexpr double kBoxEyeDistances = 3.0;
inline constexpr double kBoxTopAboveEyes = 0.30;
inline constexpr double kMinEyeDistance = 6.0;
inline constexpr double kMaxEyeDistance = 2700.0;
inline constexpr int kMinBoxSide = 16;
inline constexpr int kMaxBoxSide = 8192;
inline constexpr int kMaxBoxOffset = 16384;

struct Eyes {
    double xl = 0, yl = 0, xr = 0, yr = 0;
};

// False for eyes closer than 6 or farther than 2700 pixels apart, or a coordinate that is
// not finite or exceeds 16384 in magnitude.
bool eyesUsable(const Eyes& eyes);

// The box around the eyes: side = round(3.0 x eye distance), left = round(mid x - side / 2),
// top = round(mid y - 0.30 x side), halves away from zero.
FaceBox boxFromEyes(const Eyes& eyes);

// Sides 16..8192, |left| and |top| at most 16384, overlapping the width x height frame.
bool boxUsable(const FaceBox& box, int width, int height);

// The eye centres of 68 points: the means of points 36-41 and 42-47.
Eyes landmarkEyes(const float points[136]);

// How far the box from the points' eyes lies from `box`: the largest change of left, top
// or side, as a fraction of box's side; infinite when the points' eyes are unusable.
double boxDrift(const FaceBox& box, const float points[136]);

}  // namespace ovem

#endif  // OVEM_LANDMARK_BOX_H
