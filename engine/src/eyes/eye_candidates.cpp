// Candidate centres of one eye: local minima of the eye mask's score map in the eye window.
#include <algorithm>

#include "config_store.h"
#include "eyes/eye_region.h"
#include "eyes/eye_search.h"
#include "face/find_candidates.h"
#include "filters/scratch.h"
#include "status.h"

namespace ovfc {

int FindEyeCandidates(FaceContext& ctx, Scratch& scratch, int id, EyePosition* out, int& count) {
    count = 0;
    const Mask* mask = DefaultEyeMask(ctx, id);
    if (mask == nullptr) return kBadDescriptor;
    const ConfigStore& c = ctx.config;
    RotatedBuffer region(scratch);
    if (const int rc = BuildEyeRegion(ctx, *mask, ctx.elements[id], region); rc != kOk) return rc;
    const ImageView view = region.view();
    const int mw = static_cast<int>(mask->width), mh = static_cast<int>(mask->height);

    ScratchArray<std::uint8_t> allowed(scratch, static_cast<std::size_t>(view.width) * view.height);
    if (!allowed) return kNoMemory;
    const bool useMap = c.readInt("param", "eye_cond") == 1;
    if (useMap) {
        if (const int rc = BuildEyeEdgeMap(ctx, scratch, view, mw, mh, allowed.get()); rc != kOk)
            return rc;
    }
    Candidate found[kEyeMinima];
    int n = 0;
    if (const int rc = FindEyeMinima(ctx, scratch, view, MaskValues{mask->normalised(), mw, mh},
                                     useMap ? allowed.get() : nullptr,
                                     c.readReal("param", "eye_search_tr"), found, n);
        rc != kOk)
        return rc;

    const int wanted = std::clamp(c.readInt("param", "eye_cand"), 0, 20);
    const int take = std::min(n, wanted);
    bool used[kEyeMinima] = {};
    const RotatedGeometry& g = region.geometry();
    for (int k = 0; k < take; ++k) {
        int best = -1;
        for (int i = 0; i < n; ++i)
            if (!used[i] && (best < 0 || found[i].value < found[best].value)) best = i;
        used[best] = true;
        out[k].x = static_cast<std::int32_t>(g.imageX(found[best].x, found[best].y));
        out[k].y = static_cast<std::int32_t>(g.imageY(found[best].x, found[best].y));
    }
    count = take;
    return kOk;
}

}  // namespace ovfc
