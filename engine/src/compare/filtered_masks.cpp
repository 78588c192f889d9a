#include "compare/filtered_masks.h"

#include <cstring>
#include <new>

#include "filters/derivative_match.h"

namespace ovfc {

DerivativeKernel KernelOfBit(int bit) {
    switch (bit) {
        case 1:
        case 5:
            return DerivativeKernel::Laplacian5;
        case 2:
        case 6:
            return DerivativeKernel::Laplacian13;
        case 3:
        case 7:
            return DerivativeKernel::EdgeHorizontal;
        default:
            return DerivativeKernel::EdgeVertical;
    }
}

const double* FilteredMasks::find(int id, int bit, MaskValues mask, bool& flat) {
    if (id < 0 || id >= kElementCount || bit < 1 || bit > kFilters || mask.values == nullptr ||
        mask.width <= 0 || mask.height <= 0)
        return nullptr;
    Entry& e = entries_[id][bit - 1];
    const std::size_t n = static_cast<std::size_t>(mask.width) * mask.height;
    if (e.ready && e.width == mask.width && e.height == mask.height &&
        std::memcmp(mask.values, e.source.data(), n * sizeof(double)) == 0) {
        ++hits_;
        flat = e.flat;
        return e.values.data();
    }
    e.ready = false;
    const DerivativeKernel k = KernelOfBit(bit);
    const int fw = FilteredMaskWidth(k, mask.width), fh = FilteredMaskHeight(k, mask.height);
    if (fw <= 0 || fh <= 0) return nullptr;
    try {
        // Both keep their capacity: no allocation once masks of this size were seen.
        e.source.assign(mask.values, mask.values + n);
        e.values.resize(static_cast<std::size_t>(fw) * fh);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    e.width = mask.width;
    e.height = mask.height;
    e.flat = !FilterMask(mask, k, bit >= 5, e.values.data());
    e.ready = true;
    flat = e.flat;
    return e.values.data();
}

void FilteredMasks::clear() {
    for (auto& row : entries_)
        for (Entry& e : row) e.ready = false;
}

}  // namespace ovfc
