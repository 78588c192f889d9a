#include <gtest/gtest.h>

#include <vector>

#include "compare/filtered_masks.h"
#include "filters/derivative_match.h"
#include "filters_test_util.h"

namespace ovfc {
namespace {

std::vector<double> Filtered(const std::vector<double>& v, int w, int h, int bit, bool& ok) {
    const DerivativeKernel k = KernelOfBit(bit);
    std::vector<double> f(static_cast<std::size_t>(FilteredMaskWidth(k, w)) *
                          FilteredMaskHeight(k, h));
    ok = FilterMask({v.data(), w, h}, k, bit >= 5, f.data());
    return f;
}

TEST(FilteredMasks, KeepsEachFilterOfEachMaskAndRefiltersChangedValues) {
    FilteredMasks cache;
    const int w = 12, h = 10;
    std::vector<double> a = test::Normalise(test::Noise(w, h, 3));
    const std::vector<double> b = test::Normalise(test::Noise(w, h, 4));
    for (int bit = 1; bit <= 8; ++bit) {
        bool ok = false, flat = true;
        const std::vector<double> want = Filtered(a, w, h, bit, ok);
        ASSERT_TRUE(ok);
        const double* got = cache.find(2, bit, {a.data(), w, h}, flat);
        ASSERT_NE(got, nullptr);
        EXPECT_FALSE(flat);
        EXPECT_EQ(std::vector<double>(got, got + want.size()), want) << bit;
    }
    EXPECT_EQ(cache.hits(), 0u);
    // Asked again for the same values: kept; another element keeps its own.
    bool flat = false;
    const double* again = cache.find(2, 3, {a.data(), w, h}, flat);
    EXPECT_EQ(cache.hits(), 1u);
    const double* other = cache.find(5, 3, {b.data(), w, h}, flat);
    EXPECT_EQ(cache.hits(), 1u);
    EXPECT_NE(again, other);

    // One value of the mask changed: filtered anew, not the kept values.
    a[17] += 0.25;
    bool ok = false;
    const std::vector<double> changed = Filtered(a, w, h, 3, ok);
    const double* got = cache.find(2, 3, {a.data(), w, h}, flat);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(cache.hits(), 1u);
    EXPECT_EQ(std::vector<double>(got, got + changed.size()), changed);

    // Same values in another shape: filtered for that shape.
    const std::vector<double> reshaped = Filtered(a, h, w, 3, ok);
    got = cache.find(2, 3, {a.data(), h, w}, flat);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(std::vector<double>(got, got + reshaped.size()), reshaped);

    cache.clear();
    cache.find(2, 3, {a.data(), h, w}, flat);
    EXPECT_EQ(cache.hits(), 1u);
}

TEST(FilteredMasks, FlatMasksAndRequestsOutOfRange) {
    FilteredMasks cache;
    const std::vector<double> flatMask(64, 0.5), v = test::Normalise(test::Noise(8, 8, 9));
    bool flat = false;
    ASSERT_NE(cache.find(0, 1, {flatMask.data(), 8, 8}, flat), nullptr);
    EXPECT_TRUE(flat);
    // The flag is kept with the values.
    flat = false;
    cache.find(0, 1, {flatMask.data(), 8, 8}, flat);
    EXPECT_TRUE(flat);
    EXPECT_EQ(cache.hits(), 1u);
    EXPECT_EQ(cache.find(-1, 1, {v.data(), 8, 8}, flat), nullptr);
    EXPECT_EQ(cache.find(kElementCount, 1, {v.data(), 8, 8}, flat), nullptr);
    EXPECT_EQ(cache.find(0, 0, {v.data(), 8, 8}, flat), nullptr);
    EXPECT_EQ(cache.find(0, 9, {v.data(), 8, 8}, flat), nullptr);
    EXPECT_EQ(cache.find(0, 2, {v.data(), 4, 8}, flat), nullptr);  // nothing left after 5 x 5
    EXPECT_EQ(cache.find(0, 2, {nullptr, 8, 8}, flat), nullptr);
}

TEST(FilteredMasks, BitsGiveTheirKernels) {
    EXPECT_EQ(KernelOfBit(1), DerivativeKernel::Laplacian5);
    EXPECT_EQ(KernelOfBit(6), DerivativeKernel::Laplacian13);
    EXPECT_EQ(KernelOfBit(7), DerivativeKernel::EdgeHorizontal);
    EXPECT_EQ(KernelOfBit(4), DerivativeKernel::EdgeVertical);
    EXPECT_EQ(KernelOfBit(8), DerivativeKernel::EdgeVertical);
}

}  // namespace
}  // namespace ovfc
