#pragma once
// Allowed-position maps: where a face mask centre (ridge map) or an eye mask centre (eye edge
// map) may lie. One byte a region pixel, non-zero = allowed; stride = region width.

#include <cstdint>

#include "filters/image_view.h"
#include "filters/scratch.h"

namespace ovfc {

// Marks rows around vertical bright ridges (the nose) higher than `threshold`.
int RidgeMap(Scratch& scratch, ImageView region, int spread, int threshold, std::uint8_t* map);

struct EyeEdgeParams {
    int rx = 0, ry = 0;          // "Eye_Edge_Rx", "Eye_Edge_Ry"
    int roughThreshold = 0;      // "Eye_Rough_Tr", votes in 1/500 of the mask area
    double edgeFactor = 0.0;     // "eye_edge_tr", fraction of the image's grey range
    double edgeFactorMax = 0.0;  // "eye_edge_tr_max"
    int greyLow = 0, greyHigh = 255;
};

// Marks positions whose mask (half sizes lx, ly) holds enough strong horizontal edges.
int EyeEdgeMap(Scratch& scratch, ImageView region, int lx, int ly, const EyeEdgeParams& params,
               std::uint8_t* map);

}  // namespace ovfc
