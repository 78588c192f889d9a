#include "filters/derivative_match.h"

#include <algorithm>
#include <cmath>

#include "filters/interpolate.h"
#include "filters/scan_tables.h"

namespace ovfc {

namespace {

enum class Kernel { Lap5, Lap13, EdgeH, EdgeV };

// Size reduction and offset of the filtered image for a kernel.
struct KernelShape {
    int dw, dh;  // filtered size = size - (dw, dh)
    int ox, oy;  // filtered (x, y) sits at source (x + ox, y + oy)
};

constexpr Kernel kernelOf(DerivativeKernel k) {
    switch (k) {
        case DerivativeKernel::Laplacian5:
            return Kernel::Lap5;
        case DerivativeKernel::Laplacian13:
            return Kernel::Lap13;
        case DerivativeKernel::EdgeHorizontal:
            return Kernel::EdgeH;
        case DerivativeKernel::EdgeVertical:
            break;
    }
    return Kernel::EdgeV;
}

constexpr KernelShape shapeOf(Kernel k) {
    switch (k) {
        case Kernel::Lap5:
            return {2, 2, 1, 1};
        case Kernel::Lap13:
            return {4, 4, 2, 2};
        case Kernel::EdgeH:
            return {2, 4, 1, 1};
        case Kernel::EdgeV:
            return {4, 2, 1, 1};
    }
    return {0, 0, 0, 0};
}

// Positive part and negative part of the kernel at p (p points at the reference pixel).
template <Kernel K, class P, class A>
inline void parts(const P* p, std::ptrdiff_t s, A& a, A& b) {
    if constexpr (K == Kernel::Lap5) {
        a = p[0];
        b = p[-s] + p[-1] + p[1] + p[s];
    } else if constexpr (K == Kernel::Lap13) {
        a = p[0] + p[-s] + p[-1] + p[1] + p[s];
        b = p[-2 * s] + p[-s - 1] + p[-s + 1] + p[-2] + p[2] + p[s - 1] + p[s + 1] + p[2 * s];
    } else if constexpr (K == Kernel::EdgeH) {
        a = p[-s - 1] + p[-s] + p[-s + 1] + p[-1] + p[0] + p[1];
        b = p[s - 1] + p[s] + p[s + 1] + p[2 * s - 1] + p[2 * s] + p[2 * s + 1];
    } else {
        a = p[-s - 1] + p[-s] + p[-1] + p[0] + p[s - 1] + p[s];
        b = p[-s + 1] + p[-s + 2] + p[1] + p[2] + p[s + 1] + p[s + 2];
    }
}

template <Kernel K>
constexpr double ringWeight() {
    return K == Kernel::Lap5 ? 0.25 : K == Kernel::Lap13 ? 0.625 : 1.0;
}

// Filters and normalises the mask values; false when the result has no variance.
template <Kernel K>
bool filterMask(MaskValues mask, bool absolute, double* out, int fw, int fh) {
    constexpr KernelShape sh = shapeOf(K);
    const int n = fw * fh;
    double sum = 0.0, sq = 0.0;
    for (int y = 0; y < fh; ++y) {
        for (int x = 0; x < fw; ++x) {
            const double* p = mask.values + (y + sh.oy) * mask.width + (x + sh.ox);
            double a, b;
            parts<K>(p, mask.width, a, b);
            double v = a - ringWeight<K>() * b;
            if (absolute) v = std::fabs(v);
            out[y * fw + x] = v;
            sum += v;
            sq += v * v;
        }
    }
    const double mean = absolute ? sum / n : 0.0;
    const double var = sq / n - mean * mean;
    if (!(var > 0.0)) return false;
    const double sd = std::sqrt(var);
    for (int k = 0; k < n; ++k) out[k] = (out[k] - mean) / sd;
    return true;
}

// Filters the region into bytes (value + 128, or its magnitude with the absolute flag).
template <Kernel K>
void filterRegion(ImageView region, double multiplier, bool absolute, std::uint8_t* out, int fw,
                  int fh, int outStride) {
    constexpr KernelShape sh = shapeOf(K);
    double m = multiplier;
    if constexpr (K == Kernel::Lap13) m = multiplier / 5.0;
    if constexpr (K == Kernel::EdgeH || K == Kernel::EdgeV) m = multiplier / 6.0;
    const double km = ringWeight<K>() * m;
    for (int y = 0; y < fh; ++y) {
        const std::uint8_t* src = region.row(y + sh.oy) + sh.ox;
        std::uint8_t* dst = out + static_cast<std::ptrdiff_t>(y) * outStride;
        for (int x = 0; x < fw; ++x) {
            int ia, ib;
            parts<K>(src + x, region.stride, ia, ib);
            double v;
            if constexpr (K == Kernel::EdgeH || K == Kernel::EdgeV)
                v = (ia - ib) * m;
            else
                v = m * ia - km * ib;
            const int t = std::clamp(static_cast<int>(std::clamp(v, -1e9, 1e9)), -128, 127);
            const int stored = t + 128;
            dst[x] = static_cast<std::uint8_t>(absolute ? std::abs(stored - 128) : stored);
        }
    }
}

// With `filtered` (the mask through filterMask<K>, `flat` when that failed) the mask is not
// filtered again.
// With `kept` the filtered region and the scan's tables are taken from there (made there
// first when not ready).
template <Kernel K>
int matchFiltered(Scratch& scratch, MaskValues mask, const double* filtered, bool flat,
                  ImageView region, const DerivativeMatchOptions& opt, FilteredRegion* kept,
                  MatchResult& best) {
    best = MatchResult{};
    constexpr KernelShape sh = shapeOf(K);
    const int mfw = mask.width - sh.dw, mfh = mask.height - sh.dh;
    const int rfw = region.width - sh.dw, rfh = region.height - sh.dh;
    if (mfw <= 0 || mfh <= 0 || rfw < mfw || rfh < mfh) return kFilterOk;

    ScratchArray<double> fmask(scratch);
    if (!filtered) fmask.reset(static_cast<std::size_t>(mfw) * mfh);
    const std::size_t area = static_cast<std::size_t>(rfw) * rfh;
    if (kept != nullptr && kept->capacity < area) kept = nullptr;
    ScratchArray<std::uint8_t> fregion(scratch);
    if (kept == nullptr) fregion.reset(area);
    const ScanWindow scan = FullScan(rfw, rfh, mfw, mfh);
    ScratchArray<std::uint8_t> map(scratch, static_cast<std::size_t>(scan.width()) * scan.height());
    if ((!filtered && !fmask) || (kept == nullptr && !fregion) || !map) return kFilterNoMemory;
    if (!filtered) {
        flat = !filterMask<K>(mask, opt.absolute, fmask.get(), mfw, mfh);
        filtered = fmask.get();
    }
    if (flat) return kFilterOk;
    std::uint8_t* fr = kept != nullptr ? kept->pixels : fregion.get();
    if (kept == nullptr || !kept->ready || kept->width != rfw || kept->height != rfh) {
        filterRegion<K>(region, opt.multiplier, opt.absolute, fr, rfw, rfh, rfw);
        if (kept != nullptr) {
            kept->width = rfw;
            kept->height = rfh;
            kept->ready = true;
            kept->tables.reset();
        }
    }

    const MeanMode mode = opt.absolute ? MeanMode::Estimated : MeanMode::Fixed;
    const int rc = MatchMap(scratch, ImageView{fr, rfw, rfh, rfw}, MaskValues{filtered, mfw, mfh},
                            mode, 0.0, scan, map.get(), best,
                            kept != nullptr ? &kept->tables : nullptr);
    if (rc != kFilterOk) return rc;
    if (best.score == kRejected) return kFilterOk;
    const int mx = best.x - scan.j0, my = best.y - scan.i0;
    if (opt.interpolate && best.score < 255 && mx > 0 && my > 0 && mx < scan.width() - 1 &&
        my < scan.height() - 1) {
        best.score = InterpolateMinimum(NeighbourhoodAt(map.get(), scan.width(), mx, my));
    }
    // Back to the centre of the unfiltered mask.
    best.x += mask.width / 2 - mfw / 2;
    best.y += mask.height / 2 - mfh / 2;
    return kFilterOk;
}

}  // namespace

void FilterRegion(ImageView region, DerivativeKernel kernel, double multiplier, bool absolute,
                  ImageSpan out) {
    switch (kernel) {
        case DerivativeKernel::Laplacian5:
            return filterRegion<Kernel::Lap5>(region, multiplier, absolute, out.pixels, out.width,
                                              out.height, out.stride);
        case DerivativeKernel::Laplacian13:
            return filterRegion<Kernel::Lap13>(region, multiplier, absolute, out.pixels, out.width,
                                               out.height, out.stride);
        case DerivativeKernel::EdgeHorizontal:
            return filterRegion<Kernel::EdgeH>(region, multiplier, absolute, out.pixels, out.width,
                                               out.height, out.stride);
        case DerivativeKernel::EdgeVertical:
            return filterRegion<Kernel::EdgeV>(region, multiplier, absolute, out.pixels, out.width,
                                               out.height, out.stride);
    }
}

int FilteredMaskWidth(DerivativeKernel kernel, int width) {
    return width - shapeOf(kernelOf(kernel)).dw;
}

int FilteredMaskHeight(DerivativeKernel kernel, int height) {
    return height - shapeOf(kernelOf(kernel)).dh;
}

bool FilterMask(MaskValues mask, DerivativeKernel kernel, bool absolute, double* out) {
    const int fw = FilteredMaskWidth(kernel, mask.width);
    const int fh = FilteredMaskHeight(kernel, mask.height);
    if (fw <= 0 || fh <= 0) return false;
    switch (kernel) {
        case DerivativeKernel::Laplacian5:
            return filterMask<Kernel::Lap5>(mask, absolute, out, fw, fh);
        case DerivativeKernel::Laplacian13:
            return filterMask<Kernel::Lap13>(mask, absolute, out, fw, fh);
        case DerivativeKernel::EdgeHorizontal:
            return filterMask<Kernel::EdgeH>(mask, absolute, out, fw, fh);
        case DerivativeKernel::EdgeVertical:
            return filterMask<Kernel::EdgeV>(mask, absolute, out, fw, fh);
    }
    return false;
}

int MatchDerivative(Scratch& scratch, MaskValues mask, const double* filtered, bool flat,
                    ImageView region, DerivativeKernel kernel,
                    const DerivativeMatchOptions& options, MatchResult& best,
                    FilteredRegion* kept) {
    switch (kernel) {
        case DerivativeKernel::Laplacian5:
            return matchFiltered<Kernel::Lap5>(scratch, mask, filtered, flat, region, options,
                                               kept, best);
        case DerivativeKernel::Laplacian13:
            return matchFiltered<Kernel::Lap13>(scratch, mask, filtered, flat, region, options,
                                                kept, best);
        case DerivativeKernel::EdgeHorizontal:
            return matchFiltered<Kernel::EdgeH>(scratch, mask, filtered, flat, region, options,
                                                kept, best);
        case DerivativeKernel::EdgeVertical:
            return matchFiltered<Kernel::EdgeV>(scratch, mask, filtered, flat, region, options,
                                                kept, best);
    }
    return kFilterOk;
}

int MatchLaplacian(Scratch& scratch, MaskValues mask, ImageView region, int filterSize,
                   const DerivativeMatchOptions& options, MatchResult& best) {
    const DerivativeKernel k =
        filterSize == 2 ? DerivativeKernel::Laplacian13 : DerivativeKernel::Laplacian5;
    return MatchDerivative(scratch, mask, nullptr, false, region, k, options, best);
}

int MatchEdge(Scratch& scratch, MaskValues mask, ImageView region, EdgeDirection direction,
              const DerivativeMatchOptions& options, MatchResult& best) {
    const DerivativeKernel k = direction == EdgeDirection::Horizontal
                                   ? DerivativeKernel::EdgeHorizontal
                                   : DerivativeKernel::EdgeVertical;
    return MatchDerivative(scratch, mask, nullptr, false, region, k, options, best);
}

}  // namespace ovfc
