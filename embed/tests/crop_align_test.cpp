// The aligned crop's placement from landmarks and its sampling, on frames whose values
// give the sampled positions away.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "crop_align.h"
#include "ovem32.h"

namespace {

constexpr int kW = 256, kH = 255;

// 68 points: the six of each eye on one spot, the twenty of the mouth on another.
std::vector<float> facePoints(float lx, float ly, float rx, float ry, float mx, float my) {
    std::vector<float> p(136, 0.0f);
    for (int i = 0; i < 68; ++i) {
        float x = 0, y = 0;
        if (i >= 36 && i < 42) x = lx, y = ly;
        if (i >= 42 && i < 48) x = rx, y = ry;
        if (i >= 48) x = mx, y = my;
        p[2 * i] = x;
        p[2 * i + 1] = y;
    }
    return p;
}

// Grey level = column (a horizontal ramp), or = row.
std::vector<uint8_t> ramp(bool rows) {
    std::vector<uint8_t> f(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) f[y * kW + x] = static_cast<uint8_t>(rows ? y : x);
    return f;
}

TEST(EmCropPlacement, FromEyeAndMouthCentres) {
    std::vector<float> p = facePoints(40, 50, 80, 50, 60, 90);
    p[2 * 36] = 38;  // the eye centre is the mean of its six points
    p[2 * 37] = 42;
    ovem::CropPlacement c;
    ASSERT_TRUE(ovem::cropPlacement(p.data(), c));
    EXPECT_NEAR(c.side, std::hypot(20.0, 40.0) / 0.45, 1e-9);
    EXPECT_NEAR(c.centreX, 60.0, 1e-9);
    EXPECT_NEAR(c.centreY, (50 + 50 + 90) / 3.0, 1e-9);
    EXPECT_EQ(c.angle, 0.0);
    p = facePoints(40, 50, 80, 70, 60, 100);
    ASSERT_TRUE(ovem::cropPlacement(p.data(), c));
    EXPECT_NEAR(c.angle, std::atan2(20.0, 40.0), 1e-12);
    p[7] = NAN;
    EXPECT_FALSE(ovem::cropPlacement(p.data(), c));
}

TEST(EmCrop, UprightCopiesAndScales) {
    const std::vector<uint8_t> cols = ramp(false), rows = ramp(true);
    std::vector<uint8_t> crop(150 * 150);
    // Side 150 with its corner at (20, 10): a plain copy.
    ovem::CropPlacement p{95.0, 10 + 0.43 * 150, 150.0, 0.3};  // the angle is ignored
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kUpright, crop.data());
    for (int u : {0, 1, 75, 149}) ASSERT_EQ(crop[7 * 150 + u], 20 + u);
    ovem::alignedCrop(rows.data(), kW, kH, p, ovem::CropAlignment::kUpright, crop.data());
    for (int v : {0, 1, 75, 149}) ASSERT_EQ(crop[v * 150 + 3], 10 + v);
    // Side 75.9 rounds down to 75: every second crop column falls halfway, and halves go up.
    p = {20 + 0.5 * 75.9, 100.0, 75.9, 0.0};
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kUpright, crop.data());
    const int left = static_cast<int>(std::floor(p.centreX - 0.5 * 75));
    EXPECT_EQ(crop[0], left);
    EXPECT_EQ(crop[1], left + 1);  // left + 0.5
    EXPECT_EQ(crop[2], left + 1);
    // The square's last column repeats rather than reading past it.
    EXPECT_EQ(crop[149], left + 74);
}

TEST(EmCrop, BlackPastTheFrame) {
    const std::vector<uint8_t> cols = ramp(false);
    std::vector<uint8_t> crop(150 * 150);
    // Corner at (-10, -5): ten black columns and five black rows.
    const ovem::CropPlacement p{-10 + 75.0, -5 + 0.43 * 150, 150.0, 0.0};
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kUpright, crop.data());
    EXPECT_EQ(crop[20 * 150 + 9], 0);
    EXPECT_EQ(crop[20 * 150 + 11], 1);
    EXPECT_EQ(crop[4 * 150 + 30], 0);
    EXPECT_EQ(crop[5 * 150 + 30], 20);
}

TEST(EmCrop, LevelEyesTurnsAboutTheCentroid) {
    const std::vector<uint8_t> cols = ramp(false);
    std::vector<uint8_t> upright(150 * 150), level(150 * 150);
    // Unturned and on whole pixels, both ways give the same crop.
    ovem::CropPlacement p{95.0, 74.5, 150.0, 0.0};
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kUpright, upright.data());
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kLevelEyes, level.data());
    EXPECT_EQ(upright, level);
    // Eyes one above the other (a quarter turn): crop rows run down the frame's columns,
    // so on a column ramp the value falls by one per crop row: x = 95.25 - (v - 64.5).
    p = {95.25, 120.0, 150.0, std::acos(0.0)};
    ovem::alignedCrop(cols.data(), kW, kH, p, ovem::CropAlignment::kLevelEyes, level.data());
    for (int v : {0, 10, 100}) {
        ASSERT_EQ(level[v * 150 + 3], 160 - v) << v;
        ASSERT_EQ(level[v * 150 + 120], 160 - v) << v;
    }
}

TEST(EmCropApi, ArgumentsAndLimits) {
    const std::vector<uint8_t> cols = ramp(false);
    std::vector<uint8_t> crop(150 * 150, 7);
    const std::vector<uint8_t> untouched = crop;
    std::vector<float> p = facePoints(100, 100, 140, 100, 120, 150);
    EXPECT_EQ(OvEmAlignedCrop(nullptr, kW, kH, p.data(), crop.data()), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, nullptr, crop.data()), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, p.data(), nullptr), OVEM_E_ARGUMENT);
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), 0, kH, p.data(), crop.data()), OVEM_E_ARGUMENT);
    std::vector<float> bad = p;
    bad[100] = INFINITY;
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, bad.data(), crop.data()), OVEM_E_ARGUMENT);
    // A face of a few pixels, and one far away.
    std::vector<float> tiny = facePoints(100, 100, 101, 100, 100.5f, 102);
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, tiny.data(), crop.data()), OVEM_E_FACE_BOX);
    std::vector<float> far = facePoints(1e5f, 100, 1e5f + 40, 100, 1e5f + 20, 150);
    EXPECT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, far.data(), crop.data()), OVEM_E_FACE_BOX);
    EXPECT_EQ(crop, untouched);
    // The interface gives the upright crop.
    ASSERT_EQ(OvEmAlignedCrop(cols.data(), kW, kH, p.data(), crop.data()), OVEM_OK);
    ovem::CropPlacement c;
    ASSERT_TRUE(ovem::cropPlacement(p.data(), c));
    std::vector<uint8_t> expected(150 * 150);
    ovem::alignedCrop(cols.data(), kW, kH, c, ovem::CropAlignment::kUpright, expected.data());
    EXPECT_EQ(crop, expected);
}

}  // namespace
