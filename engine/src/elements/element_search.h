#pragma once
// Placing the nose, the mouth and the further elements: template search inside a window
// aligned with the eye line, and the window predicted from the face geometry.

#include "face_context.h"
#include "filters/match_map.h"
#include "filters/scratch.h"

namespace ovfc {

struct ElementHit {
    std::int32_t x = 0, y = 0;  // image pixels
    std::int32_t score = 0;     // trunc(best x 225 / mask area)
    bool found = false;         // false when every window was rejected or the region is flat
};

struct ElementWindow {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

// The grey template search as the configuration sets it: every position of the region where
// the mask fits, stepped by "conv_step_x" / "conv_step_y", windows with a variance above
// "variance_tr"^2 times the region's; `allowed` (region-sized, may be null) restricts the best.
int MatchGreyTemplate(const FaceContext& ctx, Scratch& scratch, ImageView region, MaskValues mask,
                      const std::uint8_t* allowed, MatchResult& best);

// Grey template search of `mask` (its normalised values) over `window` at `scale`, the mask
// moved down by yShift mask pixels, the region at least mask + (mx, my) and moved inside the
// image. 0, 3, 26, or 27 when the mask has no normalised values.
int SearchElementAt(FaceContext& ctx, Scratch& scratch, const Mask& mask, double scale,
                    double yShift, int mx, int my, ElementWindow window, ElementHit& hit);

// Searches element `id` in its window with the mask of that id (the default set in creation
// mode, the context's own in matching mode) and, on a score above 0, fixes it there with a
// window of 1.5 units. A search that placed no window (all rejected, or a region without
// contrast) leaves the record as it was. 0, 3, 26 or 27.
int SearchElement(FaceContext& ctx, int id);

// The window of element `id` from the face record, the unit record and the eye-line slope,
// kept so that the element's mask stays inside the image. Does nothing when the element's
// y is fixed.
void PredictElementWindow(FaceContext& ctx, int id, double slope);

}  // namespace ovfc
