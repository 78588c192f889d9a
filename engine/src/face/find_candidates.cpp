#include "face/find_candidates.h"

#include <algorithm>

#include "filters/interpolate.h"

namespace ovfc {

int FindCandidates(Scratch& scratch, ImageView region, MaskValues mask, const std::uint8_t* allowed,
                   const CandidateOptions& opt, int capacity, Candidate* out, int& count,
                   MatchResult& globalMin) {
    count = 0;
    globalMin = MatchResult{};
    const ScanWindow scan = FullScan(region.width, region.height, mask.width, mask.height);
    if (scan.width() <= 0 || scan.height() <= 0 || capacity < 2) return -1;
    const int cols = scan.width(), rows = scan.height();
    ScratchArray<std::uint8_t> map(scratch, static_cast<std::size_t>(cols) * rows);
    if (!map) return kFilterNoMemory;
    const int rc = MatchMap(scratch, region, mask, MeanMode::Estimated,
                            opt.varianceTr * opt.varianceTr, scan, map.get(), globalMin);
    if (rc != kFilterOk) return rc;
    if (globalMin.score == kRejected) return -1;

    const int threshold =
        opt.thresholdFactor >= 30000
            ? kRejected
            : static_cast<int>(std::min(globalMin.score * opt.thresholdFactor, opt.thresholdCap));
    const int bx = scan.j0, by = scan.i0;
    const int slots = capacity - 1;
    for (int r = 1; r < rows - 1; ++r) {
        const std::uint8_t* mrow = map.get() + static_cast<std::ptrdiff_t>(r) * cols;
        const std::uint8_t* arow =
            allowed ? allowed + static_cast<std::ptrdiff_t>(r + by) * region.width + bx : nullptr;
        for (int c = 1; c < cols - 1; ++c) {
            if (arow && !arow[c]) continue;
            if (mrow[c] > threshold) continue;
            if (!IsLocalMinimum(map.get(), cols, c, r)) continue;
            int value = mrow[c];
            if (opt.interpolate) value = InterpolateMinimum(NeighbourhoodAt(map.get(), cols, c, r));
            Candidate& slot = out[count < slots ? count++ : slots - 1];
            slot = {value, c + bx, r + by};
        }
    }
    if (count == 0 && opt.edgeSearch) {
        const int c = globalMin.x - bx, r = globalMin.y - by;
        if (c == 0 || c == cols - 1 || r == 0 || r == rows - 1) {
            out[0] = {globalMin.score, globalMin.x, globalMin.y};
            count = 1;
        }
    }
    return count == 0 ? -1 : 0;
}

}  // namespace ovfc
