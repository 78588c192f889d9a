// ovfc eval apart from the face library: its command line, the probe choice and the figures
// of a small fixed table of results.
#include "eval_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovfc_tool {
namespace {

TEST(EvalOptions, ValidCommandLinesAndTheirRefusals) {
    EvalOptions o;
    o.config = "beside.ini";
    ASSERT_EQ(parseEvalOptions({"--images", "set", "--truth=set/truth.txt", "--threads", "2",
                                "--probes", "3", "--persons", "2-3", "--list", "--true-eyes",
                                "--json", "e.json"},
                               o),
              0);
    EXPECT_EQ(o.images, "set");
    EXPECT_EQ(o.truth, "set/truth.txt");
    EXPECT_EQ(o.config, "beside.ini") << "the default stays without --config";
    EXPECT_EQ(o.threads, 2);
    EXPECT_EQ(o.probes, 3);
    EXPECT_EQ(o.firstPerson, 2);
    EXPECT_EQ(o.lastPerson, 3);
    EXPECT_TRUE(o.list);
    EXPECT_TRUE(o.trueEyes);
    EXPECT_EQ(o.json, "e.json");

    testing::internal::CaptureStderr();
    const Args base = {"--images", "set", "--truth", "t.txt"};
    for (const Args& extra : {Args{"--threads", "4x"}, Args{"--threads", "65"},
                              Args{"--probes", "0"}, Args{"--probes", "2.5"},
                              Args{"--persons", "5-2"}, Args{"stray"}, Args{"--list=yes"},
                              Args{"--json"}, Args{"--images", "again"}}) {
        EvalOptions bad;
        Args args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(parseEvalOptions(args, bad), 2) << extra[0];
    }
    EvalOptions missing;
    EXPECT_EQ(parseEvalOptions({"--truth", "t.txt"}, missing), 2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ovfc eval: --threads takes a whole number in 1..64, not '4x'"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("--persons takes N or N-M"), std::string::npos) << err;
    EXPECT_NE(err.find("ovfc eval: --images is required"), std::string::npos) << err;
}

TEST(EvalProbes, SpreadEvenlyAndNeverMoreThanTheImages) {
    EXPECT_EQ(probeIndices(10, 3), (std::vector<std::size_t>{0, 3, 6}));
    EXPECT_EQ(probeIndices(7, 2), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(probeIndices(4, 0), (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(probeIndices(3, 99), (std::vector<std::size_t>{0, 1, 2}));
}

Processed image(int status, double eyeError, double ms) {
    Processed p;
    p.status = status;
    p.eyeError = eyeError;
    p.ms = ms;
    return p;
}

ProbeResult probe(std::vector<double> scores, std::vector<double> ms) {
    return {std::move(scores), std::move(ms)};
}

// Persons A A B B; the last image has no descriptor. Each image is a probe: its own row
// and the failed image's column are rejections; probe 2's comparison with image 1 failed.
TEST(EvalFigures, FromAFixedScoreTable) {
    const std::vector<std::string> persons = {"A", "A", "B", "B"};
    const std::vector<Processed> done = {image(ovfc::kOk, 0.05, 10), image(ovfc::kOk, 0.20, 30),
                                         image(ovfc::kOk, 0.30, 20), image(26, 0.0, 40)};
    const double x = kRejected;
    const std::vector<ProbeResult> results = {
        probe({x, 200, 100, x}, {1, 2}),  // A: best A, right
        probe({90, x, 150, x}, {3, 4}),   // A: best B, wrong
        probe({120, x, x, x}, {5, 6}),    // B: only A scored, wrong
        probe({80, 70, 300, x}, {7, 8, 9}),  // B (no descriptor itself, still a probe): right
    };
    const Figures f = evalFigures(persons, done, probeIndices(4, 0), results);

    EXPECT_EQ(f.frames, 4);
    EXPECT_EQ(f.processed, 3);
    ASSERT_TRUE(f.eyeErrMedian);
    EXPECT_DOUBLE_EQ(*f.eyeErrMedian, 0.20) << "over the processed frames only";
    EXPECT_DOUBLE_EQ(f.within010, 0.25) << "shares of all frames";
    EXPECT_DOUBLE_EQ(f.within025, 0.50);
    EXPECT_EQ(f.probes, 4);
    EXPECT_EQ(f.correct, 2);
    EXPECT_DOUBLE_EQ(f.rank1, 0.5);
    // Pairs with the image without a descriptor are in neither list; the failed comparison
    // of probe 2 is a stranger pair rejected.
    EXPECT_EQ(f.own, 3u);
    EXPECT_EQ(f.stranger, 6u);
    const auto eer = ovfc_eval::equalErrorRate({200, 90, 300}, {100, 150, 120, x, 80, 70});
    ASSERT_TRUE(eer && f.eer);
    EXPECT_DOUBLE_EQ(f.eer->rate, eer->rate);
    EXPECT_DOUBLE_EQ(f.eer->threshold, eer->threshold);
    ASSERT_TRUE(f.processMs && f.matchMs);
    EXPECT_DOUBLE_EQ(*f.processMs, *ovfc_eval::median({10, 30, 20, 40}));
    EXPECT_DOUBLE_EQ(*f.matchMs, 5.0) << "median of every comparison's time";
}

TEST(EvalFigures, ProbeSubsetAndNothingProcessed) {
    const std::vector<std::string> persons = {"A", "B", "A"};
    const double x = kRejected;
    // Probe 1 only (probeIndices(3, 1) would be image 0): the figures follow probes[k].
    const std::vector<Processed> some = {image(ovfc::kOk, 0.5, 1), image(ovfc::kOk, 0.1, 1),
                                         image(ovfc::kOk, 0.1, 1)};
    const Figures one = evalFigures(persons, some, {1}, {probe({250, x, 240}, {2, 2})});
    EXPECT_EQ(one.probes, 1);
    EXPECT_EQ(one.correct, 0) << "probe B's best is an A";
    EXPECT_EQ(one.own, 0u);
    EXPECT_EQ(one.stranger, 2u);
    EXPECT_FALSE(one.eer) << "no own pair, no equal error rate";

    const std::vector<Processed> none = {image(26, 0, 1), image(26, 0, 2), image(26, 0, 3)};
    const Figures f =
        evalFigures(persons, none, {0, 2}, {probe({x, x, x}, {}), probe({x, x, x}, {})});
    EXPECT_EQ(f.processed, 0);
    EXPECT_FALSE(f.eyeErrMedian);
    EXPECT_DOUBLE_EQ(f.within025, 0.0);
    EXPECT_EQ(f.correct, 0);
    EXPECT_EQ(f.own + f.stranger, 0u);
    EXPECT_FALSE(f.matchMs);
    ASSERT_TRUE(f.processMs);
    EXPECT_DOUBLE_EQ(*f.processMs, 2.0);
}

}  // namespace
}  // namespace ovfc_tool
