#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "face_context.h"
#include "library_state.h"
#include "score.h"
#include "score_config.h"
#include "status.h"

namespace {

using ovfc::FaceContext;
using ovfc::LibraryState;
using ovfc::UnitSearchResult;

// A stand-in for the comparison vector: with four elements, one filter and reference 100,
// entries of value v score 400 - 2 v, so each unit maps to a chosen score.
std::map<int, int> gScoreAtUnit;
std::vector<int> gUnitsTried;
int gFailAtUnit = -1000;

int fakeVector(FaceContext& ctx, std::int32_t* vector) {
    gUnitsTried.push_back(ctx.unit.unit);
    if (ctx.unit.unit == gFailAtUnit) return ovfc::kGeometry;
    const auto it = gScoreAtUnit.find(ctx.unit.unit);
    const int score = it == gScoreAtUnit.end() ? 0 : it->second;
    for (int i = 0; i < 4; ++i) vector[i] = (400 - score) / 2;
    return ovfc::kOk;
}

class UnitSearch : public ::testing::Test {
protected:
    void SetUp() override {
        gScoreAtUnit.clear();
        gUnitsTried.clear();
        gFailAtUnit = -1000;
        auto& c = state.config;
        c.set("param", "Number_of_face_elements", "4");
        c.set("param", "using_descriptors_mask", "1");
        c.set("param", "ScoreMax", "190");
        c.set("param", "ScoreMin", "40");
        c.set("param", "UnitRange", "3");
        c.set("debug", "OutputCompVec", "0");
        ovfc_test::setScoreEntries(c, 0x1, 100);
    }

    UnitSearchResult run(int u0) {
        FaceContext ctx(state);
        ctx.unit.unit = u0;
        UnitSearchResult r;
        rc = ovfc::BestScore(ctx, r, &fakeVector);
        finalUnit = ctx.unit.unit;
        return r;
    }

    LibraryState state;
    int rc = -1;
    int finalUnit = 0;
};

TEST_F(UnitSearch, OnlyABorderlineScoreStartsTheSearch) {
    gScoreAtUnit = {{50, 160}};
    UnitSearchResult r = run(50);
    EXPECT_EQ(rc, 0);
    EXPECT_GT(gUnitsTried.size(), 1u);
    for (int s : {150, 190, 200}) {
        gUnitsTried.clear();
        gScoreAtUnit = {{50, s}};
        r = run(50);
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(gUnitsTried, std::vector<int>{50}) << s;
        EXPECT_EQ(r.best, s);
        EXPECT_EQ(r.atUnit, s);
        EXPECT_EQ(r.shift, 0);
    }
}

TEST_F(UnitSearch, FollowsImprovementsAndStopsAfterTwoMissesInARow) {
    // Down: 49 and 48 improve; an improvement sets the miss count to 1, so the one worse
    // unit 47 ends the direction.
    gScoreAtUnit = {{50, 160}, {49, 164}, {48, 170}, {47, 168}, {51, 100}};
    const UnitSearchResult r = run(50);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(r.best, 170);
    EXPECT_EQ(r.shift, -2);
    EXPECT_EQ(r.atUnit, 160);
    // Down ran j = 1..3 and ended at j = 3, so the upward direction is not tried.
    EXPECT_EQ(gUnitsTried, (std::vector<int>{50, 49, 48, 47}));
    EXPECT_EQ(finalUnit, 47) << "the unit is left at the last value tried";
}

TEST_F(UnitSearch, AnEarlyStopDownwardsTriesUpwards) {
    // 49 is worse (miss 1), 48 worse again (miss 2): stop at j = 2, then go up.
    gScoreAtUnit = {{50, 160}, {49, 150}, {48, 140}, {51, 166}, {52, 176}, {53, 176}};
    const UnitSearchResult r = run(50);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(gUnitsTried, (std::vector<int>{50, 49, 48, 51, 52, 53}));
    EXPECT_EQ(r.best, 176);
    EXPECT_EQ(r.shift, 3) << "an equal score moves the shift on";
}

TEST_F(UnitSearch, AScoreAboveTheCeilingEndsADirection) {
    gScoreAtUnit = {{50, 160}, {49, 196}, {51, 180}, {52, 178}, {53, 170}};
    const UnitSearchResult r = run(50);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(gUnitsTried, (std::vector<int>{50, 49, 51, 52}));
    EXPECT_EQ(r.best, 180) << "the unit above the ceiling does not count";
    EXPECT_EQ(r.shift, 1);
}

TEST_F(UnitSearch, RangeZeroOrTwo) {
    state.config.set("param", "UnitRange", "0");
    gScoreAtUnit = {{50, 160}, {49, 180}};
    UnitSearchResult r = run(50);
    EXPECT_EQ(gUnitsTried, std::vector<int>{50});
    EXPECT_EQ(r.best, 160);

    // With range 2 both directions run even when the first one went the full length.
    state.config.set("param", "UnitRange", "2");
    gUnitsTried.clear();
    gScoreAtUnit = {{50, 160}, {49, 162}, {48, 164}, {51, 170}, {52, 150}};
    r = run(50);
    EXPECT_EQ(gUnitsTried, (std::vector<int>{50, 49, 48, 51, 52}));
    EXPECT_EQ(r.best, 170);
    EXPECT_EQ(r.shift, 1);
}

TEST_F(UnitSearch, OutputCompVecRebuildsAtTheBestUnit) {
    state.config.set("debug", "OutputCompVec", "1");
    gScoreAtUnit = {{50, 160}, {49, 170}, {48, 150}, {47, 140}};
    const UnitSearchResult r = run(50);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(r.shift, -1);
    EXPECT_EQ(gUnitsTried.back(), 49);
    EXPECT_EQ(finalUnit, 49);
}

TEST_F(UnitSearch, BuilderErrorsAreReturnedAndTheVectorBlockGoesBack) {
    gFailAtUnit = 50;
    run(50);
    EXPECT_EQ(rc, ovfc::kGeometry);
    gFailAtUnit = 49;
    gScoreAtUnit = {{50, 160}};
    run(50);
    EXPECT_EQ(rc, ovfc::kGeometry);
    EXPECT_EQ(state.pool.blocksInUse(), 0);
    EXPECT_EQ(state.pool.slotsUsed(), 1) << "one vector block, reused";
}

TEST_F(UnitSearch, MissingParametersAreConfigurationErrors) {
    LibraryState bare;
    bare.config.set("param", "Number_of_face_elements", "4");
    bare.config.set("param", "using_descriptors_mask", "1");
    FaceContext ctx(bare);
    UnitSearchResult r;
    EXPECT_THROW(ovfc::BestScore(ctx, r, &fakeVector), ovfc::XERRORINI);
    EXPECT_EQ(bare.pool.blocksInUse(), 0);
}

}  // namespace
