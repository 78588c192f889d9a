#include "face/find_faces.h"


#include "config_store.h"
#include "face_context.h"
#include "library_state.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {

FaceSearchParams ReadFaceSearchParams(const ConfigStore& c) {
    FaceSearchParams p;
    p.faceMaskUnit = c.readInt("mask", "face_mask_unit");
    p.faceMaskYShift = c.readInt("mask", "face_mask_y_shift");
    p.stepsNum = c.readInt("param", "face_steps_num");
    p.unStep = c.readReal("param", "face_un_step");
    p.eyesStartUnit = c.readReal("param", "eyes_start_unit");
    p.faceStartUnit = c.readReal("param", "face_start_unit");
    p.dWeight = c.readReal("param", "d_weight");
    p.scaleShift = c.readInt("param", "scale_shift");
    p.faceCond = c.readInt("param", "face_cond");
    p.faceCondShift = c.readInt("param", "face_cond_shift");
    p.faceRoughTr = c.readInt("param", "Face_Rough_Tr");
    p.searchTr = c.readReal("param", "search_tr");
    p.maxTr = c.readReal("param", "max_tr");
    p.varianceTr = c.readReal("param", "variance_tr");
    p.serchInter = c.readInt("param", "face_serch_inter");
    p.edgeSerch = c.readInt("param", "face_edge_serch");
    p.estimationNum = c.readInt("param", "f_estimation_num");
    p.extrSearchRadi = c.readInt("param", "extr_search_radi");
    p.lap1FiltMult = c.readReal("param", "lap1_filt_mult");
    p.lap2FiltMult = c.readReal("param", "lap2_filt_mult");
    p.convIInter = c.readInt("param", "ConvI_inter");
    // A scale that is not a positive number cannot be searched.
    if (!(p.faceMaskUnit > 0) || !(p.faceStartUnit > 0) || !(1 + p.unStep > 0)) throw XERRORINI();
    return p;
}

int FindFaces(FaceContext& ctx, int capacity, int* x, int* y, int* score, int* unit, int& count) {
    count = 0;
    const FaceSearchParams p = ReadFaceSearchParams(ctx.config);
    const Mask* mask = ctx.library.defaultMasks.find(kFace);
    // The face search needs the normalised values and a mask that the refinement filters fit.
    if (mask == nullptr || mask->normalised() == nullptr || mask->width < 5 || mask->height < 5)
        return kBadDescriptor;
    if (capacity < 2) return kNoFace;

    PoolScratch scratch(ctx.pool);
    const ImageView image{ctx.image.data(), ctx.image.width, ctx.image.height, ctx.image.width};
    const SearchWindow window{ctx.face.xMin, ctx.face.xMax, ctx.face.yMin, ctx.face.yMax};
    const MaskValues values{mask->normalised(), static_cast<int>(mask->width),
                            static_cast<int>(mask->height)};
    FaceHit hits[80];
    const int cap = capacity < 81 ? capacity : 81;
    const int rc = FindFaces(scratch, image, window, values, p, cap, hits, count);
    if (rc != kOk) return rc;
    for (int i = 0; i < count; ++i) {
        x[i] = hits[i].x;
        y[i] = hits[i].y;
        score[i] = hits[i].score;
        unit[i] = hits[i].unit;
    }
    return kOk;
}

}  // namespace ovfc
