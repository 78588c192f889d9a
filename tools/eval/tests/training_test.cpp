#include "training.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MaskAverage, ContrastAndBrightnessDoNotWeightThePatches) {
    // Two 3 x 2 patches, stored with a stride of 4: a ramp, and the opposite ramp at a tenth
    // of its contrast. Plain averaging would keep most of the ramp; normalised, they cancel.
    const std::vector<std::uint8_t> ramp = {0, 50, 100, 9, 150, 200, 250, 9};
    const std::vector<std::uint8_t> weak = {135, 130, 125, 9, 120, 115, 110, 9};
    ovfc_eval::MaskAverage a(3, 2);
    ASSERT_TRUE(a.add(ramp.data(), 4));
    ASSERT_TRUE(a.add(weak.data(), 4));
    EXPECT_EQ(a.count(), 2);
    const auto flat = a.result();
    ASSERT_EQ(flat.size(), 6u);
    // A flat average comes out at the mean grey of the patches: (125 + 122.5) / 2.
    for (const auto v : flat) EXPECT_EQ(v, 124);
}

TEST(MaskAverage, KeepsTheShapeAtTheMeanGreyAndDeviation) {
    const std::vector<std::uint8_t> p = {10, 20, 30, 40};
    const std::vector<std::uint8_t> q = {110, 130, 150, 170};  // same shape, twice the contrast
    ovfc_eval::MaskAverage a(2, 2);
    ASSERT_TRUE(a.add(p.data(), 2));
    ASSERT_TRUE(a.add(q.data(), 2));
    // Normalised values -1.5, -0.5, 0.5, 1.5 times 10 / sqrt(125); back at the mean grey
    // (25 + 140) / 2 = 82.5 and the mean deviation (sqrt(125) + sqrt(500)) / 2.
    EXPECT_EQ(a.result(), (std::vector<std::uint8_t>{60, 75, 90, 105}));
}

TEST(MaskAverage, FlatPatchesAreNotCounted) {
    const std::vector<std::uint8_t> flat(6, 77);
    ovfc_eval::MaskAverage a(3, 2);
    EXPECT_FALSE(a.add(flat.data(), 3));
    EXPECT_EQ(a.count(), 0);
    EXPECT_TRUE(a.result().empty());
}

TEST(FitEntry, ReferenceIsTheOwnMedianAndSeparationIsSigned) {
    const auto f = ovfc_eval::fitEntry({100, 110, 120}, {200, 210, 220});
    EXPECT_EQ(f.reference, 110);
    // Means 110 and 210, both deviations sqrt(200/3).
    EXPECT_NEAR(f.separation, 100 / 8.16497, 1e-4);
    const auto reversed = ovfc_eval::fitEntry({200, 210, 220}, {100, 110, 120});
    EXPECT_NEAR(reversed.separation, -f.separation, 1e-9);
    EXPECT_EQ(ovfc_eval::fitEntry({0.2, 0.4}, {5}).reference, 1);
    EXPECT_EQ(ovfc_eval::fitEntry({}, {5}).separation, 0.0);
}

}  // namespace

namespace {

TEST(SelectEntries, TakesSeparatingEntriesAndLeavesNoiseOut) {
    // Entry 0 separates (own 100, strangers 130), entry 1 is noise of the same size for both,
    // entry 2 separates like entry 0 with independent scatter, so that together they do
    // better than either; entry 3 separates but is not a candidate.
    std::vector<std::vector<double>> own, stranger;
    for (int i = 0; i < 25; ++i) {
        const double e0 = (i % 5) * 5.0, e2 = (i / 5) * 5.0, noise = ((i * 7) % 11) * 10.0;
        own.push_back({100 + e0, 100 + noise, 100 + e2, 100});
        stranger.push_back({130 + e2, 100 + noise, 130 + e0, 200});
    }
    const std::vector<int> refs = {100, 100, 100, 100};
    const auto both = ovfc_eval::selectEntries(own, stranger, refs, {0, 1, 2});
    EXPECT_EQ(both.chosen, (std::vector<bool>{true, false, true, false}));
    // Each alone: 30 over a deviation of sqrt(50); together the deviation halves in square.
    EXPECT_NEAR(both.separation, 6.0, 1e-9);
    // A lone candidate is taken even when it separates nothing; no candidate, no entry.
    const auto noise = ovfc_eval::selectEntries(own, stranger, refs, {1});
    EXPECT_EQ(noise.chosen, (std::vector<bool>{false, true, false, false}));
    EXPECT_NEAR(noise.separation, 0.0, 1e-9);
    const auto none = ovfc_eval::selectEntries(own, stranger, refs, {});
    EXPECT_EQ(none.chosen, std::vector<bool>(4, false));
    EXPECT_EQ(none.separation, 0.0);
}

}  // namespace
