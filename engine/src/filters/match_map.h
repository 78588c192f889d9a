#pragma once
// Normalised template matching: score of a mask at every mask-centre position of a scan
// window (MatchMap) or at a stepped subset of them (MatchStepped).

#include <cstdint>

#include "filters/filter_codes.h"
#include "filters/image_view.h"
#include "filters/scratch.h"

namespace ovfc {

enum class MeanMode {
    Estimated,  // window mean and variance
    Fixed,      // mean 128, mean square deviation from 128
};

// Mask-centre columns j0..j1-1 and rows i0..i1-1 (region coordinates).
struct ScanWindow {
    int j0 = 0, j1 = 0, i0 = 0, i1 = 0;
    int width() const { return j1 - j0; }
    int height() const { return i1 - i0; }
};

// The scan window of every position where a mw x mh mask fits into a w x h region.
ScanWindow FullScan(int w, int h, int mw, int mh);

struct MatchResult {
    int score = kRejected;  // truncated best score, 30000 when nothing passed
    int x = 0;              // mask centre, region coordinates
    int y = 0;
};

class ScanTables;

// Scores every position of `scan`; `map` (scan.width() x scan.height() bytes, may be null)
// receives min(255, trunc(score)). Returns 0, 3 (no buffer) or 26 (a window leaves the region).
// With `tables` (kept for this region, see ScanTables) what they hold for this scan, mode and
// mask size is used, and what they lack is made there; the results are the same.
int MatchMap(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
             double varianceFactor, ScanWindow scan, std::uint8_t* map, MatchResult& best,
             ScanTables* tables = nullptr);

// As MatchMap without a map, visiting every rowStep-th row and colStep-th column, then the
// neighbourhood of the best position. `allowed` (region-sized, stride region.width, may be
// null) restricts where the best may lie.
int MatchStepped(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
                 double varianceFactor, ScanWindow scan, int rowStep, int colStep,
                 const std::uint8_t* allowed, MatchResult& best);

}  // namespace ovfc
