// Geometry helpers and the rotated region on cases worked out by hand (development
// configuration, 256 x 255 frame).
#include "geometry/face_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dev_library.h"
#include "elements/element_search.h"
#include "geometry/rotated_region.h"

namespace ovfc {
namespace {

using ovfc_test::DevLibrary;

class Geometry : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.image.width = 256;
        ctx.image.height = 255;
        ctx.elementCount = kElementCount;
    }
    DevLibrary lib;
    FaceContext ctx{lib.state};
    ElementRecord& eyel() { return ctx.elements[kEyeLeft]; }
    ElementRecord& eyer() { return ctx.elements[kEyeRight]; }
};

TEST_F(Geometry, FacePriorsFromTheFrameSize) {
    SetFacePriors(ctx);
    const ElementRecord& f = ctx.face;
    EXPECT_EQ(f.heightMin, 76);  // 0.3 x 255 = 76.5
    EXPECT_EQ(f.heightMid, 114);
    EXPECT_EQ(f.heightMax, 165);
    EXPECT_EQ(ctx.unit.unitMin, 25);  // 0.33 x 76
    EXPECT_EQ(ctx.unit.unit, 45);
    EXPECT_EQ(ctx.unit.unitMax, 82);
    EXPECT_EQ(f.widthMin, 49);
    EXPECT_EQ(f.widthMid, 85);
    EXPECT_EQ(f.widthMax, 148);
    EXPECT_EQ(f.xMin, 25);  // max(25.6, 17.5)
    EXPECT_EQ(f.xC, 128);
    EXPECT_EQ(f.xMax, 230);
    EXPECT_EQ(f.yMin, 25);
    EXPECT_EQ(f.yC, 114);
    EXPECT_EQ(f.yMax, 216);  // min(216.75, 220)
    for (const int id : {kEyeLeft, kEyeRight, kNose}) EXPECT_EQ(ctx.elements[id].score, 255);
    EXPECT_EQ(f.score, 255);
    EXPECT_EQ(ctx.elements[kMouth].score, 0);
}

TEST_F(Geometry, ResetKeepsIdsAndTenNameBytes) {
    std::strcpy(ctx.face.name, "abcdefghijk");
    ctx.face.xC = 5;
    ctx.elements[7].score = 9;
    ctx.elements[7].yFixed = 1;
    ResetRecords(ctx);
    EXPECT_STREQ(ctx.face.name, "abcdefghij");
    EXPECT_EQ(ctx.face.id, kFace);
    EXPECT_EQ(ctx.face.xC, 0);
    EXPECT_EQ(ctx.elements[7].score, 0);
    EXPECT_EQ(ctx.elements[7].yFixed, 0);
    EXPECT_STREQ(ctx.elements[7].name, "chin");
}

TEST_F(Geometry, CentringTheFaceAndTheEyeWindows) {
    ctx.unit.unit = 50;
    ctx.face.xC = 128;
    ctx.face.yC = 110;
    eyel().xFixed = eyer().yFixed = 1;
    CentreFaceWindow(ctx, 1.5);
    EXPECT_EQ(ctx.unit.unitMax, 43);  // 50 x 0.87
    EXPECT_EQ(ctx.unit.unitMin, 57);  // 50 / 0.87
    EXPECT_EQ(ctx.unit.unitFixed, 1);
    EXPECT_EQ(ctx.face.xMin, 119);  // rounded(50 x 1.5 / 8) = 9
    EXPECT_EQ(ctx.face.yMax, 119);
    EXPECT_EQ(eyel().xFixed, 0);
    EXPECT_EQ(eyer().yFixed, 0);

    eyel().xC = 100;
    eyel().yC = 110;
    eyer().xC = 160;
    eyer().yC = 119;
    CentreEyeWindows(ctx, 2.0);
    EXPECT_EQ(eyel().xMin, 94);  // rounded(2 x 50 / 18) = 6
    EXPECT_EQ(eyer().yMax, 125);
    EXPECT_EQ(ctx.unit.unit, 60);  // trunc(sqrt(3600 + 81))
    EXPECT_EQ(ctx.unit.unitMin, 54);
    EXPECT_EQ(ctx.unit.unitMax, 66);
    EXPECT_EQ(ctx.face.yC, 114);  // (110 + 119) / 2 toward zero
    EXPECT_EQ(ctx.face.yMin, 113);
    EXPECT_EQ(ctx.face.yMax, 115);
    EXPECT_EQ(eyel().xFixed + eyel().yFixed + eyer().xFixed + eyer().yFixed, 4);
}

TEST_F(Geometry, ElementWindowsFollowTheFaceOrTheFixedEyes) {
    SetFacePriors(ctx);
    SetElementWindows(ctx);
    // Free eyes come from the face window: eyel x_c = 128 - 0.5 x 45.
    EXPECT_EQ(eyel().xC, 105);
    EXPECT_EQ(eyer().xC, 150);
    EXPECT_EQ(eyel().xMin, 0) << "below 0 becomes 0";
    EXPECT_EQ(eyer().xMax, 256) << "above W becomes W";
    EXPECT_EQ(eyel().yC, eyer().yC);

    eyel().xC = 101;
    eyel().yC = 100;
    eyer().xC = 161;
    eyer().yC = 112;
    CentreEyeWindows(ctx, 2.0);
    SetElementWindows(ctx);
    EXPECT_EQ(ctx.face.xC, 131);
    EXPECT_EQ(ctx.face.yC, 106);
    EXPECT_DOUBLE_EQ(EyeLineSlope(ctx), 0.2);
    // The nose lies below the eye midpoint, moved along the tilted face's vertical.
    const ElementRecord& nose = ctx.elements[kNose];
    EXPECT_GT(nose.yC, ctx.face.yC + ctx.unit.unit / 2);
    EXPECT_LT(nose.xC, ctx.face.xC) << "a face tilted clockwise has its nose to the left";
    EXPECT_LE(nose.xMin, nose.xC);
    EXPECT_LE(nose.xC, nose.xMax);

    eyer().xC = eyel().xC;
    EXPECT_EQ(EyeLineSlope(ctx), 0.0) << "eyes in one column have no eye line";
}

TEST_F(Geometry, AWindowBelowTheImageIsPulledUp) {
    ElementRecord& chin = ctx.elements[kChin];
    ctx.face.yMin = ctx.face.yMax = ctx.face.yC = 200;
    ctx.face.xMin = ctx.face.xMax = ctx.face.xC = 128;
    ctx.unit = UnitRecord{54, 60, 66, 1};
    PredictElementWindow(ctx, kChin, 0.0);
    // Chin mask 11 x 7 at unit 12: down extent 7 / 24 units; 255 - 66 x 7 / 24 = 235.75.
    EXPECT_EQ(chin.yMax, 235);
    EXPECT_LE(chin.yC, chin.yMax);
    EXPECT_LE(chin.yMin, chin.yMax);

    chin.yFixed = 1;
    chin.yMax = 7;
    PredictElementWindow(ctx, kChin, 0.0);
    EXPECT_EQ(chin.yMax, 7) << "a fixed element keeps its window";
}

TEST(RotatedRegionTest, UprightRegionShiftedOrClippedAtTheBorder) {
    RegionRequest q;
    q.xMin = 100;
    q.xMax = 110;
    q.yMin = 50;
    q.yMax = 60;
    q.maskW = q.maskH = 5;
    RotatedGeometry g;
    ASSERT_EQ(RotatedRegion(256, 255, 0.0, q, g), 0);
    EXPECT_EQ(g.width, 15);  // 10 + 5 + 0.9999
    EXPECT_EQ(g.height, 15);
    EXPECT_DOUBLE_EQ(g.ox, 98.5);  // 105.5 - 7.5, then half a step
    EXPECT_DOUBLE_EQ(g.oy, 48.5);

    q.xMin = 0;
    q.xMax = 4;
    ASSERT_EQ(RotatedRegion(256, 255, 0.0, q, g), 0);
    EXPECT_EQ(g.width, 9) << "shifted inside, not cut";  // 4 + 5 + 0.9999
    EXPECT_DOUBLE_EQ(g.ox, 0.5);
    q.mode = BorderMode::Clip;
    ASSERT_EQ(RotatedRegion(256, 255, 0.0, q, g), 0);
    EXPECT_EQ(g.width, 7) << "cut at the left edge";  // -2 .. 7 becomes 0 .. 7
    EXPECT_DOUBLE_EQ(g.ox, 0.5);

    q.maskW = 11;
    EXPECT_EQ(RotatedRegion(256, 255, 0.0, q, g), kGeometry) << "7 columns cannot hold 11";
    q.mode = BorderMode::Shift;
    EXPECT_EQ(RotatedRegion(9, 255, 0.0, q, g), kGeometry) << "the image is narrower than the mask";
    q.scale = 0.0;
    EXPECT_EQ(RotatedRegion(256, 255, 0.0, q, g), kGeometry);
}

TEST(RotatedRegionTest, TiltedRegionStaysInsideItsBoxAndAlongTheEyeLine) {
    for (const double slope : {0.3, -0.3}) {
        RegionRequest q;
        q.xMin = q.xMax = 128;
        q.yMin = q.yMax = 120;
        q.scale = 0.5;
        q.maskW = 21;
        q.maskH = 11;
        q.minW = 21;
        q.minH = 11;
        RotatedGeometry g;
        ASSERT_EQ(RotatedRegion(256, 255, slope, q, g), 0);
        EXPECT_EQ(g.width, 21);
        EXPECT_EQ(g.height, 11);
        // A row of the region runs along the eye line; the centre pixel is near the window.
        const double dy = g.imageY(g.width - 1, 0) - g.imageY(0, 0);
        const double dx = g.imageX(g.width - 1, 0) - g.imageX(0, 0);
        EXPECT_NEAR(dy / dx, slope, 1e-12);
        EXPECT_NEAR(g.imageX(10, 5), 128.5, 1.0);
        EXPECT_NEAR(g.imageY(10, 5), 120.5, 1.0);
        for (const int c : {0, 20})
            for (const int r : {0, 10}) {
                EXPECT_GE(g.imageX(c, r), 128.5 - 25.0);
                EXPECT_LE(g.imageX(c, r), 128.5 + 25.0);
            }
    }
}

}  // namespace
}  // namespace ovfc
