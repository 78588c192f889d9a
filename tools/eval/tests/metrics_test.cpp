#include "metrics.h"

#include <gtest/gtest.h>

namespace {

TEST(Median, OddEvenAndEmpty) {
    EXPECT_DOUBLE_EQ(*ovfc_eval::median({5, 1, 3}), 3);
    EXPECT_DOUBLE_EQ(*ovfc_eval::median({4, 1, 3, 10}), 3.5);
    EXPECT_DOUBLE_EQ(*ovfc_eval::median({7}), 7);
    EXPECT_FALSE(ovfc_eval::median({}).has_value());
}

TEST(EyeError, WorseEyeOverTheTrueEyeDistance) {
    // True eyes 40 apart; the right eye is 4 off, the left 3.
    EXPECT_DOUBLE_EQ(ovfc_eval::eyeError(103, 100, 140, 104, 100, 100, 140, 100), 0.1);
    // Found eyes given in the other order are paired by x.
    EXPECT_DOUBLE_EQ(ovfc_eval::eyeError(140, 104, 103, 100, 100, 100, 140, 100), 0.1);
    EXPECT_DOUBLE_EQ(ovfc_eval::eyeError(100, 100, 140, 100, 100, 100, 140, 100), 0.0);
}

TEST(EqualErrorRate, SeparatedOverlappingAndReversed) {
    auto r = ovfc_eval::equalErrorRate({200, 210, 220}, {100, 110, 120});
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->rate, 0.0);
    EXPECT_GT(r->threshold, 120);
    EXPECT_LE(r->threshold, 200);

    // One own score among the strangers' and one stranger among the own: 1 in 4 each side.
    r = ovfc_eval::equalErrorRate({100, 200, 210, 220}, {90, 110, 120, 215});
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->rate, 0.25);

    // Own scores all below the strangers': every threshold errs completely on one side.
    r = ovfc_eval::equalErrorRate({1, 2}, {3, 4});
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->rate, 1.0);

    EXPECT_FALSE(ovfc_eval::equalErrorRate({}, {1}).has_value());
    EXPECT_FALSE(ovfc_eval::equalErrorRate({1}, {}).has_value());
}

TEST(BestPerson, HighestScoreFirstOfEquals) {
    EXPECT_EQ(*ovfc_eval::bestPerson({{"01", 150}, {"02", 190}, {"03", 190}, {"01", 20}}), "02");
    EXPECT_FALSE(ovfc_eval::bestPerson({}).has_value());
}

}  // namespace
