// The eye-pair and element searches on images whose answer is known: a bright ridge, a dark
// blob, generated faces, a flat image.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dev_library.h"
#include "elements/element_search.h"
#include "eyes/eye_search.h"
#include "facegen.h"
#include "geometry/face_geometry.h"
#include "library_state.h"
#include "pool_scratch.h"

namespace ovfc {
namespace {

using ovfc_test::DevLibrary;
using ovfc_test::takeIn;

constexpr int W = 256, H = 255;

std::vector<std::uint8_t> flat(std::uint8_t grey) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(W) * H, grey);
}

void fillRect(std::vector<std::uint8_t>& px, int x0, int y0, int x1, int y1, std::uint8_t v) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) px[static_cast<std::size_t>(y) * W + x] = v;
}

void placeEyes(FaceContext& ctx, int xl, int yl, int xr, int yr) {
    ctx.elements[kEyeLeft].xC = xl;
    ctx.elements[kEyeLeft].yC = yl;
    ctx.elements[kEyeRight].xC = xr;
    ctx.elements[kEyeRight].yC = yr;
    ctx.unit.unit = static_cast<std::int32_t>(std::hypot(xr - xl, yr - yl));
    CentreEyeWindows(ctx, 2.0);
}

class Searches : public ::testing::Test {
  protected:
    void SetUp() override { lib.set("param", "gamma", "0"); }  // flat test images stay as drawn
    DevLibrary lib;
    FaceContext ctx{lib.state};
    PoolScratch scratch{lib.state.pool};
};

TEST_F(Searches, RidgeIsABrightBarBetweenTheEyes) {
    auto px = flat(100);
    fillRect(px, 126, 100, 134, 140, 200);
    takeIn(ctx, px, W, H);
    placeEyes(ctx, 100, 120, 160, 120);
    bool ridge = false;
    ASSERT_EQ(CheckRidge(ctx, scratch, ridge), kOk);
    EXPECT_TRUE(ridge);

    FaceContext plain(lib.state);
    takeIn(plain, flat(100), W, H);
    placeEyes(plain, 100, 120, 160, 120);
    ASSERT_EQ(CheckRidge(plain, scratch, ridge), kOk);
    EXPECT_FALSE(ridge);

    // Eyes on the top row with a steep line: the lines leave the image, nothing is read there.
    placeEyes(plain, 10, 0, 70, 20);
    EXPECT_EQ(CheckRidge(plain, scratch, ridge), kOk);
    EXPECT_FALSE(ridge);
    placeEyes(plain, 70, 20, 70, 40);
    EXPECT_EQ(CheckRidge(plain, scratch, ridge), kOk) << "eyes in one column";
    EXPECT_FALSE(ridge);
}

TEST_F(Searches, IrisMovesTheEyeOntoADarkBlob) {
    auto px = flat(150);
    fillRect(px, 103, 109, 117, 121, 40);  // left iris, centre (110, 115)
    fillRect(px, 163, 111, 177, 123, 40);  // right iris, centre (170, 117)
    takeIn(ctx, px, W, H);
    placeEyes(ctx, 104, 120, 166, 120);
    ASSERT_EQ(FindIrises(ctx, scratch), kOk);
    EXPECT_NEAR(ctx.elements[kEyeLeft].xC, 110, 5);
    EXPECT_NEAR(ctx.elements[kEyeLeft].yC, 115, 5);
    EXPECT_NEAR(ctx.elements[kEyeRight].xC, 170, 5);
    EXPECT_NEAR(ctx.elements[kEyeRight].yC, 117, 5);
    EXPECT_EQ(ctx.elements[kEyeLeft].xMax - ctx.elements[kEyeLeft].xC,
              ctx.elements[kEyeLeft].xC - ctx.elements[kEyeLeft].xMin)
        << "windows centred again";

    FaceContext plain(lib.state);
    takeIn(plain, flat(150), W, H);
    placeEyes(plain, 104, 120, 166, 120);
    ASSERT_EQ(FindIrises(plain, scratch), kOk);
    EXPECT_EQ(plain.elements[kEyeLeft].xC, 104) << "no blob: the eye stays";
    EXPECT_EQ(plain.elements[kEyeRight].yC, 120);
}

TEST_F(Searches, EyeCandidatesOnAGeneratedFace) {
    const facegen::Frame f = facegen::generateFrame(1, 4, 2);
    takeIn(ctx, f.pixels, W, H);
    lib.set("param", "eye_cand", "50");
    placeEyes(ctx, static_cast<int>(f.eyes.xl), static_cast<int>(f.eyes.yl),
              static_cast<int>(f.eyes.xr), static_cast<int>(f.eyes.yr));
    EyePosition out[20];
    int n = 0;
    ASSERT_EQ(FindEyeCandidates(ctx, scratch, kEyeLeft, out, n), kOk);
    ASSERT_GE(n, 1);
    EXPECT_LE(n, 20) << "at most 20 candidates whatever eye_cand says";
    const double d = std::hypot(f.eyes.xr - f.eyes.xl, f.eyes.yr - f.eyes.yl);
    EXPECT_LT(std::hypot(out[0].x - f.eyes.xl, out[0].y - f.eyes.yl), d / 5) << "best first";

    // Every pair scores the face score itself when the eye score is off.
    lib.set("param", "Add_score", "0");
    EyePairList pairs;
    ctx.face.xC = static_cast<int>((f.eyes.xl + f.eyes.xr) / 2);
    ctx.face.yC = static_cast<int>((f.eyes.yl + f.eyes.yr) / 2);
    ctx.elementCount = kElementCount;
    CentreFaceWindow(ctx, 1.5);
    DeriveFaceSize(ctx);
    SetElementWindows(ctx);
    ASSERT_EQ(SearchEyePairs(ctx, 321, 29, pairs), kOk);
    ASSERT_GE(pairs.count, 1);
    for (int i = 0; i < pairs.count; ++i) EXPECT_EQ(pairs.pairs[i].score, 321);

    lib.state.defaultMasks.find(kEyeRight)->id = 9;  // the right eye mask gone
    EXPECT_EQ(FindEyeCandidates(ctx, scratch, kEyeRight, out, n), kBadDescriptor);
    EXPECT_EQ(SearchEyePairs(ctx, 321, 29, pairs), kBadDescriptor);
}

TEST_F(Searches, AnElementThatMatchesNowhereKeepsItsRecord) {
    takeIn(ctx, flat(90), W, H);
    ctx.mode = Mode::Creation;
    ctx.elementCount = kElementCount;
    placeEyes(ctx, 100, 110, 160, 110);
    SetElementWindows(ctx);
    const ElementRecord before = ctx.elements[kNose];
    ASSERT_EQ(SearchElement(ctx, kNose), kOk);
    EXPECT_EQ(ctx.elements[kNose].xC, before.xC);
    EXPECT_EQ(ctx.elements[kNose].yMin, before.yMin);
    EXPECT_EQ(ctx.elements[kNose].xFixed, 0);

    ctx.mode = Mode::Matching;  // the context's own set is empty
    EXPECT_EQ(SearchElement(ctx, kNose), kBadDescriptor);
}

}  // namespace
}  // namespace ovfc
