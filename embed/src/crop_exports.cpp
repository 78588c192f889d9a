// The C interface of the face box from the eyes and of the aligned crop.
#include <cmath>

#include "crop_align.h"
#include "landmark_box.h"
#include "ovem32.h"

namespace {

constexpr double kMinCropSide = 8.0;
constexpr double kMaxCropSide = 8192.0;
constexpr double kMaxCentre = 16384.0;

}  // namespace

extern "C" OVEM_API int OvEmFaceBoxFromEyes(float xl, float yl, float xr, float yr,
                                            OvEmBox* box) {
    if (!box) return OVEM_E_ARGUMENT;
    const ovem::Eyes e{xl, yl, xr, yr};
    if (!std::isfinite(xl) || !std::isfinite(yl) || !std::isfinite(xr) || !std::isfinite(yr))
        return OVEM_E_ARGUMENT;
    if (!ovem::eyesUsable(e)) return OVEM_E_FACE_BOX;
    const ovem::FaceBox b = ovem::boxFromEyes(e);
    *box = OvEmBox{b.left, b.top, b.width, b.height};
    return OVEM_OK;
}

extern "C" OVEM_API int OvEmAlignedCrop(const uint8_t* grey, int width, int height,
                                        const float points[2 * OVEM_LANDMARK_COUNT],
                                        uint8_t crop[OVEM_CROP_SIDE * OVEM_CROP_SIDE]) {
    if (!grey || !points || !crop) return OVEM_E_ARGUMENT;
    if (width < 1 || height < 1 || width > 32767 || height > 32767) return OVEM_E_ARGUMENT;
    ovem::CropPlacement p;
    if (!ovem::cropPlacement(points, p)) return OVEM_E_ARGUMENT;
    if (!(p.side >= kMinCropSide && p.side <= kMaxCropSide) ||
        !(std::fabs(p.centreX) <= kMaxCentre && std::fabs(p.centreY) <= kMaxCentre))
        return OVEM_E_FACE_BOX;
    ovem::alignedCrop(grey, width, height, p, ovem::CropAlignment::kUpright, crop);
    return OVEM_OK;
}
