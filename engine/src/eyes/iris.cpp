// The iris detector: two dark-blob templates (9 x 5 and 5 x 5) slid over a region around
// each eye; the eye centre moves onto the chosen response peak.
#include <algorithm>

#include "config_store.h"
#include "eyes/eye_search.h"
#include "geometry/face_geometry.h"
#include "geometry/rotated_region.h"
#include "status.h"

namespace ovfc {

namespace {

constexpr int kBlockW = 9, kBlockH = 5, kMaxPeaks = 20;

int sumRow(const std::uint8_t* p, int from, int to) {
    int s = 0;
    for (int c = from; c <= to; ++c) s += p[c];
    return s;
}

// Response of one template from its means; 0 unless the middle is a dark blob between
// brighter sides of similar contrast.
double response(double L, double M, double R, double Mb, double s) {
    if (R >= M && M <= L && L - M <= s * (R - M) && R - M <= s * (L - M) && M <= Mb)
        return (R + L) / 2 - M;
    return 0.0;
}

// Strength of the templates with top-left corner at p (row stride `stride`).
int strengthAt(const std::uint8_t* p, int stride, double s) {
    const std::uint8_t* r0 = p;
    const std::uint8_t* r1 = p + stride;
    const std::uint8_t* r2 = p + 2 * stride;
    const std::uint8_t* r3 = p + 3 * stride;
    const std::uint8_t* r4 = p + 4 * stride;
    const int mb = sumRow(r3, 3, 5) + sumRow(r4, 3, 5);
    const int wl = sumRow(r0, 0, 1) + sumRow(r1, 0, 1) + sumRow(r2, 0, 2);
    const int wm = sumRow(r0, 2, 6) + sumRow(r1, 2, 6) + sumRow(r2, 3, 5);
    const int wr = sumRow(r0, 7, 8) + sumRow(r1, 7, 8) + sumRow(r2, 6, 8);
    const int nl = r0[2] + r1[2] + r2[2];
    const int nm = sumRow(r0, 3, 5) + sumRow(r1, 3, 5) + sumRow(r2, 3, 5);
    const int nr = r0[6] + r1[6] + r2[6];
    const double mbMean = mb / 6.0;
    const double wide = response(wl / 7.0, wm / 13.0, wr / 7.0, mbMean, s);
    const double narrow = response(nl / 3.0, nm / 9.0, nr / 3.0, mbMean, s);
    const double v = std::max(wide, narrow);
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
}

struct Peak {
    int c = 0, r = 0, strength = 0;
};

// Block position of the iris in the region, or false when nothing responds.
int findIris(Scratch& scratch, ImageView region, double s, int& col, int& row, bool& found) {
    found = false;
    const int mw = region.width - kBlockW + 1, mh = region.height - kBlockH + 1;
    if (mw <= 0 || mh <= 0) return kOk;
    ScratchArray<std::uint8_t> map(scratch, static_cast<std::size_t>(mw) * mh);
    if (!map) return kNoMemory;
    int strongest = 0, sc = 0, sr = 0;
    for (int r = 0; r < mh; ++r) {
        for (int c = 0; c < mw; ++c) {
            const int v = strengthAt(region.row(r) + c, region.stride, s);
            map[static_cast<std::size_t>(r) * mw + c] = static_cast<std::uint8_t>(v);
            if (v > strongest) {
                strongest = v;
                sc = c;
                sr = r;
            }
        }
    }
    if (strongest <= 0) return kOk;
    found = true;

    Peak peaks[kMaxPeaks];
    int n = 0;
    for (int r = 1; r < mh - 1 && n < kMaxPeaks; ++r) {
        for (int c = 1; c < mw - 1 && n < kMaxPeaks; ++c) {
            const int v = map[static_cast<std::size_t>(r) * mw + c];
            if (2 * v <= strongest) continue;
            bool top = true;
            for (int dr = -1; dr <= 1 && top; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    if (map[static_cast<std::size_t>(r + dr) * mw + c + dc] > v) {
                        top = false;
                        break;
                    }
            if (top) peaks[n++] = Peak{c, r, v};
        }
    }
    if (n == 0) {
        col = sc;
        row = sr;
        return kOk;
    }
    int lead = 0;
    for (int i = 1; i < n; ++i)
        if (peaks[i].strength > peaks[lead].strength) lead = i;
    int choice = lead;
    if (n > 1) {
        int strong = 0, bestDark = 256;
        for (int i = 0; i < n; ++i) {
            const Peak& p = peaks[i];
            int dark = 255;
            if (2 * p.strength > peaks[lead].strength) {
                ++strong;
                const std::uint8_t* b = region.row(p.r) + p.c;
                dark = (sumRow(b, 1, 3) + sumRow(b + region.stride, 1, 3) +
                        sumRow(b + 2 * region.stride, 1, 3)) /
                       9;
            }
            if (2 * p.strength <= peaks[lead].strength) continue;
            if (dark < bestDark || (dark == bestDark && p.strength > peaks[choice].strength)) {
                bestDark = dark;
                choice = i;
            }
        }
        if (strong <= 1) choice = lead;
    }
    col = peaks[choice].c;
    row = peaks[choice].r;
    return kOk;
}

}  // namespace

int FindIrises(FaceContext& ctx, Scratch& scratch) {
    const ConfigStore& c = ctx.config;
    if (ctx.unit.unit <= 0) return kOk;
    const double scale = c.readReal("mask", "eye_mask_unit") / ctx.unit.unit;
    const int xcmp = c.readInt("param", "iris_srch_xcmp");
    const int ycmp = c.readInt("param", "iris_srch_ycmp");
    const double s = c.readReal("param", "spec.eye_mask_tr");
    bool moved = false;
    for (int id = kEyeLeft; id <= kEyeRight; ++id) {
        ElementRecord& e = ctx.elements[id];
        const RegionRequest q{.xMin = e.xMin,
                              .xMax = e.xMax,
                              .yMin = e.yMin,
                              .yMax = e.yMax,
                              .scale = scale,
                              .yShift = 0.0,
                              .maskW = kBlockW,
                              .maskH = kBlockH,
                              .minW = kBlockW + 2 * xcmp,
                              .minH = kBlockH + 2 * ycmp,
                              .mode = BorderMode::Shift};
        RotatedBuffer region(scratch);
        const int rc = BuildEyeLineRegion(ctx, q, region);
        if (rc == kNoMemory) return rc;
        if (rc != kOk) continue;
        int col = 0, row = 0;
        bool found = false;
        if (const int frc = findIris(scratch, region.view(), s, col, row, found); frc != kOk)
            return frc;
        if (!found) continue;
        const RotatedGeometry& g = region.geometry();

        // The dark rows of the block are 0..2: the iris centre lies on row 1 of it.
        const double ic = col + 4, ir = row + 1;
        const auto x = static_cast<std::int32_t>(g.ox - ir * g.sx + ic * g.cx);
        const auto y = static_cast<std::int32_t>(ir * g.cx + g.oy + ic * g.sx + 0.15);
        if (x != e.xC || y != e.yC) moved = true;
        e.xC = x;
        e.yC = y;
    }
    if (moved) CentreEyeWindows(ctx, 2.0);
    return kOk;
}

}  // namespace ovfc
