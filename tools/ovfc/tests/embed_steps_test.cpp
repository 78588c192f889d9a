// The command-line side of the embedding comparison and the landmark eyes: eval's options,
// the distance-to-score rule and the landmark eye figures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "embed_eval.h"
#include "embed_steps.h"
#include "eval_steps.h"

namespace ovfc_tool {
namespace {

const Args kBase = {"--images", "set", "--truth", "t.txt"};

int parse(const Args& extra, EvalOptions& o) {
    Args args = kBase;
    args.insert(args.end(), extra.begin(), extra.end());
    testing::internal::CaptureStderr();
    const int rc = parseEvalOptions(args, o);
    testing::internal::GetCapturedStderr();
    return rc;
}

TEST(EmbedEvalOptions, EyesMatcherAndModels) {
    EvalOptions o;
    ASSERT_EQ(parse({}, o), 0);
    EXPECT_FALSE(o.landmarkEyes);
    EXPECT_FALSE(o.embedding);
    EXPECT_TRUE(o.models.empty());
    EvalOptions l;
    ASSERT_EQ(parse({"--eyes", "landmarks"}, l), 0);
    EXPECT_TRUE(l.landmarkEyes);
    EXPECT_FALSE(l.embedding);
    EvalOptions e;
    ASSERT_EQ(parse({"--matcher=embedding", "--models", "/m"}, e), 0);
    EXPECT_TRUE(e.embedding);
    EXPECT_FALSE(e.landmarkEyes);
    EXPECT_EQ(e.models, "/m");
    EvalOptions s;
    ASSERT_EQ(parse({"--eyes", "search", "--matcher", "engine"}, s), 0);
    EXPECT_FALSE(s.landmarkEyes || s.embedding);
    for (const Args& bad :
         {Args{"--eyes", "true"}, Args{"--eyes"}, Args{"--matcher", "Embedding"},
          Args{"--eyes", "landmarks", "--true-eyes"}, Args{"--matcher", "embedding", "--true-eyes"},
          Args{"--eyes", "landmarks", "--matcher", "embedding"}}) {
        EvalOptions b;
        EXPECT_EQ(parse(bad, b), 2) << bad.front() << " " << bad.back();
    }
}

TEST(EmbedScore, DistanceOnTheScoreScale) {
    EXPECT_DOUBLE_EQ(distanceScore(0.0f), 400.0);
    EXPECT_DOUBLE_EQ(distanceScore(0.5f), 200.0);
    EXPECT_DOUBLE_EQ(distanceScore(0.25f), 300.0);
    EXPECT_DOUBLE_EQ(distanceScore(1.5f), -200.0);  // unclamped for eval's figures
    EXPECT_EQ(distanceScoreRounded(0.0f), 400);
    EXPECT_EQ(distanceScoreRounded(0.5f), 200);
    EXPECT_EQ(distanceScoreRounded(0.125f), 350);
    EXPECT_EQ(distanceScoreRounded(0.00125f), 400);  // 399.5 rounds up
    EXPECT_EQ(distanceScoreRounded(0.00376f), 398);  // 398.496
    EXPECT_EQ(distanceScoreRounded(1.0f), 0);
    EXPECT_EQ(distanceScoreRounded(3.0f), 0);
    EXPECT_EQ(distanceScoreRounded(-1.0f), 400);
    // Never rising with the distance.
    int last = 400;
    for (int k = 0; k <= 1300; ++k) {
        const int s = distanceScoreRounded(static_cast<float>(k) / 1000);
        ASSERT_LE(s, last) << k;
        last = s;
    }
}

TEST(EmbedLandmarkEyes, FiguresAndFailures) {
    SetImage image;
    image.xl = 100;
    image.yl = 100;
    image.xr = 140;
    image.yr = 100;
    FaceLandmarks face;
    face.eyes[0] = 102;  // 2 px off on the left eye: 0.05 of the eye distance
    face.eyes[1] = 100;
    face.eyes[2] = 140;
    face.eyes[3] = 101.2;  // 1.2 px on the right
    Processed done;
    landmarkEyes(face, image, done);
    EXPECT_EQ(done.status, ovfc::kOk);
    EXPECT_NEAR(done.eyeError, 0.05, 1e-9);
    EXPECT_EQ(done.eyes[0], 102);
    EXPECT_EQ(done.eyes[3], 101);
    const ovfc::ProcessOptions manual = landmarkEyeOptions(face);
    EXPECT_TRUE(manual.haveEyes);
    EXPECT_EQ(manual.xl, 102);
    EXPECT_EQ(manual.yr, 101);

    FaceLandmarks searchFailed;
    searchFailed.searchFailed = true;
    searchFailed.status = ovfc::kGeometry;
    landmarkEyes(searchFailed, image, done);
    EXPECT_EQ(done.status, ovfc::kGeometry);
    EXPECT_EQ(landmarkStatusText(searchFailed), "26 (geometry failure)");
    FaceLandmarks netFailed;
    netFailed.status = OVEM_E_FLAT_FACE;
    landmarkEyes(netFailed, image, done);
    EXPECT_EQ(done.status, ovfc::kNoFace);
    EXPECT_EQ(landmarkStatusText(netFailed), "landmarks: 11 (face box holds a single grey level)");
}

}  // namespace
}  // namespace ovfc_tool
