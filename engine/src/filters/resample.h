#pragma once
// Resampling of an image region to a scale: area-weighted (axis-aligned) and disc-aperture
// (rotated) resampling.

#include "image_view.h"
#include "scratch.h"

namespace ovfc {

// Area-weighted mean over the image pixels each output pixel covers. Origin (ox, oy) in image
// pixels (>= 0), scale g = output pixels per image pixel. Writes out.width x out.height pixels.
int ResampleArea(Scratch& scratch, ImageView image, double ox, double oy, double g, ImageSpan out);

// Disc-aperture resampling along the axes (cx, sx) = (cos a / g, sin a / g). Aperture pixels
// outside the image get no weight.
void ResampleRotated(ImageView image, double ox, double oy, double g, double cx, double sx,
                     ImageSpan out);

// The same operations one output pixel at a time; the results are bit for bit those above
// (the tests hold the two together).
int ResampleAreaPlain(Scratch& scratch, ImageView image, double ox, double oy, double g,
                      ImageSpan out);
void ResampleRotatedPlain(ImageView image, double ox, double oy, double g, double cx, double sx,
                          ImageSpan out);

}  // namespace ovfc
