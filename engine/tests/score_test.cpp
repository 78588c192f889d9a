#include <gtest/gtest.h>

#include <vector>

#include "config_store.h"
#include "score.h"
#include "score_config.h"
#include "status.h"

namespace {

using ovfc::ConfigStore;
using ovfc::EntryKeyNumber;
using ovfc::SimilarityScore;

TEST(EntryKeyNumber, CountsTheSetBitsFromBitZero) {
    EXPECT_EQ(EntryKeyNumber(0x1FF, 0), 1);
    EXPECT_EQ(EntryKeyNumber(0x1FF, 8), 9);
    EXPECT_EQ(EntryKeyNumber(0x105, 0), 1);
    EXPECT_EQ(EntryKeyNumber(0x105, 1), 3);
    EXPECT_EQ(EntryKeyNumber(0x105, 2), 9);
    EXPECT_EQ(EntryKeyNumber(0x105, 3), 0);
    EXPECT_EQ(EntryKeyNumber(0, 0), 0);
}

TEST(SimilarityScore, ReferenceValuesScore200AndTenPercentAboveScore180) {
    for (std::uint32_t mask : {0x1FFu, 0x105u, 0x1u}) {
        ConfigStore c;
        ovfc_test::setScoreEntries(c, mask, 1000);
        const int f = ovfc::filterCountOf(mask);
        std::vector<std::int32_t> v(8 * f, 1000);
        EXPECT_EQ(SimilarityScore(c, 8, mask, v.data()), 200);
        std::fill(v.begin(), v.end(), 1100);
        EXPECT_EQ(SimilarityScore(c, 8, mask, v.data()), 180);
        std::fill(v.begin(), v.end(), 900);
        EXPECT_EQ(SimilarityScore(c, 8, mask, v.data()), 220) << "below the reference";
    }
}

TEST(SimilarityScore, CoreOnlyScoreIsTheTruncatedAverage) {
    ConfigStore c;
    ovfc_test::setScoreEntries(c, 0x3, 300);
    // Entries of elements 0..3 with two filters; deviations 200*(v-300)/300.
    const std::vector<std::int32_t> v = {301, 300, 302, 300, 300, 300, 300, 300,
                                         9000, 9000};  // element 4 is not counted
    // S = 200/300 + 400/300 = 2.0, K = 8, best = 0.25: score trunc(199.75) = 199.
    EXPECT_EQ(SimilarityScore(c, 4, 0x3, v.data()), 199);
    const std::vector<std::int32_t> w = {299, 300, 300, 300, 300, 300, 300, 300};
    // best = -0.0833..: trunc(200.083) = 200.
    EXPECT_EQ(SimilarityScore(c, 4, 0x3, w.data()), 200);
    const std::vector<std::int32_t> far = {600, 600, 600, 600, 600, 600, 600, 600};
    EXPECT_EQ(SimilarityScore(c, 3, 0x3, far.data()), 0);
}

TEST(SimilarityScore, SwitchedOffEntriesDoNotCount) {
    ConfigStore c;
    ovfc_test::setScoreEntries(c, 0x1, 100);
    c.set("det", "eyel1_on", "0");
    const std::vector<std::int32_t> v = {100, 5000, 100, 100};
    EXPECT_EQ(SimilarityScore(c, 4, 0x1, v.data()), 200);
    c.set("det", "eyel1_on", "1");
    EXPECT_LT(SimilarityScore(c, 4, 0x1, v.data()), 200);
}

TEST(SimilarityScore, FurtherElementsOnlyEverRaiseTheScore) {
    ConfigStore c;
    ovfc_test::setScoreEntries(c, 0x1, 100, 2.0);
    // Core 10 % above the reference: 180 on its own.
    std::vector<std::int32_t> v = {110, 110, 110, 110, 110, 110, 110, 110};
    const int core = SimilarityScore(c, 4, 0x1, v.data());
    EXPECT_EQ(core, 180);
    // A badly fitting further element is left out.
    v[4] = 1000;
    EXPECT_EQ(SimilarityScore(c, 5, 0x1, v.data()), 180);
    // A well fitting one pulls the score up: (2 * 80 + 0) / (2 * 4 + 1) = 17.77...
    v[5] = 100;
    EXPECT_EQ(SimilarityScore(c, 6, 0x1, v.data()), 182);
    // Well fitting ones: (160 + 0 - 40 - 20) / 11 = 9.09 -> 190; the bad one stays out.
    v[6] = 80;
    v[7] = 90;
    EXPECT_EQ(SimilarityScore(c, 8, 0x1, v.data()), 190);
    // A further element with no entry switched on takes no part.
    c.set("det", "mout1_on", "0");
    v[4] = 0;
    EXPECT_EQ(SimilarityScore(c, 8, 0x1, v.data()), 190);
}

TEST(SimilarityScore, TheWeightSetsTheCoreGroupsShare) {
    std::vector<std::int32_t> v = {110, 110, 110, 110, 50, 110, 110, 110};
    ConfigStore heavy, light;
    ovfc_test::setScoreEntries(heavy, 0x1, 100, 100.0);
    ovfc_test::setScoreEntries(light, 0x1, 100, 0.25);
    // Weight 100: (100 * 80 - 100) / 401 = 19.70 -> 180. Weight 0.25: (20 - 100) / 2 = -40.
    EXPECT_EQ(SimilarityScore(heavy, 5, 0x1, v.data()), 180);
    EXPECT_EQ(SimilarityScore(light, 5, 0x1, v.data()), 240);
}

TEST(SimilarityScore, UnusableConfigurationsAreConfigurationErrors) {
    std::vector<std::int32_t> v(72, 100);
    ConfigStore none;
    EXPECT_THROW(SimilarityScore(none, 4, 0x1, v.data()), ovfc::XERRORINI);
    ConfigStore off;
    ovfc_test::setScoreEntries(off, 0x1, 100);
    for (const char* k : {"fface1_on", "eyel1_on", "eyer1_on", "nose1_on"}) off.set("det", k, "0");
    EXPECT_THROW(SimilarityScore(off, 8, 0x1, v.data()), ovfc::XERRORINI) << "no core entry";
    ConfigStore zero;
    ovfc_test::setScoreEntries(zero, 0x1, 0);
    EXPECT_THROW(SimilarityScore(zero, 4, 0x1, v.data()), ovfc::XERRORINI) << "reference 0";
    ConfigStore noWeight;
    ovfc_test::setScoreEntries(noWeight, 0x1, 100);
    noWeight.set("det", "add_parm_weight", "1");
    EXPECT_EQ(SimilarityScore(noWeight, 8, 0x1, v.data()), 200);
    EXPECT_THROW(SimilarityScore(noWeight, 8, 0x201, v.data()), ovfc::XERRORINI)
        << "bit 9 selects no filter";
    EXPECT_THROW(SimilarityScore(noWeight, 9, 0x1, v.data()), ovfc::XERRORINI);
}

}  // namespace
