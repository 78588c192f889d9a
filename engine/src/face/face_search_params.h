#pragma once
// Parameters of the face search, read from the configuration at the start of each search.

namespace ovfc {

struct FaceSearchParams {
    // [mask]
    double faceMaskUnit = 0;  // "face_mask_unit": eye distance of the face mask, mask pixels
    int faceMaskYShift = 0;   // "face_mask_y_shift": mask centre below the face centre
    // [param]
    int stepsNum = 1;          // "face_steps_num"
    double unStep = 0;         // "face_un_step"
    double eyesStartUnit = 0;  // "eyes_start_unit"
    double faceStartUnit = 0;  // "face_start_unit"
    double dWeight = 0;        // "d_weight"
    int scaleShift = 0;        // "scale_shift"
    int faceCond = 0;          // "face_cond"
    int faceCondShift = 0;     // "face_cond_shift"
    int faceRoughTr = 0;       // "Face_Rough_Tr"
    double searchTr = 0;       // "search_tr"
    double maxTr = 0;          // "max_tr"
    double varianceTr = 0;     // "variance_tr"
    int serchInter = 0;        // "face_serch_inter"
    int edgeSerch = 0;         // "face_edge_serch"
    int estimationNum = 1;     // "f_estimation_num"
    int extrSearchRadi = 0;    // "extr_search_radi"
    double lap1FiltMult = 1;   // "lap1_filt_mult"
    double lap2FiltMult = 1;   // "lap2_filt_mult"
    int convIInter = 0;        // "ConvI_inter"
};

}  // namespace ovfc
