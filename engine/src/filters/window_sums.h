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

// For each grey level g = list[0 .. count - 1]: levels[(g - lo) * kBatch + k] =
// (g - mean[k]) / sd[k]. Other entries are left as they are.
void NormalisedLevels(const std::uint8_t* list, int count, int lo, const double* mean,
                      const double* sd, double* levels);

// Row length of a mask padded for BatchDistancesByLevel: kBatch - 1 zeros on either side.
inline constexpr int PaddedWidth(int mw) {
    return mw + 2 * (kBatch - 1);
}
// padded[r * PaddedWidth(mw) + kBatch - 1 + c] = values[r * mw + c], zeros around.
void PadMask(const double* values, int mw, int mh, double* padded);

// Batches of kBatch windows summed side by side by BatchDistancesByLevel.
inline constexpr int kMaxGroups = 4;

// As BatchDistances for `groups` (1 .. kMaxGroups) batches at once, batch b being the windows
// whose first pixels are p + offset[b] + k, with the normalised grey levels looked up instead
// of divided and the mask padded by PadMask. Batch b's table starts at levels + b * tableStride:
// entry (g - lo) * kBatch + kBatch - 1 - k is (g - mean) / sd of its window k (the lanes in
// reverse order) for every grey level g of the windows, the same value the division gives;
// its start and out values are start[b * kBatch + k] and out[b * kBatch + k]. The sums walk
// each batch's pixels once for its four windows: at pixel q of a row, window k adds the term
// of mask column q - k. Stops after a row once every sum of every batch is above `limit`.
void BatchDistancesByLevel(const double* padded, int mw, int mh, const std::uint8_t* p,
                           std::ptrdiff_t stride, const double* levels, std::ptrdiff_t tableStride,
                           int lo, const int* offset, int groups, const double* start, double limit,
                           double* out);

}  // namespace ovfc::detail
