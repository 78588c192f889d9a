// Placement, size and tilt of the generated faces, and the truth they report.

#include <gtest/gtest.h>

#include <cmath>

#include "facegen.h"
#include "probe.h"

using namespace facegen;
using facegen_test::eyeDistance;

namespace {
constexpr double kDegrees = 180.0 / 3.14159265358979323846;
bool onGrid(double x) {
    return std::fabs(x * 10.0 - std::round(x * 10.0)) < 1e-6;
}
}  // namespace

TEST(FacegenPose, EyesStayInRangeOverManyFrames) {
    double minD = 1e9, maxD = 0, minTilt = 0, maxTilt = 0;
    for (std::uint64_t seed : {1ull, 77ull}) {
        for (int p = 1; p <= 60; ++p) {
            const Person who = makePerson(seed, p);
            for (int i = 1; i <= 20; ++i) {
                const Pose pose = makePose(who, seed, p, i);
                const EyeCentres& e = pose.eyes;
                const double d = eyeDistance(e);
                const double tilt = std::atan2(e.yr - e.yl, e.xr - e.xl) * kDegrees;
                ASSERT_LT(e.xl, e.xr) << p << "/" << i;
                ASSERT_GE(d, kMinEyeDistance) << p << "/" << i;
                ASSERT_LE(d, kMaxEyeDistance) << p << "/" << i;
                ASSERT_LE(std::fabs(tilt), kMaxTiltDegrees + 0.2) << p << "/" << i;
                // The truth agrees with the nominal tilt up to the 0.1 pixel grid.
                ASSERT_NEAR(tilt, pose.tiltDegrees, 0.25) << p << "/" << i;
                for (double x : {e.xl, e.xr}) ASSERT_TRUE(x >= 0 && x <= kWidth - 1.0);
                for (double y : {e.yl, e.yr}) ASSERT_TRUE(y >= 0 && y <= kHeight - 1.0);
                // Room for the face around the eyes: cheeks beside, chin below.
                ASSERT_GE(e.xl - 0.6 * d, 0.0);
                ASSERT_LE(e.xr + 0.6 * d, kWidth - 1.0);
                ASSERT_LE(std::fmax(e.yl, e.yr) + 1.7 * d, kHeight - 1.0);
                ASSERT_TRUE(onGrid(e.xl) && onGrid(e.yl) && onGrid(e.xr) && onGrid(e.yr));
                minD = std::fmin(minD, d);
                maxD = std::fmax(maxD, d);
                minTilt = std::fmin(minTilt, tilt);
                maxTilt = std::fmax(maxTilt, tilt);
            }
        }
    }
    // The whole range is used, not just a corner of it.
    EXPECT_LT(minD, 38.0);
    EXPECT_GT(maxD, 66.0);
    EXPECT_LT(minTilt, -8.0);
    EXPECT_GT(maxTilt, 8.0);
}

TEST(FacegenPose, FramesOfOnePersonVaryButKeepTheirGeometry) {
    const Person a = makePerson(5, 3), again = makePerson(5, 3), b = makePerson(5, 4);
    EXPECT_EQ(a.noseLength, again.noseLength);
    EXPECT_EQ(a.skinGrey, again.skinGrey);
    EXPECT_NE(a.noseLength, b.noseLength);
    EXPECT_NE(a.eyeDistance, b.eyeDistance);
    // Features in anatomical order down the face.
    for (int p = 1; p <= 200; ++p) {
        const Person w = makePerson(9, p);
        ASSERT_LT(w.faceTopV, w.hairlineV);
        ASSERT_LT(w.hairlineV, -w.browV);
        ASSERT_LT(w.noseLength + 0.25, w.mouthV);
        ASSERT_LT(w.mouthV + 0.3, w.chinV);
        ASSERT_LT(w.chinV, w.shoulderV);
        ASSERT_GT(w.skinGrey, w.irisGrey + 20.0);
    }
    const Pose p1 = makePose(a, 5, 3, 1), p2 = makePose(a, 5, 3, 2);
    EXPECT_NE(p1.eyes.xl, p2.eyes.xl);
    EXPECT_NE(p1.noiseSeed, p2.noiseSeed);
}

TEST(FacegenNames, FileNamesAndTruthLines) {
    EXPECT_EQ(frameFileName(1, 1), "00000101.TIF");
    EXPECT_EQ(frameFileName(12, 7), "00001207.TIF");
    EXPECT_EQ(frameFileName(99, 99), "00009999.TIF");
    EXPECT_EQ(truthLine("00000203.TIF", 2, {101.3, 99.0, 150.25, 101.96}),
              "00000203.TIF 02 101.3 99.0 150.2 102.0");
}
