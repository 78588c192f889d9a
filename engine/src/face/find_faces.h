#pragma once
// The face search on a processing context: default face mask, image and face window of the
// context, parameters from the configuration.

#include "face/face_search.h"

namespace ovfc {

struct FaceContext;
class ConfigStore;

// Reads the face search parameters (raises XERRORINI when one is missing).
FaceSearchParams ReadFaceSearchParams(const ConfigStore& config);

// Up to capacity - 1 face positions, best first, into the four arrays. 0, 3, 26, 27 (no face
// mask in the default masks) or 30.
int FindFaces(FaceContext& ctx, int capacity, int* x, int* y, int* score, int* unit, int& count);

}  // namespace ovfc
