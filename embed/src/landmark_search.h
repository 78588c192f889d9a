// Landmarks of a face in a checked box, and of the face whose eyes the face search found:
// the box from those eyes, searched again when the landmarks disagree with it.
#ifndef OVEM_LANDMARK_SEARCH_H
#define OVEM_LANDMARK_SEARCH_H

#include <cstdint>

#include "landmark_box.h"
#include "landmark_net.h"

namespace ovem {

// A box whose landmarks' eyes move it by at most this fraction of its side agrees with
// them.
inline constexpr double kAgreeingDrift = 0.30;
// Eyes agree with the landmarks of their box when each landmark eye lies within this
// fraction of the eye distance of its eye: a face-like fit below or above the face (on the
// mouth, say) can keep the box almost where it is while its eyes lie half an eye distance
// away and closer together.
inline constexpr double kAgreeingEyeMove = 0.40;

// kFaceBox for a box outside the limits of boxUsable, kFlatFace when its frame pixels
// are one grey level, kArgument for a model of another kind; points are written on kOk.
Status landmarksInBox(const Model& model, const uint8_t* grey, int width, int height,
                      const FaceBox& box, LandmarkWorkspace& work, float points[136]);

// The box from the eyes when its landmarks agree with it and with the eyes (kAgreeingDrift,
// kAgreeingEyeMove). Otherwise the eyes are taken to be wrong, and from each of several
// starting boxes (that box, 2 and 3 times as large about the eyes' midpoint, the frame's
// bounding square, and squares of 0.8 x the frame's shorter side at its top left, top
// centre, top right and centre) the box is moved to the landmarks' eyes up to three
// times; the points of the box that ends with the least drift are taken (the first of
// equals). kFaceBox for unusable eyes; when no box gives points,
// the first failure's code. box receives the box of the points.
Status landmarksFromEyes(const Model& model, const uint8_t* grey, int width, int height,
                         const Eyes& eyes, LandmarkWorkspace& work, float points[136],
                         FaceBox& box);

// Without eyes: the same search from the frame's own starting boxes only (its bounding
// square and the four squares of 0.8 x its shorter side). kFaceBox (no start of 16 pixels)
// or kFlatFace when no box gives points.
Status landmarksInFrame(const Model& model, const uint8_t* grey, int width, int height,
                        LandmarkWorkspace& work, float points[136], FaceBox& box);

}  // namespace ovem

#endif  // OVEM_LANDMARK_SEARCH_H
