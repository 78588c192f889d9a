// ovfc train apart from the face library: its command line and the choice of the "det"
// entries from fixed comparison vectors.
#include "train_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovfc_tool {
namespace {

TEST(TrainOptions, ValidCommandLinesAndTheirRefusals) {
    TrainOptions o;
    o.config = "beside.ini";
    ASSERT_EQ(parseTrainOptions({"--images", "set", "--truth", "t.txt", "--out-masks=m.dsc"}, o),
              0);
    EXPECT_EQ(o.outMasks, "m.dsc");
    EXPECT_EQ(o.config, "beside.ini");
    EXPECT_EQ(o.passes, 2);
    EXPECT_EQ(o.threads, 1);
    EXPECT_DOUBLE_EQ(o.separation, 1.5);
    EXPECT_FALSE(o.det);
    EXPECT_TRUE(o.seedMasks.empty());

    TrainOptions all;
    ASSERT_EQ(parseTrainOptions({"--det", "--images", "set", "--truth", "t.txt", "--out-masks",
                                 "m.dsc", "--config", "c.ini", "--persons", "1-10", "--passes",
                                 "1", "--threads=2", "--separation", "-0.5", "--seed-masks",
                                 "s.dsc"},
                                all),
              0);
    EXPECT_TRUE(all.det);
    EXPECT_EQ(all.config, "c.ini");
    EXPECT_EQ(all.firstPerson, 1);
    EXPECT_EQ(all.lastPerson, 10);
    EXPECT_EQ(all.passes, 1);
    EXPECT_EQ(all.threads, 2);
    EXPECT_DOUBLE_EQ(all.separation, -0.5);
    EXPECT_EQ(all.seedMasks, "s.dsc");

    testing::internal::CaptureStderr();
    const Args base = {"--images", "set", "--truth", "t.txt", "--out-masks", "m.dsc"};
    for (const Args& extra :
         {Args{"--threads", "4x"}, Args{"--passes", "11"}, Args{"--passes", "0"},
          Args{"--separation", "1.5.2"}, Args{"--separation", "inf"}, Args{"--separation="},
          Args{"--persons", "x"}, Args{"--det", "--det"}, Args{"--seed"}}) {
        TrainOptions bad;
        Args args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(parseTrainOptions(args, bad), 2) << extra[0];
    }
    TrainOptions missing;
    EXPECT_EQ(parseTrainOptions({"--images", "set", "--truth", "t.txt"}, missing), 2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ovfc train: --threads takes a whole number in 1..64, not '4x'"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("ovfc train: --out-masks is required"), std::string::npos) << err;
    EXPECT_NE(err.find("usage: ovfc train"), std::string::npos) << err;
}

// Five own and five stranger rows of five elements: entry 0 (fface, filter 1) and entry
// 4 * 9 + 2 (element 4, filter 3) separate the pairs; every other entry has the same values
// in both groups.
struct Rows {
    std::vector<std::vector<double>> own, stranger;
    static constexpr std::size_t kFurther = 4 * kAllFilters + 2;
    explicit Rows(int elements) {
        const double noise[5] = {50, 70, 50, 70, 60};
        const double ownCore[5] = {10, 12, 11, 13, 11}, strangerCore[5] = {30, 32, 31, 29, 33};
        const double ownFurther[5] = {20, 22, 21, 23, 21}, strangerFurther[5] = {40, 41, 42, 39, 43};
        const std::size_t entries = static_cast<std::size_t>(elements) * kAllFilters;
        for (int r = 0; r < 5; ++r) {
            std::vector<double> o(entries, noise[r]), s(entries, noise[r]);
            o[0] = ownCore[r];
            s[0] = strangerCore[r];
            if (entries > kFurther) {
                o[kFurther] = ownFurther[r];
                s[kFurther] = strangerFurther[r];
            }
            own.push_back(o);
            stranger.push_back(s);
        }
    }
};

TEST(DetChoice, CoreTogetherFurtherElementOnlyAtItsSeparation) {
    const Rows rows(5);
    const DetChoice kept = chooseDetEntries(rows.own, rows.stranger, 5, 1.0);
    ASSERT_EQ(kept.on.size(), 45u);
    ASSERT_EQ(kept.fits.size(), 45u);
    EXPECT_EQ(kept.fits[0].reference, 11) << "median own value";
    EXPECT_EQ(kept.fits[Rows::kFurther].reference, 21);
    EXPECT_EQ(kept.fits[1].reference, 60);
    EXPECT_GT(kept.fits[0].separation, 5.0);
    EXPECT_TRUE(kept.on[0]);
    EXPECT_TRUE(kept.on[Rows::kFurther]);
    int on = 0;
    for (const bool b : kept.on) on += b;
    EXPECT_EQ(on, 2) << "the entries alike in both groups stay off";
    EXPECT_EQ(kept.filterMask, 0b101u) << "filters 1 and 3";
    EXPECT_GT(kept.coreSeparation, 5.0);
    ASSERT_EQ(kept.elementSeparation.size(), 5u);
    EXPECT_EQ(kept.elementSeparation[0], 0.0);
    EXPECT_GT(kept.elementSeparation[4], 5.0);

    const DetChoice dropped = chooseDetEntries(rows.own, rows.stranger, 5, 1e6);
    EXPECT_TRUE(dropped.on[0]) << "the core does not depend on the threshold";
    EXPECT_FALSE(dropped.on[Rows::kFurther]);
    EXPECT_EQ(dropped.filterMask, 0b1u);
    EXPECT_DOUBLE_EQ(dropped.elementSeparation[4], kept.elementSeparation[4]);
}

TEST(DetChoice, FewerElementsThanTheCore) {
    const Rows rows(2);
    const DetChoice d = chooseDetEntries(rows.own, rows.stranger, 2, 1.0);
    ASSERT_EQ(d.on.size(), 18u);
    EXPECT_TRUE(d.on[0]);
    EXPECT_EQ(d.filterMask, 0b1u);
    EXPECT_EQ(d.elementSeparation, (std::vector<double>{0.0, 0.0}));
}

}  // namespace
}  // namespace ovfc_tool
