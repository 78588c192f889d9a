// The face box from two eyes, its limits, and the drift of a box's landmarks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "landmark_box.h"
#include "ovem32.h"

namespace {

// 68 points with the six of each eye on one spot.
std::vector<float> withEyes(float lx, float ly, float rx, float ry) {
    std::vector<float> p(136, 0.0f);
    for (int i = 36; i < 48; ++i) {
        p[2 * i] = i < 42 ? lx : rx;
        p[2 * i + 1] = i < 42 ? ly : ry;
    }
    return p;
}

TEST(EmFaceBox, FromEyes) {
    ovem::FaceBox b = ovem::boxFromEyes({100, 100, 140, 100});
    EXPECT_EQ(b.width, 120);
    EXPECT_EQ(b.height, 120);
    EXPECT_EQ(b.left, 60);
    EXPECT_EQ(b.top, 64);
    // Distance 40.5: side round(121.5) = 122, left round(59.25), top round(100 - 36.6).
    b = ovem::boxFromEyes({100, 100, 140.5, 100});
    EXPECT_EQ(b.width, 122);
    EXPECT_EQ(b.left, 59);
    EXPECT_EQ(b.top, 63);
    // Tilted eyes: the distance along the eye line.
    b = ovem::boxFromEyes({100, 100, 130, 140});
    EXPECT_EQ(b.width, 150);
    EXPECT_EQ(b.left, 40);
    EXPECT_EQ(b.top, 75);
    OvEmBox c{};
    ASSERT_EQ(OvEmFaceBoxFromEyes(100, 100, 140, 100, &c), OVEM_OK);
    EXPECT_EQ(c.left, 60);
    EXPECT_EQ(c.top, 64);
    EXPECT_EQ(c.width, 120);
    EXPECT_EQ(c.height, 120);
}

TEST(EmFaceBox, Limits) {
    EXPECT_TRUE(ovem::eyesUsable({100, 100, 106, 100}));
    EXPECT_FALSE(ovem::eyesUsable({100, 100, 105.9, 100}));
    EXPECT_FALSE(ovem::eyesUsable({0, 0, 2701, 0}));
    EXPECT_FALSE(ovem::eyesUsable({NAN, 100, 140, 100}));
    EXPECT_FALSE(ovem::eyesUsable({100, 100, 140, 16385}));
    OvEmBox c{1, 2, 3, 4};
    EXPECT_EQ(OvEmFaceBoxFromEyes(100, 100, 140, 100, nullptr), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmFaceBoxFromEyes(100, NAN, 140, 100, &c), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmFaceBoxFromEyes(100, 100, 102, 100, &c), OVEM_E_FACE_BOX);
    EXPECT_EQ(c.left, 1);  // untouched on error

    EXPECT_TRUE(ovem::boxUsable({0, 0, 16, 16}, 256, 255));
    EXPECT_FALSE(ovem::boxUsable({0, 0, 15, 16}, 256, 255));
    EXPECT_FALSE(ovem::boxUsable({0, 0, 16, 8193}, 256, 255));
    EXPECT_TRUE(ovem::boxUsable({255, 254, 100, 100}, 256, 255));  // one pixel inside
    EXPECT_FALSE(ovem::boxUsable({256, 0, 100, 100}, 256, 255));
    EXPECT_FALSE(ovem::boxUsable({-100, 0, 100, 100}, 256, 255));
    EXPECT_TRUE(ovem::boxUsable({-99, -99, 100, 100}, 256, 255));
    EXPECT_FALSE(ovem::boxUsable({-16385, 0, 20000, 100}, 256, 255));
}

TEST(EmFaceBox, EyesAndDriftOfLandmarks) {
    std::vector<float> p = withEyes(100, 100, 140, 100);
    p[2 * 36] = 94;  // eye means: (99, 100) and (140, 100)
    const ovem::Eyes e = ovem::landmarkEyes(p.data());
    EXPECT_FLOAT_EQ(e.xl, 99);
    EXPECT_FLOAT_EQ(e.yl, 100);
    EXPECT_FLOAT_EQ(e.xr, 140);
    p = withEyes(100, 100, 140, 100);
    EXPECT_EQ(ovem::boxDrift({60, 64, 120, 120}, p.data()), 0.0);
    // Eyes 12 pixels lower than the box expects: a drift of 12 / 120.
    EXPECT_DOUBLE_EQ(ovem::boxDrift({60, 52, 120, 120}, p.data()), 0.1);
    // Landmark eyes on one spot give no box at all.
    p = withEyes(100, 100, 100, 100);
    EXPECT_TRUE(std::isinf(ovem::boxDrift({60, 64, 120, 120}, p.data())));
}

}  // namespace
