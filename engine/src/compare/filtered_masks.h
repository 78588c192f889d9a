#pragma once
// A comparison's masks through the derivative filters, kept across its unit steps: the
// unit search measures the same masks at several units, and a filtered mask depends on the
// mask's values and the filter only. An entry is found by those values, so a mask that
// changed is filtered anew.
//
// Belongs to one call at a time (a workspace's or a state's); not thread-safe.

#include <cstdint>
#include <vector>

#include "../face_context.h"
#include "../filters/image_view.h"

namespace ovfc {

enum class DerivativeKernel;

// The derivative filter of descriptor filter bit 1..8 (bits 5..8: the magnitudes).
DerivativeKernel KernelOfBit(int bit);

class FilteredMasks {
  public:
    static constexpr int kFilters = 8;  // the derivative filter bits 1..8

    FilteredMasks() = default;
    FilteredMasks(const FilteredMasks&) = delete;
    FilteredMasks& operator=(const FilteredMasks&) = delete;

    // The values of mask `id` (0 .. kElementCount - 1) through the filter of descriptor bit
    // `bit` (1..8), as FilterMask gives them; `flat` tells that FilterMask returned false.
    // Filtered on the first request for these mask values, then kept. nullptr when `id` or
    // `bit` is out of range or memory is short (the caller then filters itself).
    const double* find(int id, int bit, MaskValues mask, bool& flat);
    // Drops every kept mask; the memory stays for the next ones.
    void clear();

    // Requests answered with a kept mask (for tests and benchmarks).
    std::uint64_t hits() const { return hits_; }

  private:
    struct Entry {
        std::vector<double> source;  // the mask values filtered
        std::vector<double> values;  // their filtered values
        int width = 0, height = 0;
        bool flat = false;
        bool ready = false;
    };
    Entry entries_[kElementCount][kFilters];
    std::uint64_t hits_ = 0;
};

}  // namespace ovfc
