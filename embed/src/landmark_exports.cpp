// The C interface of the landmark network.
#include <new>

#include "landmark_search.h"
#include "model_handle.h"

namespace {

constexpr int kMaxFrameSide = 32767;

bool frameUsable(const OvEmModel* model, const uint8_t* grey, int width, int height) {
    return model && grey && model->model.kind() == OVEM_MODEL_LANDMARKS68 && width >= 1 &&
           height >= 1 && width <= kMaxFrameSide && height <= kMaxFrameSide;
}

}  // namespace

extern "C" OVEM_API int OvEmLandmarks(const OvEmModel* model, const uint8_t* grey, int width,
                                      int height, const OvEmBox* box,
                                      float points[2 * OVEM_LANDMARK_COUNT]) {
    if (!frameUsable(model, grey, width, height) || !box || !points) return OVEM_E_ARGUMENT;
    try {
        ovem::LandmarkWorkspace work;
        const ovem::FaceBox face{box->left, box->top, box->width, box->height};
        return static_cast<int>(
            ovem::landmarksInBox(model->model, grey, width, height, face, work, points));
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}

extern "C" OVEM_API int OvEmLandmarksFromEyes(const OvEmModel* model, const uint8_t* grey,
                                              int width, int height, const float eyes[4],
                                              float points[2 * OVEM_LANDMARK_COUNT],
                                              OvEmBox* box) {
    if (!frameUsable(model, grey, width, height) || !eyes || !points) return OVEM_E_ARGUMENT;
    try {
        ovem::LandmarkWorkspace work;
        ovem::FaceBox used;
        const ovem::Eyes e{eyes[0], eyes[1], eyes[2], eyes[3]};
        const ovem::Status s =
            ovem::landmarksFromEyes(model->model, grey, width, height, e, work, points, used);
        if (s == ovem::Status::kOk && box) *box = OvEmBox{used.left, used.top, used.width, used.height};
        return static_cast<int>(s);
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}

extern "C" OVEM_API int OvEmFindLandmarks(const OvEmModel* model, const uint8_t* grey, int width,
                                          int height, float points[2 * OVEM_LANDMARK_COUNT],
                                          OvEmBox* box) {
    if (!frameUsable(model, grey, width, height) || !points) return OVEM_E_ARGUMENT;
    try {
        ovem::LandmarkWorkspace work;
        ovem::FaceBox used;
        const ovem::Status s =
            ovem::landmarksInFrame(model->model, grey, width, height, work, points, used);
        if (s == ovem::Status::kOk && box) *box = OvEmBox{used.left, used.top, used.width, used.height};
        return static_cast<int>(s);
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}
