#include "face/search_region.h"

#include <algorithm>

#include "filters/filter_codes.h"
#include "filters/resample.h"

namespace ovfc {

void MoveInside(double& lo, double& hi, double limit) {
    if (lo < 0) {
        hi -= lo;
        lo = 0;
    }
    if (hi > limit) {
        lo -= hi - limit;
        hi = limit;
        if (lo < 0) lo = 0;
    }
}

int SearchRegion(int imageW, int imageH, SearchWindow w, double r, int yShift, int maskW, int maskH,
                 int minW, int minH, RegionGeometry& out) {
    const double cx = (w.xMin + w.xMax + 1) / 2.0;
    const double cy = (w.yMin + w.yMax + 1) / 2.0;
    const double t = 1.0 / r;
    const int uw = static_cast<int>((w.xMax - w.xMin) * r + maskW + 0.9999);
    const double hx = t * std::max(minW, uw) / 2;
    const int uh = static_cast<int>((w.yMax - w.yMin) * r + maskH + 0.9999);
    const double hy = t * std::max(minH, uh) / 2;
    double left = cx - hx, right = cx + hx;
    double top = cy - hy + t * yShift, bottom = cy + hy + t * yShift;
    MoveInside(left, right, imageW - 1);
    MoveInside(top, bottom, imageH - 1);
    out.originX = left + t / 2;
    out.originY = top + t / 2;
    out.scale = r;
    out.width = static_cast<int>(r * (right - left) + 0.00001);
    out.height = static_cast<int>(r * (bottom - top) + 0.00001);
    return (out.width < maskW || out.height < maskH) ? kFilterBadGeometry : kFilterOk;
}

void ResampledRegion::release() {
    if (pixels_) scratch_.giveBack(pixels_);
    pixels_ = nullptr;
}

int ResampledRegion::build(ImageView image, SearchWindow window, double r, int yShift, int maskW,
                           int maskH, int minW, int minH) {
    release();
    const int rc =
        SearchRegion(image.width, image.height, window, r, yShift, maskW, maskH, minW, minH, geo_);
    if (rc != kFilterOk) return rc;
    pixels_ = static_cast<std::uint8_t*>(
        scratch_.take(static_cast<std::size_t>(geo_.width) * geo_.height));
    if (!pixels_) return kFilterNoMemory;
    return ResampleArea(scratch_, image, geo_.originX, geo_.originY, r,
                        ImageSpan{pixels_, geo_.width, geo_.height, geo_.width});
}

}  // namespace ovfc
