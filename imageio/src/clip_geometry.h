#pragma once
// Where a fitted read takes its source rectangle and how much of the output it covers.

#include <cstdint>

#include "ovio32.h"
#include "status.h"

namespace ovio {

struct ClipGeometry {
    int64_t outWidth = 0;
    int64_t outHeight = 0;
    int64_t x = 0;  // source rectangle, clamped into the image
    int64_t y = 0;
    int64_t srcWidth = 0;  // requested source size, possibly reaching past the image
    int64_t srcHeight = 0;
    int64_t coverWidth = 0;  // source pixels and lines inside the image
    int64_t coverHeight = 0;
    int64_t outCoverWidth = 0;  // output pixels and lines they fill
    int64_t outCoverHeight = 0;
};

// Derives the geometry for an image of width x height (both positive). Status 1 for a
// negative output size, 20 when the source rectangle comes out empty.
Status computeClipGeometry(int64_t width, int64_t height, const ClipRect& clip, ClipGeometry& g);

}  // namespace ovio
