#pragma once
// Local minima of a template score map that pass a threshold: the candidates of a search.

#include <cstdint>

#include "filters/match_map.h"

namespace ovfc {

struct Candidate {
    int value = 0;  // map value (or its refinement)
    int x = 0;      // mask centre, region coordinates
    int y = 0;
};

struct CandidateOptions {
    double thresholdFactor = 0;  // times the global minimum; >= 30000: no threshold
    double thresholdCap = 0;
    double varianceTr = 0;     // windows need variance > varianceTr^2 x global variance
    bool interpolate = false;  // refine stored values with InterpolateMinimum
    bool edgeSearch = false;   // fall back to a global minimum on the map border
};

// Scores every position of the region where the mask fits and collects the local minima
// into `out` (capacity - 1 entries at most; once full the last entry is overwritten).
// `allowed` (region-sized, may be null) is read at the mask centre. Returns 0 with count and
// the global minimum, -1 when nothing is found, or 3.
int FindCandidates(Scratch& scratch, ImageView region, MaskValues mask, const std::uint8_t* allowed,
                   const CandidateOptions& options, int capacity, Candidate* out, int& count,
                   MatchResult& globalMin);

// The 3 x 3 minimum test: all eight neighbours >= D and none of them 255.
inline bool IsLocalMinimum(const std::uint8_t* map, int stride, int x, int y) {
    const std::uint8_t* c = map + static_cast<std::ptrdiff_t>(y) * stride + x;
    const int d = *c;
    const std::uint8_t* rows[3] = {c - stride, c, c + stride};
    for (const std::uint8_t* r : rows) {
        for (int k = -1; k <= 1; ++k) {
            if (r == c && k == 0) continue;
            if (r[k] < d || r[k] == 255) return false;
        }
    }
    return true;
}

}  // namespace ovfc
