#pragma once
// The sums of absolute differences of the template matchers for several windows side by
// side: each window's sum is added up in the order of a window alone (row by row, left to
// right), so every sum is bit for bit that of the one-window loop.

#include <cstddef>
#include <cstdint>

namespace ovfc::detail {

// Windows scored together.
inline constexpr int kBatch = 4;

// For k = 0 .. kBatch - 1, the window whose first pixel is p + k: out[k] = start[k] plus the
// sum over the mask rows and columns of |values[r][c] - (pixel - mean[k]) / sd[k]|. Stops
// after a row once every sum is above `limit`; the sums are then partial, each above limit.
// A start of +infinity marks a window that needs no sum.
void BatchDistances(const double* values, int mw, int mh, const std::uint8_t* p,
                    std::ptrdiff_t stride, const double* mean, const double* sd,
                    const double* start, double limit, double* out);

// levels[g * kBatch + k] = (lo + g - mean[k]) / sd[k] for g = 0 .. count - 1.
void NormalisedLevels(int lo, int count, const double* mean, const double* sd, double* levels);

// As BatchDistances with the normalised grey levels looked up instead of divided:
// levels[(g - lo) * kBatch + k] = (g - mean[k]) / sd[k] for every grey level g of the windows
// (lo is the smallest), the same values the division gives.
void BatchDistancesByLevel(const double* values, int mw, int mh, const std::uint8_t* p,
                           std::ptrdiff_t stride, const double* levels, int lo, const double* start,
                           double limit, double* out);

}  // namespace ovfc::detail
