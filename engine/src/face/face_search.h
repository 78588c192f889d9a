#pragma once
// Multi-scale search of face positions with the face mask.

#include "face/face_search_params.h"
#include "face/find_candidates.h"
#include "face/search_region.h"

namespace ovfc {

struct FaceHit {
    int x = 0, y = 0;  // face centre, image pixels
    int score = 0;     // combined score, lower is better
    int unit = 0;      // estimated eye distance, pixels
};

// Laplacian refinement score of the mask at image position (x, y) at scale r.
// 0 with `refined`, or 3 / 26.
int RefineScore(Scratch& scratch, ImageView image, MaskValues mask, const FaceSearchParams& p,
                int x, int y, double r, int yShift, int& refined);

// Searches `window` of the image; fills at most capacity - 1 hits, best first.
// 0, 3, 26 (a region cannot hold the mask) or 30 (no candidate).
int FindFaces(Scratch& scratch, ImageView image, SearchWindow window, MaskValues mask,
              const FaceSearchParams& p, int capacity, FaceHit* hits, int& count);

}  // namespace ovfc
