#include "filters/match_map.h"

#include <algorithm>

#include "filters/scan_tables.h"
#include "filters/window_scorer.h"

namespace ovfc {

namespace detail {

namespace {

// Extent of the region part covered by the windows of a scan (empty when it does not fit).
struct Cover {
    int xa, ya, w, h;
    bool fits;
};

Cover coverOf(ImageView region, MaskValues mask, ScanWindow scan) {
    const int bx = mask.width / 2, by = mask.height / 2;
    Cover c{scan.j0 - bx, scan.i0 - by, scan.width() - 1 + mask.width,
            scan.height() - 1 + mask.height, true};
    if (scan.width() <= 0 || scan.height() <= 0) return {0, 0, 0, 0, true};
    c.fits = c.xa >= 0 && c.ya >= 0 && c.xa + c.w <= region.width && c.ya + c.h <= region.height;
    return c;
}

// Integral images of the c.w x c.h part of the region at (c.xa, c.ya) into s and q (rows of
// c.w + 1), and the grey levels that occur there, ascending.
void integrate(ImageView region, const Cover& c, std::int64_t* s, std::int64_t* q,
               std::uint8_t* levelList, int& levelCount) {
    const int iw = c.w + 1;
    std::fill_n(s, iw, 0);
    std::fill_n(q, iw, 0);
    bool seen[256] = {};
    for (int y = 0; y < c.h; ++y) {
        const std::uint8_t* p = region.row(c.ya + y) + c.xa;
        for (int x = 0; x < c.w; ++x) seen[p[x]] = true;
        std::int64_t* s0 = s + static_cast<std::ptrdiff_t>(y) * iw;
        std::int64_t* q0 = q + static_cast<std::ptrdiff_t>(y) * iw;
        std::int64_t* s1 = s0 + iw;
        std::int64_t* q1 = q0 + iw;
        std::int64_t rs = 0, rq = 0;
        s1[0] = 0;
        q1[0] = 0;
        for (int x = 0; x < c.w; ++x) {
            const std::int64_t v = p[x];
            rs += v;
            rq += v * v;
            s1[x + 1] = s0[x + 1] + rs;
            q1[x + 1] = q0[x + 1] + rq;
        }
    }
    levelCount = 0;
    for (int g = 0; g < 256; ++g)
        if (seen[g]) levelList[levelCount++] = static_cast<std::uint8_t>(g);
}

}  // namespace

WindowScorer::WindowScorer(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
                           ScanWindow scan, ScanTables* tables)
    : sum_(scratch),
      sq_(scratch),
      padded_(scratch),
      region_(region),
      mask_(mask),
      mode_(mode),
      bx_(mask.width / 2),
      by_(mask.height / 2),
      n_(mask.width * mask.height) {
    const Cover c = coverOf(region, mask, scan);
    xa_ = c.xa;
    ya_ = c.ya;
    if (!c.fits || mask.width <= 0 || mask.height <= 0) {
        status_ = kFilterBadGeometry;
        return;
    }
    iw_ = c.w + 1;
    const std::size_t cells = static_cast<std::size_t>(c.w + 1) * (c.h + 1);
    if (tables != nullptr && !tables->matches(mode, scan.j0, scan.j1, scan.i0, scan.i1, mask.width,
                                                    mask.height)) {
        tables->ready = false;
        if (2 * cells * sizeof(std::int64_t) <= tables->bytes()) {
            std::int64_t* s = tables->memory();
            integrate(region, c, s, s + cells, tables->levelList, tables->levelCount);
            tables->mode = mode;
            tables->scanJ0 = scan.j0;
            tables->scanJ1 = scan.j1;
            tables->scanI0 = scan.i0;
            tables->scanI1 = scan.i1;
            tables->maskW = mask.width;
            tables->maskH = mask.height;
            tables->sum = s;
            tables->sq = s + cells;
            tables->ready = true;
        } else {
            tables = nullptr;  // too large to keep: made here
        }
    }
    if (tables != nullptr) {
        s_ = tables->sum;
        q_ = tables->sq;
        levels_ = tables->levelList;
        levelCount_ = tables->levelCount;
    } else {
        sum_.reset(cells);
        sq_.reset(cells);
        if (!sum_ || !sq_) {
            status_ = kFilterNoMemory;
            return;
        }
        s_ = sum_.get();
        q_ = sq_.get();
        integrate(region, c, sum_.get(), sq_.get(), levelList_, levelCount_);
        levels_ = levelList_;
    }
    lo_ = levelCount_ ? levels_[0] : 0;
    hi_ = levelCount_ ? levels_[levelCount_ - 1] : 0;
    if (kLevelsPerPixel * levelCount_ <= n_) {
        padded_.reset(static_cast<std::size_t>(PaddedWidth(mask.width)) * mask.height);
        if (!padded_) {
            status_ = kFilterNoMemory;
            return;
        }
        PadMask(mask.values, mask.width, mask.height, padded_.get());
    }
}

double BufferVariance(const std::uint8_t* bytes, std::int64_t n) {
    if (n <= 0) return 0.0;
    std::int64_t s = 0, q = 0;
    for (std::int64_t k = 0; k < n; ++k) {
        s += bytes[k];
        q += static_cast<std::int64_t>(bytes[k]) * bytes[k];
    }
    const double mean = static_cast<double>(s) / n;
    return static_cast<double>(q) / n - mean * mean;
}

}  // namespace detail

ScanWindow FullScan(int w, int h, int mw, int mh) {
    const int bx = mw / 2, by = mh / 2;
    return {bx, w - mw + bx + 1, by, h - mh + by + 1};
}

namespace {

// Scans of this many windows and more are seeded with the score of their centre.
constexpr int kSeededScan = 16;

inline std::uint8_t mapEntry(double score) {
    return score > 255.0 ? std::uint8_t{255} : static_cast<std::uint8_t>(score);
}

// Variance threshold of the scan; false when the region's global variance is 0.
bool varianceThreshold(ImageView region, MeanMode mode, double h, ScanWindow scan, double& t) {
    t = 0.0;
    if (mode != MeanMode::Estimated || !(h > 0.0)) return true;
    const double g = detail::BufferVariance(
        region.pixels, static_cast<std::int64_t>(scan.width()) * scan.height());
    if (g <= 0.0) return false;
    t = h * g;
    return true;
}

}  // namespace

int MatchMap(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
             double varianceFactor, ScanWindow scan, std::uint8_t* map, MatchResult& best,
             ScanTables* tables) {
    best = MatchResult{};
    if (scan.width() <= 0 || scan.height() <= 0) return kFilterOk;
    const int mapW = scan.width();
    double threshold;
    if (!varianceThreshold(region, mode, varianceFactor, scan, threshold)) {
        if (map) std::fill_n(map, static_cast<std::size_t>(mapW) * scan.height(), 255);
        return kFilterOk;
    }
    detail::WindowScorer scorer(scratch, region, mask, mode, scan, tables);
    if (scorer.status() != kFilterOk) return scorer.status();

    double bestScore = kRejectedScore;
    // The score of the scan's centre, where a comparison expects the mask, bounds the
    // minimum from the start: a window above it cannot be the best, so its sum may stop
    // there rather than at the running best, which starts high.
    // Where whole rows are scored at once, the centre's row is scored first, exactly (no
    // limit), and its scores are taken when the scan reaches it.
    const bool rows = scorer.scoresRows(mapW);
    const int centreRow = scan.i0 + scan.height() / 2;
    double centre[detail::kBatch * detail::kMaxGroups];
    bool centreScored = false;
    double seed = kRejectedScore;
    if (mapW * scan.height() >= kSeededScan) {
        if (rows) {
            scorer.scoreRow(scan.j0, mapW, centreRow, threshold, kRejectedScore, centre);
            centreScored = true;
            seed = centre[mapW / 2];
        } else {
            seed = scorer.score(scan.j0 + mapW / 2, centreRow, threshold);
        }
    }
    // With a map, a window needs its exact score only below 255 or below the best; a sum
    // above the limit is partial and never taken.
    auto limit = [&] {
        const double l = std::min(bestScore, seed);
        return map ? std::max(l, 255.0) : l;
    };
    auto take = [&](std::uint8_t* mrow, int j, int i, double s, double l) {
        if (mrow) mrow[j - scan.j0] = mapEntry(s);
        if (s <= l && s < bestScore) {
            bestScore = s;
            best.x = j;
            best.y = i;
        }
    };
    for (int i = scan.i0; i < scan.i1; ++i) {
        std::uint8_t* mrow = map ? map + static_cast<std::ptrdiff_t>(i - scan.i0) * mapW : nullptr;
        if (rows) {
            // The whole row at once, taken in scan order.
            double s[detail::kBatch * detail::kMaxGroups];
            const double* row = s;
            const double l = limit();
            if (centreScored && i == centreRow)
                row = centre;
            else
                scorer.scoreRow(scan.j0, mapW, i, threshold, l, s);
            for (int j = scan.j0; j < scan.j1; ++j) take(mrow, j, i, row[j - scan.j0], l);
            continue;
        }
        if (mapW < detail::kBatch) {
            for (int j = scan.j0; j < scan.j1; ++j) {
                const double l = limit();
                take(mrow, j, i, scorer.score(j, i, threshold, l), l);
            }
            continue;
        }
        // kBatch windows at a time, taken in scan order; the last batch is moved back to end
        // at the row's end (its first windows are scored twice, used once).
        for (int j = scan.j0; j < scan.j1; j += detail::kBatch) {
            const int at = std::min(j, scan.j1 - detail::kBatch);
            double s[detail::kBatch];
            const double l = limit();
            scorer.scoreBatch(at, i, threshold, l, s);
            const int end = std::min(j + detail::kBatch, scan.j1);
            for (int k = j; k < end; ++k) take(mrow, k, i, s[k - at], l);
        }
    }
    best.score = static_cast<int>(bestScore);
    return kFilterOk;
}

int MatchStepped(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
                 double varianceFactor, ScanWindow scan, int rowStep, int colStep,
                 const std::uint8_t* allowed, MatchResult& best) {
    best = MatchResult{};
    if (scan.width() <= 0 || scan.height() <= 0) return kFilterOk;
    rowStep = std::max(1, rowStep);
    colStep = std::max(1, colStep);
    double threshold;
    if (!varianceThreshold(region, mode, varianceFactor, scan, threshold)) {
        if (!allowed) {
            double s = 0.0;
            const int n = mask.width * mask.height;
            for (int k = 0; k < n; ++k) s += std::fabs(mask.values[k]);
            best.score = static_cast<int>(s);
        }
        return kFilterOk;
    }
    detail::WindowScorer scorer(scratch, region, mask, mode, scan);
    if (scorer.status() != kFilterOk) return scorer.status();

    double bestScore = kRejectedScore;
    auto visit = [&](int j, int i) {
        if (allowed && !allowed[static_cast<std::ptrdiff_t>(i) * region.width + j]) return;
        const double s = scorer.score(j, i, threshold, bestScore);
        if (s < bestScore) {
            bestScore = s;
            best.x = j;
            best.y = i;
        }
    };
    for (int i = scan.i0; i < scan.i1; i += rowStep) {
        if (colStep > 1 || scan.width() < detail::kBatch) {
            for (int j = scan.j0; j < scan.j1; j += colStep) visit(j, i);
            continue;
        }
        // Every column: kBatch windows at a time, as in MatchMap.
        const std::uint8_t* arow =
            allowed ? allowed + static_cast<std::ptrdiff_t>(i) * region.width : nullptr;
        for (int j = scan.j0; j < scan.j1; j += detail::kBatch) {
            const int end = std::min(j + detail::kBatch, scan.j1);
            if (arow && std::find_if(arow + j, arow + end, [](std::uint8_t a) { return a != 0; }) ==
                            arow + end)
                continue;
            const int at = std::min(j, scan.j1 - detail::kBatch);
            double s[detail::kBatch];
            scorer.scoreBatch(at, i, threshold, bestScore, s);
            for (int k = j; k < end; ++k) {
                if (arow && !arow[k]) continue;
                if (s[k - at] < bestScore) {
                    bestScore = s[k - at];
                    best.x = k;
                    best.y = i;
                }
            }
        }
    }

    if ((rowStep > 1 || colStep > 1) && bestScore < kRejectedScore) {
        const int bi = best.y, bj = best.x;
        const int ia = std::max(scan.i0, bi - rowStep + 1), ib = std::min(scan.i1, bi + rowStep);
        const int ja = std::max(scan.j0, bj - colStep + 1), jb = std::min(scan.j1, bj + colStep);
        for (int i = ia; i < ib; ++i)
            for (int j = ja; j < jb; ++j) visit(j, i);
    }
    best.score = static_cast<int>(bestScore);
    return kFilterOk;
}

}  // namespace ovfc
