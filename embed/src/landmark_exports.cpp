// The C interface of the landmark network.
#include <cstdlib>
#include <new>

#include "landmark_input.h"
#include "landmark_net.h"
#include "model_handle.h"

namespace {

constexpr int kMinBoxSide = 16;
constexpr int kMaxBoxSide = 8192;
constexpr int kMaxBoxOffset = 16384;
constexpr int kMaxFrameSide = 32767;

bool boxUsable(const OvEmBox& b, int width, int height) {
    if (b.width < kMinBoxSide || b.height < kMinBoxSide) return false;
    if (b.width > kMaxBoxSide || b.height > kMaxBoxSide) return false;
    if (std::abs(b.left) > kMaxBoxOffset || std::abs(b.top) > kMaxBoxOffset) return false;
    return b.left < width && b.top < height && b.left + b.width > 0 && b.top + b.height > 0;
}

}  // namespace

extern "C" OVEM_API int OvEmLandmarks(const OvEmModel* model, const uint8_t* grey, int width,
                                      int height, const OvEmBox* box,
                                      float points[2 * OVEM_LANDMARK_COUNT]) {
    if (!model || !grey || !box || !points) return OVEM_E_ARGUMENT;
    if (model->model.kind() != OVEM_MODEL_LANDMARKS68) return OVEM_E_ARGUMENT;
    if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide)
        return OVEM_E_ARGUMENT;
    if (!boxUsable(*box, width, height)) return OVEM_E_FACE_BOX;
    const ovem::FaceBox face{box->left, box->top, box->width, box->height};
    if (ovem::boxIsFlat(grey, width, height, face)) return OVEM_E_FLAT_FACE;
    try {
        ovem::LandmarkWorkspace work;
        ovem::landmarkInput(grey, width, height, face, work.input());
        float raw[ovem::kLandmarkOutputs];
        const ovem::Status s = ovem::landmarkForward(model->model, work, raw);
        if (s != ovem::Status::kOk) return static_cast<int>(s);
        ovem::landmarkPointsToFrame(raw, face, points);
        return OVEM_OK;
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}
