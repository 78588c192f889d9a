#pragma once
// In-place smoothing of an image towards the mean of each pixel's eight neighbours.

#include "filters/image_view.h"
#include "filters/scratch.h"

namespace ovfc {

// Interior pixel = trunc(m x pixel + (1 - m) x mean of its 8 neighbours), neighbours taken
// from the unsmoothed image; border rows and columns unchanged.
int SmoothImage(Scratch& scratch, ImageSpan image, double m);

}  // namespace ovfc
