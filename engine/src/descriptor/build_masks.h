#pragma once
// Cutting the context's own masks at the located face and elements: the face descriptor.

#include "face_context.h"

namespace ovfc {

// Cuts the mask of one record (named by its name, centred on its centre) at its mask scale,
// moved down by its y shift and aligned with the eye line, into the context's set. The
// region is moved inside the image; 26 when the image cannot hold the mask, 3 when the set is
// full or a buffer fails.
int CutMask(FaceContext& ctx, const ElementRecord& record);

// Empties the context's set (capacity 10) and cuts the face, the elements below the element
// count and, when all of them succeeded, the nose wings ("noses", at the nose centre, score
// word 0). The first error, else 0.
int BuildMasks(FaceContext& ctx);

}  // namespace ovfc
