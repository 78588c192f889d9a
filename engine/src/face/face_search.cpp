#include "face/face_search.h"

#include <algorithm>

#include "filters/derivative_match.h"
#include "filters/interpolate.h"
#include "filters/position_maps.h"
#include "status.h"

namespace ovfc {

namespace {

constexpr int kListCapacity = 80;

inline int rounded(double v) {
    return static_cast<int>(v + 0.5);
}

struct FaceCandidate {
    int x, y;
    int mapScore;
    int refinedScore;
    int combinedScore;
    int bestStep;
    int state;  // -1 available, -2 duplicate, 0 already output
};

// Lowest local minimum of the score map around (u, v) at radius R; value and position in
// region coordinates. False when there is none.
int searchNeighbourhood(Scratch& scratch, ImageView region, MaskValues mask,
                        const FaceSearchParams& p, int u, int v, bool& found, Candidate& best) {
    found = false;
    const int R = p.extrSearchRadi;
    const int bx = mask.width / 2, by = mask.height / 2;
    const ScanWindow scan{std::max(bx, u - R - 1), std::min(region.width - bx - 1, u + R + 2),
                          std::max(by, v - R - 1), std::min(region.height - by - 1, v + R + 2)};
    if (scan.width() < 3 || scan.height() < 3) return kFilterOk;
    const int cols = scan.width(), rows = scan.height();
    // At most (2R + 3)^2 entries; small.
    ScratchArray<std::uint8_t> map(scratch, static_cast<std::size_t>(cols) * rows);
    if (!map) return kFilterNoMemory;
    MatchResult unused;
    const int rc = MatchMap(scratch, region, mask, MeanMode::Estimated, p.varianceTr * p.varianceTr,
                            scan, map.get(), unused);
    if (rc != kFilterOk) return rc;
    int bestValue = 0, bc = 0, br = 0;
    for (int r = 1; r < rows - 1; ++r) {
        for (int c = 1; c < cols - 1; ++c) {
            if (!IsLocalMinimum(map.get(), cols, c, r)) continue;
            const int d = map[static_cast<std::size_t>(r) * cols + c];
            if (!found || d <= bestValue) {
                found = true;
                bestValue = d;
                bc = c;
                br = r;
            }
        }
    }
    if (!found) return kFilterOk;
    if (p.serchInter) bestValue = InterpolateMinimum(NeighbourhoodAt(map.get(), cols, bc, br));
    best = {bestValue, bc + scan.j0, br + scan.i0};
    return kFilterOk;
}

}  // namespace

int RefineScore(Scratch& scratch, ImageView image, MaskValues mask, const FaceSearchParams& p,
                int x, int y, double r, int yShift, int& refined) {
    const int mw = mask.width, mh = mask.height;
    ResampledRegion region(scratch);
    int rc = region.build(image, SearchWindow{x, x, y, y}, r, yShift, mw, mh, mw + 3, mh + 3);
    if (rc != kFilterOk) return rc;
    DerivativeMatchOptions opt;
    opt.interpolate = p.convIInter != 0;
    opt.multiplier = p.lap2FiltMult;
    MatchResult s2;
    rc = MatchLaplacian(scratch, mask, region.view(), 2, opt, s2);
    if (rc != kFilterOk) return rc;
    refined = static_cast<int>(s2.score * 225.0 / ((mw - 4) * (mh - 4)));
    if (p.estimationNum == 2) {
        opt.multiplier = p.lap1FiltMult;
        MatchResult s1;
        rc = MatchLaplacian(scratch, mask, region.view(), 1, opt, s1);
        if (rc != kFilterOk) return rc;
        refined = static_cast<int>((refined + 1 + s1.score * 225.0 / ((mw - 2) * (mh - 2))) / 2);
    }
    return kFilterOk;
}

int FindFaces(Scratch& scratch, ImageView image, SearchWindow window, MaskValues mask,
              const FaceSearchParams& p, int capacity, FaceHit* hits, int& count) {
    count = 0;
    const int mw = mask.width, mh = mask.height;
    const int area = mw * mh;
    const int yShift = p.faceMaskYShift;
    const double scale0 = p.faceMaskUnit / p.faceStartUnit;

    // First scale: full search.
    ResampledRegion region(scratch);
    int rc = region.build(image, window, scale0, yShift, mw, mh, mw, mh);
    if (rc != kFilterOk) return rc;
    RegionGeometry geo = region.geometry();

    ScratchArray<std::uint8_t> allowed(
        scratch, p.faceCond == 2 ? static_cast<std::size_t>(geo.width) * geo.height : 1);
    if (!allowed) return kFilterNoMemory;
    if (p.faceCond == 2) {
        rc = RidgeMap(scratch, region.view(), p.faceCondShift, p.faceRoughTr, allowed.get());
        if (rc != kFilterOk) return rc;
    }

    Candidate found[kListCapacity];
    int n = 0;
    MatchResult globalMin;
    CandidateOptions copt;
    copt.thresholdFactor = p.searchTr;
    copt.thresholdCap = area * p.maxTr / 225;
    copt.varianceTr = p.varianceTr;
    copt.interpolate = p.serchInter != 0;
    copt.edgeSearch = p.edgeSerch != 0;
    rc = FindCandidates(scratch, region.view(), mask, p.faceCond == 2 ? allowed.get() : nullptr,
                        copt, kListCapacity, found, n, globalMin);
    if (rc == -1) return kNoFace;
    if (rc != kFilterOk) return rc;

    FaceCandidate list[kListCapacity];
    for (int k = 0; k < n; ++k) {
        FaceCandidate& c = list[k];
        c.x = static_cast<int>(found[k].x / scale0 + geo.originX);
        c.y = static_cast<int>((found[k].y - yShift) / scale0 + geo.originY);
        rc = RefineScore(scratch, image, mask, p, c.x, c.y, scale0, yShift, c.refinedScore);
        if (rc != kFilterOk) return rc;
        c.mapScore = static_cast<int>(225.0 / area * found[k].value);
        c.combinedScore = c.mapScore + rounded(c.refinedScore * p.dWeight);
        c.bestStep = 0;
        c.state = -1;
    }

    // Further scales: the neighbourhood of every candidate.
    double r = scale0;
    for (int k = 1; k < p.stepsNum; ++k) {
        r *= 1 + p.unStep;
        rc = region.build(image, window, r, yShift, mw, mh, mw, mh);
        if (rc != kFilterOk) return rc;
        geo = region.geometry();
        for (int i = 0; i < n; ++i) {
            FaceCandidate& c = list[i];
            const int u = rounded((c.x - geo.originX) * r);
            const int v = rounded((c.y - geo.originY) * r);
            bool ok;
            Candidate m;
            rc = searchNeighbourhood(scratch, region.view(), mask, p, u, v, ok, m);
            if (rc != kFilterOk) return rc;
            if (!ok) continue;
            const int x2 = static_cast<int>(m.x / r + geo.originX);
            const int y2 = static_cast<int>((m.y - yShift) / r + geo.originY);
            int refined2;
            rc = RefineScore(scratch, image, mask, p, x2, y2, r, yShift, refined2);
            if (rc != kFilterOk) return rc;
            const int map2 = static_cast<int>(m.value * 225.0 / area);
            const int combined2 = map2 + rounded(refined2 * p.dWeight);
            if (combined2 < c.combinedScore) {
                c = {x2, y2, map2, refined2, combined2, k, -1};
            }
        }
    }

    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (list[j].state == -1 && list[i].x == list[j].x && list[i].y == list[j].y)
                list[j].state = -2;

    const int outputs = std::min(capacity - 1, n);
    for (int o = 0; o < outputs; ++o) {
        int pick = -1;
        for (int i = 0; i < n; ++i)
            if (list[i].state == -1 &&
                (pick < 0 || list[i].combinedScore < list[pick].combinedScore))
                pick = i;
        if (pick < 0 || list[pick].combinedScore >= 30000) break;
        FaceCandidate& c = list[pick];
        c.state = 0;
        int unit;
        if (p.eyesStartUnit >= 0) {
            int u = static_cast<int>(p.faceStartUnit);
            for (int s = 0; s < c.bestStep - p.scaleShift; ++s)
                u = static_cast<int>(u / (1 + p.unStep));
            unit = static_cast<int>(u + p.eyesStartUnit);
        } else {
            unit = static_cast<int>(-p.eyesStartUnit);
        }
        hits[count++] = {c.x, c.y, c.combinedScore, unit};
    }
    return kFilterOk;
}

}  // namespace ovfc
