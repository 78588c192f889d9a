#pragma once
// Shared scoring core of the matchers: window sums and sums of squares from integral images
// (exact integers, so the mean and variance equal those of a direct double summation), and
// the sum of absolute differences against the normalised mask.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "filters/match_map.h"
#include "filters/scan_tables.h"
#include "filters/window_sums.h"

namespace ovfc::detail {

class WindowScorer {
  public:
    // With `tables` the integral images and grey levels kept there for this region are used
    // (made there first when they were made for another scan, mode or mask size, or not at
    // all); without, or when they do not fit, they are made in `scratch`.
    WindowScorer(Scratch& scratch, ImageView region, MaskValues mask, MeanMode mode,
                 ScanWindow scan, ScanTables* tables = nullptr);
    // 0, 3 or 26.
    int status() const { return status_; }

    // Score of the mask centred at (j, i), or 30000 when the window fails the variance test
    // (B <= threshold; the threshold is h x global variance, 0 in fixed-mean mode). The sum
    // stops early, with a partial sum above `limit`, once it exceeds `limit`: its terms are
    // non-negative, so the full sum could only be larger.
    double score(int j, int i, double threshold, double limit = kRejectedScore) {
        double a, b;
        moments(j, i, a, b);
        if (b <= threshold) return kRejectedScore;
        const double sd = std::sqrt(b);
        const std::uint8_t* p =
            region_.pixels + static_cast<std::ptrdiff_t>(i - by_) * region_.stride + (j - bx_);
        if (n_ < kTableArea)
            return distance(p, limit, [a, sd](std::uint8_t g) { return (g - a) / sd; });
        // Large masks: the normalised value of each grey level once, the same division.
        for (int k = 0; k < 256; ++k) level_[k] = (k - a) / sd;
        return distance(p, limit, [this](std::uint8_t g) { return level_[g]; });
    }

    // score() of the kBatch windows centred at (j + k, i), k = 0 .. kBatch - 1, into out[k],
    // with one limit for all: each value is the exact score, or a partial sum above `limit`
    // (the one-window loop may stop at another row, but above the same limit: every use of
    // the scores compares them with a best that is at most the limit).
    void scoreBatch(int j, int i, double threshold, double limit, double* out) const {
        if (padded_) return scoreByLevel(j, kBatch, i, threshold, limit, out);
        double mean[kBatch], sd[kBatch], start[kBatch];
        for (int k = 0; k < kBatch; ++k) moments(j + k, i, threshold, mean[k], sd[k], start[k]);
        const std::uint8_t* p =
            region_.pixels + static_cast<std::ptrdiff_t>(i - by_) * region_.stride + (j - bx_);
        BatchDistances(mask_.values, mask_.width, mask_.height, p, region_.stride, mean, sd, start,
                       limit, out);
        for (int k = 0; k < kBatch; ++k)
            if (start[k] != 0.0) out[k] = kRejectedScore;
    }

    // Whether scoreRow takes rows of `width` windows.
    bool scoresRows(int width) const {
        return padded_ && width >= kBatch && width <= kBatch * kMaxGroups;
    }
    // As scoreBatch for the windows centred at (j + k, i), k = 0 .. width - 1, all at once
    // (only where scoresRows(width)).
    void scoreRow(int j, int width, int i, double threshold, double limit, double* out) const {
        scoreByLevel(j, width, i, threshold, limit, out);
    }

  private:
    // Mean, deviation and start of the sum of window (j, i) for the batches: a window that
    // fails the variance test starts at +infinity and needs no sum.
    void moments(int j, int i, double threshold, double& mean, double& sd, double& start) const {
        double a, b;
        moments(j, i, a, b);
        const bool rejected = b <= threshold;
        mean = rejected ? 0.0 : a;
        sd = rejected ? 1.0 : std::sqrt(b);
        start = rejected ? HUGE_VAL : 0.0;
    }

    // The windows (j .. j + width - 1, i), width in kBatch .. kBatch * kMaxGroups, in batches of
    // kBatch (the last one moved back to end at the last window), each grey level of the
    // region divided once per window.
    void scoreByLevel(int j, int width, int i, double threshold, double limit, double* out) const {
        const int groups = (width + kBatch - 1) / kBatch;
        const int levels = hi_ - lo_ + 1;
        int offset[kMaxGroups];
        double start[kBatch * kMaxGroups], sums[kBatch * kMaxGroups];
        double table[256 * kBatch * kMaxGroups];
        for (int b = 0; b < groups; ++b) {
            offset[b] = std::min(b * kBatch, width - kBatch);
            // The table's lanes in reverse order.
            double mean[kBatch], sd[kBatch];
            for (int k = 0; k < kBatch; ++k)
                moments(j + offset[b] + k, i, threshold, mean[kBatch - 1 - k], sd[kBatch - 1 - k],
                        start[b * kBatch + k]);
            NormalisedLevels(levels_, levelCount_, lo_, mean, sd,
                             table + static_cast<std::ptrdiff_t>(b) * levels * kBatch);
        }
        const std::uint8_t* p =
            region_.pixels + static_cast<std::ptrdiff_t>(i - by_) * region_.stride + (j - bx_);
        BatchDistancesByLevel(padded_.get(), mask_.width, mask_.height, p, region_.stride, table,
                              static_cast<std::ptrdiff_t>(levels) * kBatch, lo_, offset, groups,
                              start, limit, sums);
        for (int b = 0; b < groups; ++b)
            for (int k = 0; k < kBatch; ++k)
                out[offset[b] + k] =
                    start[b * kBatch + k] != 0.0 ? kRejectedScore : sums[b * kBatch + k];
    }

    // Window mean a and variance b (or mean square deviation from 128) of the window centred
    // at (j, i), from the integral images.
    void moments(int j, int i, double& a, double& b) const {
        const int x = j - bx_ - xa_, y = i - by_ - ya_;
        const std::int64_t* s0 = s_ + static_cast<std::ptrdiff_t>(y) * iw_ + x;
        const std::int64_t* s1 = s0 + static_cast<std::ptrdiff_t>(mask_.height) * iw_;
        const std::int64_t* q0 = q_ + static_cast<std::ptrdiff_t>(y) * iw_ + x;
        const std::int64_t* q1 = q0 + static_cast<std::ptrdiff_t>(mask_.height) * iw_;
        const int mw = mask_.width;
        const std::int64_t s = s1[mw] - s1[0] - s0[mw] + s0[0];
        const std::int64_t q = q1[mw] - q1[0] - q0[mw] + q0[0];
        if (mode_ == MeanMode::Estimated) {
            a = static_cast<double>(s) / n_;
            b = static_cast<double>(q) / n_ - a * a;
        } else {
            a = 128.0;
            b = static_cast<double>(q - 256 * s + 16384 * static_cast<std::int64_t>(n_)) / n_;
        }
    }

    // Sum of |mask value - normalised pixel| over the window at p, stopping once above limit.
    template <class Normalised>
    double distance(const std::uint8_t* p, double limit, Normalised normalised) const {
        const double* v = mask_.values;
        double total = 0.0;
        for (int r = 0; r < mask_.height; ++r, p += region_.stride) {
            for (int c = 0; c < mask_.width; ++c) total += std::fabs(*v++ - normalised(p[c]));
            if (total > limit) return total;
        }
        return total;
    }

    // Mask pixels per grey level of the region from which the batches look the levels up
    // (a sum may stop after a few rows, while the table is made whole).
    static constexpr int kLevelsPerPixel = 4;
    // Mask area from which a table of the 256 normalised levels beats a division per pixel.
    static constexpr int kTableArea = 512;

    ScratchArray<std::int64_t> sum_;  // the integral images when none are kept
    ScratchArray<std::int64_t> sq_;
    const std::int64_t* s_ = nullptr;  // the integral images used
    const std::int64_t* q_ = nullptr;
    // The mask padded for the level tables; only where the region has few grey levels.
    ScratchArray<double> padded_;
    ImageView region_;
    MaskValues mask_;
    MeanMode mode_;
    int bx_, by_, xa_, ya_, iw_ = 0, n_;
    int status_ = kFilterOk;
    int lo_ = 0, hi_ = 255;        // grey levels of the scanned part of the region
    std::uint8_t levelList_[256];  // the levels that occur there, ascending (when not kept)
    const std::uint8_t* levels_ = levelList_;  // the list used
    int levelCount_ = 0;
    double level_[256];  // normalised grey levels of the current window
};

// Variance of the first n bytes of a buffer (memory order), mean of squares minus squared mean.
double BufferVariance(const std::uint8_t* bytes, std::int64_t n);

}  // namespace ovfc::detail
