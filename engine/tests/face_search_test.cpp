#include <gtest/gtest.h>

#include <cmath>

#include "face/face_search.h"
#include "filters/resample.h"
#include "filters_test_util.h"
#include "status.h"

namespace ovfc {
namespace {

using test::Image;

TEST(SearchRegion, CentresScalesShiftsAndClipsTheWindow) {
    RegionGeometry g;
    ASSERT_EQ(SearchRegion(256, 255, {100, 150, 100, 140}, 0.5, 0, 9, 9, 9, 9, g), 0);
    EXPECT_DOUBLE_EQ(g.originX, 92.5);
    EXPECT_DOUBLE_EQ(g.originY, 92.5);
    EXPECT_EQ(g.width, 34);
    EXPECT_EQ(g.height, 29);
    // Three mask pixels of shift move it down by six image pixels.
    ASSERT_EQ(SearchRegion(256, 255, {100, 150, 100, 140}, 0.5, 3, 9, 9, 9, 9, g), 0);
    EXPECT_DOUBLE_EQ(g.originY, 98.5);
    // Minimum sizes win over a degenerate window.
    ASSERT_EQ(SearchRegion(256, 255, {60, 60, 60, 60}, 0.5, 0, 9, 9, 20, 12, g), 0);
    EXPECT_EQ(g.width, 20);
    EXPECT_EQ(g.height, 12);
    // Left border: moved right.
    ASSERT_EQ(SearchRegion(256, 255, {0, 10, 100, 110}, 0.5, 0, 9, 9, 9, 9, g), 0);
    EXPECT_DOUBLE_EQ(g.originX, 1.0);
    EXPECT_EQ(g.width, 14);
    // Right border: moved left.
    ASSERT_EQ(SearchRegion(256, 255, {245, 255, 100, 110}, 0.5, 0, 9, 9, 9, 9, g), 0);
    EXPECT_DOUBLE_EQ(g.originX, 228.0);
    EXPECT_EQ(g.width, 14);
}

TEST(SearchRegion, RegionLargerThanTheImageIsRefused) {
    RegionGeometry g;
    EXPECT_EQ(SearchRegion(20, 20, {0, 19, 0, 19}, 1.0, 0, 30, 5, 30, 5, g), kGeometry);
    EXPECT_EQ(g.width, 19);
    EXPECT_EQ(SearchRegion(20, 20, {0, 19, 0, 19}, 1.0, 0, 5, 30, 5, 30, g), kGeometry);
}

struct Scene {
    Image region = test::Noise(40, 30, 11, 100, 130);
    Image patch = test::Noise(7, 7, 12, 0, 255);
    std::vector<double> v = test::Normalise(patch);
    MaskValues mask() const { return {v.data(), 7, 7}; }
};

TEST(FindCandidates, LocalMinimaUnderTheThresholdInRasterOrder) {
    Scene s;
    Paste(s.region, s.patch, 25, 4);  // centre (28, 7)
    Paste(s.region, s.patch, 6, 18);  // centre (9, 21)
    HeapScratch scratch;
    CandidateOptions opt;
    opt.thresholdFactor = 1.0;  // only the global minimum value passes
    opt.thresholdCap = 1000;
    Candidate out[80];
    int n;
    MatchResult gm;
    ASSERT_EQ(FindCandidates(scratch, s.region.view(), s.mask(), nullptr, opt, 80, out, n, gm), 0);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(out[0].x, 28);
    EXPECT_EQ(out[0].y, 7);
    EXPECT_EQ(out[1].x, 9);
    EXPECT_EQ(out[1].y, 21);
    EXPECT_EQ(out[0].value, 0);
    // The allowed map removes the first one.
    std::vector<std::uint8_t> allowed(40 * 30, 1);
    allowed[7 * 40 + 28] = 0;
    ASSERT_EQ(
        FindCandidates(scratch, s.region.view(), s.mask(), allowed.data(), opt, 80, out, n, gm), 0);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(out[0].x, 9);
    // Capacity 2 holds one entry, overwritten by the later candidate.
    ASSERT_EQ(FindCandidates(scratch, s.region.view(), s.mask(), nullptr, opt, 2, out, n, gm), 0);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(out[0].x, 9);
    // A larger factor (capped) lets more minima in.
    opt.thresholdFactor = 30000;
    ASSERT_EQ(FindCandidates(scratch, s.region.view(), s.mask(), nullptr, opt, 80, out, n, gm), 0);
    EXPECT_GT(n, 2);
}

TEST(FindCandidates, FlatRegionGivesNothingAndBorderMinimumNeedsEdgeSearch) {
    HeapScratch scratch;
    Scene s;
    Candidate out[80];
    int n;
    MatchResult gm;
    CandidateOptions opt;
    opt.thresholdFactor = 1.0;
    opt.thresholdCap = 1000;
    const Image flat(40, 30, 128);
    EXPECT_EQ(FindCandidates(scratch, flat.view(), s.mask(), nullptr, opt, 80, out, n, gm), -1);
    EXPECT_EQ(gm.score, kRejected);
    Paste(s.region, s.patch, 0, 10);  // centre (3, 13): first map column
    EXPECT_EQ(FindCandidates(scratch, s.region.view(), s.mask(), nullptr, opt, 80, out, n, gm), -1);
    EXPECT_EQ(gm.x, 3);
    opt.edgeSearch = true;
    ASSERT_EQ(FindCandidates(scratch, s.region.view(), s.mask(), nullptr, opt, 80, out, n, gm), 0);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(out[0].x, 3);
    EXPECT_EQ(out[0].y, 13);
}

FaceSearchParams BlobParams() {
    FaceSearchParams p;
    p.faceMaskUnit = 10;
    p.faceStartUnit = 20;  // scale 0.5
    p.stepsNum = 1;
    p.unStep = 0.2;
    p.eyesStartUnit = 2.5;
    p.dWeight = 0.5;
    p.searchTr = 1.5;
    p.maxTr = 200;
    p.varianceTr = 0.1;
    p.estimationNum = 2;
    p.extrSearchRadi = 2;
    p.lap1FiltMult = 2;
    p.lap2FiltMult = 2;
    return p;
}

struct BlobFixture {
    HeapScratch scratch;
    Image img = test::BlobScene(120, 110, 60, 55, 20);
    Image maskImg{15, 15};
    std::vector<double> v;
    BlobFixture() {
        // The mask: the blob resampled at scale 0.5, centred on it.
        ResampleArea(scratch, img.view(), 60 - 15 + 0.5, 55 - 15 + 0.5, 0.5, maskImg.span());
        v = test::Normalise(maskImg);
    }
    MaskValues mask() const { return {v.data(), 15, 15}; }
};

TEST(FindFaces, SingleScaleFindsTheBlobWithTheStartUnit) {
    BlobFixture f;
    FaceSearchParams p = BlobParams();
    FaceHit hits[11];
    int n;
    ASSERT_EQ(FindFaces(f.scratch, f.img.view(), {20, 100, 20, 90}, f.mask(), p, 11, hits, n), 0);
    ASSERT_GE(n, 1);
    EXPECT_NEAR(hits[0].x, 60, 2);
    EXPECT_NEAR(hits[0].y, 55, 2);
    EXPECT_EQ(hits[0].unit, 22);  // trunc(trunc(20) + 2.5)
    for (int i = 1; i < n; ++i) EXPECT_GE(hits[i].score, hits[i - 1].score);
    // A negative eyes_start_unit fixes the unit.
    p.eyesStartUnit = -33.7;
    ASSERT_EQ(FindFaces(f.scratch, f.img.view(), {20, 100, 20, 90}, f.mask(), p, 11, hits, n), 0);
    for (int i = 0; i < n; ++i) EXPECT_EQ(hits[i].unit, 33);
}

TEST(FindFaces, LaterScalesFindASmallerFaceAndReportItsUnit) {
    HeapScratch scratch;
    BlobFixture f;
    // The same blob, 1.44 times smaller: the third scale (0.5 x 1.2^2) fits it.
    const Image small = test::BlobScene(120, 110, 50, 50, 20 / 1.44);
    FaceSearchParams p = BlobParams();
    p.stepsNum = 4;
    p.eyesStartUnit = 0;
    FaceHit hits[11];
    int n;
    ASSERT_EQ(FindFaces(scratch, small.view(), {15, 100, 15, 90}, f.mask(), p, 11, hits, n), 0);
    ASSERT_GE(n, 1);
    EXPECT_NEAR(hits[0].x, 50, 2);
    EXPECT_NEAR(hits[0].y, 50, 2);
    EXPECT_EQ(hits[0].unit, 13);  // 20 -> 16 -> 13 (two steps)
    // No position is output twice.
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            EXPECT_FALSE(hits[i].x == hits[j].x && hits[i].y == hits[j].y);
}

TEST(FindFaces, FlatImageHasNoFaceAndTooSmallImageIsAGeometryError) {
    BlobFixture f;
    const FaceSearchParams p = BlobParams();
    FaceHit hits[11];
    int n;
    const Image flat(120, 110, 140);
    EXPECT_EQ(FindFaces(f.scratch, flat.view(), {20, 100, 20, 90}, f.mask(), p, 11, hits, n),
              kNoFace);
    const Image tiny(20, 20, 140);
    EXPECT_EQ(FindFaces(f.scratch, tiny.view(), {0, 19, 0, 19}, f.mask(), p, 11, hits, n),
              kGeometry);
}

}  // namespace
}  // namespace ovfc
