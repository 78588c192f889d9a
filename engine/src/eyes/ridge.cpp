// The bright ridge between the eyes: a grey profile across the bridge of the nose, summed
// along lines parallel to the eye line, must rise above both its sides.
#include <algorithm>

#include "config_store.h"
#include "eyes/eye_search.h"
#include "status.h"

namespace ovfc {

int CheckRidge(FaceContext& ctx, Scratch& scratch, bool& present) {
    present = false;
    const ConfigStore& c = ctx.config;
    const double lineSize = c.readReal("param", "Line_size");
    const double lineX = c.readReal("param", "Line_X");
    const int dLineY = c.readInt("param", "dLine_Y");
    const int ridgeMin = c.readInt("param", "Face_ridge_min");
    const ElementRecord& el = ctx.elements[kEyeLeft];
    const ElementRecord& er = ctx.elements[kEyeRight];
    const int xl = el.xC, yl = el.yC, xr = er.xC, yr = er.yC;
    const int d = xr - xl;
    if (d <= 0 || !(lineX > 0) || !(lineSize >= 0)) return kOk;
    const int s = static_cast<int>(d / (4 * lineX));
    const int h = std::max(s - dLineY, 0);
    const int l = static_cast<int>(d * lineSize * 0.5);
    const int n = 2 * l + 1;
    if (l > 4 * ctx.image.width) return kOk;  // a profile far wider than the image says nothing

    ScratchArray<long long> profile(scratch, static_cast<std::size_t>(n));
    ScratchArray<long long> mean(scratch, static_cast<std::size_t>(n));
    if (!profile || !mean) return kNoMemory;
    std::fill_n(profile.get(), n, 0LL);
    const int W = ctx.image.width, H = ctx.image.height;
    const std::uint8_t* px = ctx.image.data();
    const int my = (yl + yr) / 2, mx = (xl + xr) / 2;
    for (int y = my - h; y <= my + h; ++y) {
        if (y < 0 || y >= H) continue;
        for (int k = std::max(mx - l, 0); k <= mx + l && k < W; ++k) {
            const int row = static_cast<int>(y + static_cast<double>((k - mx) * (yr - yl)) / d);
            if (row < 0 || row >= H) continue;  // the line leaves the image here
            profile[k - (mx - l)] += px[static_cast<std::size_t>(row) * W + k];
        }
    }
    if (s > 0) {
        for (int i = 0; i < n; ++i) mean[i] = 0;
        for (int i = s; i <= 2 * l - s; ++i) {
            long long sum = 0;
            for (int k = i - s; k <= i + s; ++k) sum += profile[k];
            mean[i] = sum / (2 * s + 1);
        }
        std::copy_n(mean.get(), n, profile.get());
    }
    int m = l / 3;
    long long o = profile[m];
    for (int i = l / 3; i <= 5 * l / 3; ++i)
        if (profile[i] > o) {
            o = profile[i];
            m = i;
        }
    long long t1 = o, t2 = o;
    for (int i = s; i < m; ++i) t1 = std::min(t1, profile[i]);
    for (int i = m + 1; i <= 2 * l - s; ++i) t2 = std::min(t2, profile[i]);
    const long long t = std::max(t1, t2);
    present = (o - t) / (2 * h + 1) >= ridgeMin;
    return kOk;
}

}  // namespace ovfc
