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

// Size of a mask after `kernel`: smaller by 2 or 4 as for the region.
int FilteredMaskWidth(DerivativeKernel kernel, int width);
int FilteredMaskHeight(DerivativeKernel kernel, int height);

// The mask as the matchers filter it: the kernel's response (its magnitude with `absolute`)
// at each inner position, then scaled to deviation 1 (and mean 0 with `absolute`). `out`
// holds FilteredMaskWidth x FilteredMaskHeight doubles. False when the filtered mask is
// empty or has no variance (no match is made with it; `out` is then not for use).
bool FilterMask(MaskValues mask, DerivativeKernel kernel, bool absolute, double* out);

struct FilteredRegion;

// The matcher of `kernel`. With `filtered` (FilterMask of `mask` with the same kernel and
// options.absolute, `flat` when it returned false) the mask is not filtered again; with
// nullptr it is filtered here. With `kept` (for this region, kernel and options; reset to not
// ready when it held another) the filtered region and the scan's tables come from there, made
// there first when not ready; one too small for the region is not used. Results are those of
// MatchLaplacian and MatchEdge.
int MatchDerivative(Scratch& scratch, MaskValues mask, const double* filtered, bool flat,
                    ImageView region, DerivativeKernel kernel,
                    const DerivativeMatchOptions& options, MatchResult& best,
                    FilteredRegion* kept = nullptr);

// Best score and its position (mask centre in region coordinates).
int MatchLaplacian(Scratch& scratch, MaskValues mask, ImageView region, int filterSize,
                   const DerivativeMatchOptions& options, MatchResult& best);
int MatchEdge(Scratch& scratch, MaskValues mask, ImageView region, EdgeDirection direction,
              const DerivativeMatchOptions& options, MatchResult& best);

}  // namespace ovfc
