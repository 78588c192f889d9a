#pragma once
// Matching of a mask against a region after both went through the same derivative filter:
// the 5-point (s = 1) and 13-point (s = 2) Laplacians and the 4 x 3 edge kernels.

#include "filters/match_map.h"

namespace ovfc {

enum class EdgeDirection { Horizontal, Vertical };

enum class DerivativeKernel { Laplacian5, Laplacian13, EdgeHorizontal, EdgeVertical };

// Filters a region as the matchers do: trunc(response x multiplier), clamped to -128..127,
// stored + 128 (or the magnitude with `absolute`). `out` is (width, height) smaller by 2 or 4
// as the kernel needs; the first output pixel belongs to source pixel (1, 1) ((2, 2) for the
// 13-point Laplacian).
void FilterRegion(ImageView region, DerivativeKernel kernel, double multiplier, bool absolute,
                  ImageSpan out);

struct DerivativeMatchOptions {
    bool absolute = false;     // match the magnitudes of the filter responses
    double multiplier = 1.0;   // "lap1_filt_mult", "lap2_filt_mult" or "edge_filt_mult"
    bool interpolate = false;  // refine an interior minimum ("ConvI_inter")
};

// Best score and its position (mask centre in region coordinates).
int MatchLaplacian(Scratch& scratch, MaskValues mask, ImageView region, int filterSize,
                   const DerivativeMatchOptions& options, MatchResult& best);
int MatchEdge(Scratch& scratch, MaskValues mask, ImageView region, EdgeDirection direction,
              const DerivativeMatchOptions& options, MatchResult& best);

}  // namespace ovfc
