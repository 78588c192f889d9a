#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "filters/filter_codes.h"
#include "filters/position_maps.h"

namespace ovfc {

int EyeEdgeMap(Scratch& scratch, ImageView region, int lx, int ly, const EyeEdgeParams& prm,
               std::uint8_t* map) {
    const int w = region.width, h = region.height;
    if (w <= 0 || h <= 0) return kFilterOk;
    std::memset(map, 0, static_cast<std::size_t>(w) * h);
    const int rx = prm.rx, ry = prm.ry;
    double r = prm.edgeFactor * (prm.greyHigh - prm.greyLow);
    if (!(r < prm.edgeFactorMax)) r = prm.edgeFactorMax;
    const long long threshold = static_cast<long long>((2 * rx + 1) * (ry + 1) * r);

    // Strength rows ry .. h-ry-2, columns rx .. w-rx-1.
    const int y0 = ry, y1 = h - ry - 1, x0 = rx, x1 = w - rx;
    if (y1 <= y0 || x1 <= x0) return kFilterOk;
    const int sw = x1 - x0, sh = y1 - y0;
    ScratchArray<int> strength(scratch, static_cast<std::size_t>(sw) * sh);
    ScratchArray<int> colSum(scratch, static_cast<std::size_t>(w) * (h + 1));
    ScratchArray<int> votes(scratch, static_cast<std::size_t>(w + 1) * (h + 1));
    if (!strength || !colSum || !votes) return kFilterNoMemory;

    // colSum[y][x]: sum of column x over rows 0..y-1.
    int* cs = colSum.get();
    std::fill_n(cs, w, 0);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* p = region.row(y);
        for (int x = 0; x < w; ++x) cs[(y + 1) * w + x] = cs[y * w + x] + p[x];
    }
    for (int y = y0; y < y1; ++y) {
        // Upper block rows y-ry..y, lower block rows y+1..y+1+ry.
        const int* ua = cs + (y - ry) * w;
        const int* ub = cs + (y + 1) * w;
        const int* lb = cs + (y + 2 + ry) * w;
        int* sr = strength.get() + static_cast<std::ptrdiff_t>(y - y0) * sw;
        int up = 0, dn = 0;
        for (int x = x0 - rx; x < x0 + rx; ++x) {
            up += ub[x] - ua[x];
            dn += lb[x] - ub[x];
        }
        for (int x = x0; x < x1; ++x) {
            up += ub[x + rx] - ua[x + rx];
            dn += lb[x + rx] - ub[x + rx];
            sr[x - x0] = std::abs(up - dn);
            up -= ub[x - rx] - ua[x - rx];
            dn -= lb[x - rx] - ub[x - rx];
        }
    }

    // Votes by a 2-D difference array over the boxes of the voting edges.
    int* vd = votes.get();
    std::fill_n(vd, static_cast<std::size_t>(w + 1) * (h + 1), 0);
    for (int k = 0; k < sh; ++k) {
        const int* sr = strength.get() + static_cast<std::ptrdiff_t>(k) * sw;
        const int* above = k > 0 ? sr - sw : nullptr;
        const int* below = k + 1 < sh ? sr + sw : nullptr;
        const int y = y0 + k;
        for (int i = 0; i < sw; ++i) {
            const int s = sr[i];
            if (s <= threshold) continue;
            if (below && !(s > below[i])) continue;
            if (above && s < above[i]) continue;
            const int x = x0 + i;
            const int xa = std::max(0, x - lx), xb = std::min(w - 1, x + lx) + 1;
            const int ya = std::max(0, y - ly), yb = std::min(h - 1, y + ly) + 1;
            vd[ya * (w + 1) + xa] += 1;
            vd[ya * (w + 1) + xb] -= 1;
            vd[yb * (w + 1) + xa] -= 1;
            vd[yb * (w + 1) + xb] += 1;
        }
    }
    const int need = (2 * lx + 1) * (2 * ly + 1) * prm.roughThreshold / 500;
    for (int y = 0; y <= h; ++y) {
        int* row = vd + y * (w + 1);
        for (int x = 1; x <= w; ++x) row[x] += row[x - 1];
        if (y > 0) {
            const int* prev = row - (w + 1);
            for (int x = 0; x <= w; ++x) row[x] += prev[x];
        }
    }
    for (int y = 0; y < h; ++y) {
        const int* row = vd + y * (w + 1);
        std::uint8_t* mr = map + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int v = std::min(row[x], 255);  // one byte a pixel, saturating
            mr[x] = v >= need ? 1 : 0;
        }
    }
    return kFilterOk;
}

}  // namespace ovfc
