#pragma once
// The geometry helpers of the pipeline: priors of the face record, windows of the eyes and
// the other elements derived from the face and the unit, and the full-face copy. All work
// on the records of one FaceContext; parameters come from its configuration.

#include "face_context.h"
#include "geometry/rotated_region.h"

namespace ovfc {

// Zeroes every field after the first 10 name bytes of the face and the element records.
void ResetRecords(FaceContext& ctx);
// Face size, unit range and face window from the image size and the configuration; scores of
// the face, the eyes and the nose set to 255.
void SetFacePriors(FaceContext& ctx);
// Face heights and widths from the unit record.
void DeriveFaceSize(FaceContext& ctx);
// Eye windows predicted from the face window (unless fixed), the face window taken from the
// eyes once both are fixed, then the nose and element windows predicted along the eye line.
void SetElementWindows(FaceContext& ctx);
// Square face window of half size rounded(unit x k / "face_mask_unit") around the face
// centre; unit range one face search step either side; the eyes become free.
void CentreFaceWindow(FaceContext& ctx, double k);
// Eye windows of half size rounded(k x unit / "eye_mask_unit") around the eye centres; the
// unit becomes the eye distance and the face y the eyes' mean.
void CentreEyeWindows(FaceContext& ctx, double k);
// trunc(distance between the eye centres).
std::int32_t EyeDistance(const FaceContext& ctx);
// The unit becomes the eye distance (range 0.9 .. 1.1 of it), the face y the eyes' mean with a
// window of one pixel either side.
void UnitFromEyes(FaceContext& ctx);
// Element 0 ("fface") takes the face record's window, centre and fixed flags.
void CopyFaceToFullFace(FaceContext& ctx);
// The region of the context's image for `request`, aligned with the current eye line,
// resampled into `region`. 0, 3 or 26.
int BuildEyeLineRegion(const FaceContext& ctx, const RegionRequest& request, RotatedBuffer& region);
// (eyer y - eyel y) / (eyer x - eyel x) of the current eye centres; 0 when the eyes share a
// column (no eye line can be drawn).
double EyeLineSlope(const FaceContext& ctx);

}  // namespace ovfc
