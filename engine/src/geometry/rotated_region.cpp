#include "geometry/rotated_region.h"

#include <algorithm>
#include <cmath>

#include "face/search_region.h"
#include "filters/filter_codes.h"
#include "filters/resample.h"
#include "geometry/region_cache.h"

namespace ovfc {

int RotatedRegion(int imageW, int imageH, double slope, const RegionRequest& q,
                  RotatedGeometry& out) {
    const double cosA = 1.0 / std::sqrt(1.0 + slope * slope);
    const double sinA = slope * cosA;
    const double E = q.scale;
    // No region exists without a finite positive scale (a unit of 0, say).
    if (!(E > 0) || !std::isfinite(E)) return kFilterBadGeometry;
    const double cx0 = (q.xMin + q.xMax + 1) / 2.0;
    const double cy0 = (q.yMin + q.yMax + 1) / 2.0;
    const int iw = std::max(q.minW, static_cast<int>((q.xMax - q.xMin) * E + q.maskW + 0.9999));
    const int ih = std::max(q.minH, static_cast<int>((q.yMax - q.yMin) * E + q.maskH + 0.9999));

    const double bw = (std::fabs(sinA) * ih + cosA * iw) / E;
    const double bh = (std::fabs(sinA) * iw + cosA * ih) / E;
    double left = cx0 - bw / 2, right = cx0 + bw / 2;
    double top = cy0 - bh / 2 + q.yShift / E, bottom = cy0 + bh / 2 + q.yShift / E;
    if (q.mode == BorderMode::Shift) {
        MoveInside(left, right, imageW - 1);
        MoveInside(top, bottom, imageH - 1);
    } else {
        left = std::max(left, 0.0);
        right = std::min(right, imageW - 1.0);
        top = std::max(top, 0.0);
        bottom = std::min(bottom, imageH - 1.0);
    }

    const double widthReal = iw - E * (bw - (right - left)) / cosA;
    const double heightReal = ih - E * (bh - (bottom - top)) / cosA;
    out.width = static_cast<int>(widthReal + 0.00001);
    out.height = static_cast<int>(heightReal + 0.00001);
    out.cx = cosA / E;
    out.sx = sinA / E;
    out.scale = E;
    out.slope = slope;
    const double u = left + (out.cx - out.sx) / 2;
    const double v = top + (out.cx + out.sx) / 2;
    if (slope > 0) {
        out.ox = u + sinA * heightReal / E;
        out.oy = v;
    } else {
        out.ox = u;
        out.oy = v - sinA * widthReal / E;
    }
    return (out.width < q.maskW || out.height < q.maskH) ? kFilterBadGeometry : kFilterOk;
}

void RotatedBuffer::release() {
    if (pixels_) scratch_.giveBack(pixels_);
    pixels_ = nullptr;
}

int RotatedBuffer::build(ImageView image, double slope, const RegionRequest& request,
                         RegionCache* cache) {
    release();
    const int rc = RotatedRegion(image.width, image.height, slope, request, geo_);
    if (rc != kFilterOk) return rc;
    pixels_ = static_cast<std::uint8_t*>(
        scratch_.take(static_cast<std::size_t>(geo_.width) * geo_.height));
    if (!pixels_) return kFilterNoMemory;
    if (cache != nullptr && cache->find(geo_, pixels_)) return kFilterOk;
    ResampleRotated(image, geo_.ox, geo_.oy, geo_.scale, geo_.cx, geo_.sx,
                    ImageSpan{pixels_, geo_.width, geo_.height, geo_.width});
    if (cache != nullptr) cache->keep(geo_, pixels_);
    return kFilterOk;
}

}  // namespace ovfc
