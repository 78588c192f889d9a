#include "frame_mapping.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ovio32.h"

namespace fs = std::filesystem;
using ovfc_eval::FrameMapping;

namespace {

TEST(FittedIndexMap, OmitsAndRepeatsByTheErrorTerm) {
    EXPECT_EQ(ovfc_eval::fittedIndexMap(5, 4, false), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ovfc_eval::fittedIndexMap(2, 4, false), (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(ovfc_eval::fittedIndexMap(3, 3, false), (std::vector<int>{0, 1, 2}));
    // Lines walked from the last one are repeated and omitted as in top-down order.
    for (const auto& [s, d] : {std::pair{5, 4}, {2, 3}, {243, 194}, {100, 255}})
        EXPECT_EQ(ovfc_eval::fittedIndexMap(s, d, true), ovfc_eval::fittedIndexMap(s, d, false))
            << s << " -> " << d;
    EXPECT_TRUE(ovfc_eval::fittedIndexMap(0, 4, false).empty());
}

TEST(FittedFrameMapping, PhotographOf320x243TakesTheWidthWhole) {
    FrameMapping m;
    ASSERT_TRUE(ovfc_eval::fittedFrameMapping(320, 243, false, m));
    EXPECT_EQ(m.coverWidth, 256);
    // 320 x 318 source rectangle; its 243 stored lines fill 255 * 243 / 318 lines.
    EXPECT_EQ(m.coverHeight, 194);
    EXPECT_DOUBLE_EQ(m.x.scale, 0.8);
    EXPECT_DOUBLE_EQ(m.y.scale, 194.0 / 243.0);
    // The error term omits the first stored pixel and line: frame pixel 0 shows pixel 1,
    // and stored pixel 160 (omitted) falls between frame pixels 127 and 128.
    EXPECT_NEAR(m.x(1), 0.0, 0.5);
    EXPECT_NEAR(m.x(160), 127.5, 0.05);
    EXPECT_NEAR(m.y(1), 0.0, 0.5);
    EXPECT_NEAR(m.y(242), 193.0, 0.5);

    ASSERT_TRUE(ovfc_eval::fittedFrameMapping(256, 255, false, m));
    EXPECT_DOUBLE_EQ(m.x(17.5), 17.5);
    EXPECT_DOUBLE_EQ(m.y(100), 100);
    EXPECT_FALSE(ovfc_eval::fittedFrameMapping(0, 10, false, m));
}

// Writes a width x height image whose pixels hold their column (by columns) or line index
// modulo 256, reads it fitted into the frame, and checks that every frame pixel showing
// stored index i lies within half a pixel of the mapped i.
void checkAgainstReader(const std::string& ext, int width, int height, bool byColumns) {
    const fs::path file =
        fs::temp_directory_path() / ("ovfc_mapping_" + std::to_string(::getpid()) + "." + ext);
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            stored[static_cast<std::size_t>(r) * width + c] =
                static_cast<std::uint8_t>((byColumns ? c : r) & 0xFF);
    ClipRect size{};
    size.outWidth = static_cast<std::int16_t>(width);
    size.outHeight = static_cast<std::int16_t>(height);
    ASSERT_EQ(OvWriteClip(file.c_str(), stored.data(), OVIO_FORMAT_BY_NAME, &size), OVIO_OK);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(file.c_str(), &info, OVIO_FORMAT_BY_NAME), OVIO_OK);
    std::vector<std::uint8_t> frame(256 * 255);
    ASSERT_EQ(OvReadImage(file.c_str(), frame.data(), OVIO_FORMAT_BY_NAME), OVIO_OK);
    fs::remove(file);

    FrameMapping m;
    ASSERT_TRUE(ovfc_eval::fittedFrameMapping(info.width, info.height, info.bottomUp != 0, m));
    const ovfc_eval::AxisMap& axis = byColumns ? m.x : m.y;
    const int covered = byColumns ? m.coverWidth : m.coverHeight;
    double worst = 0;
    for (int j = 0; j < covered; ++j) {
        const int v =
            frame[byColumns ? static_cast<std::size_t>(j) : static_cast<std::size_t>(j) * 256];
        // The stored index is v or v + 256: the one nearer the rough inverse.
        const double rough = j / axis.scale;
        const int index = std::fabs(v + 256 - rough) < std::fabs(v - rough) ? v + 256 : v;
        worst = std::max(worst, std::fabs(axis(index) - j));
    }
    EXPECT_LE(worst, 0.5) << ext << " " << width << "x" << height;
    // Beyond the covered part the frame is padding.
    if (covered < (byColumns ? 256 : 255)) {
        const std::size_t pad =
            byColumns ? static_cast<std::size_t>(covered) : static_cast<std::size_t>(covered) * 256;
        EXPECT_EQ(frame[pad], 63);
    }
}

TEST(FittedFrameMapping, AgreesWithTheImageReader) {
    checkAgainstReader("TIF", 320, 243, true);
    checkAgainstReader("TIF", 320, 243, false);
    checkAgainstReader("TIF", 128, 100, true);  // enlarged
    checkAgainstReader("TIF", 128, 100, false);
    // A tall image stored bottom up: the height is taken whole.
    checkAgainstReader("BMP", 200, 300, true);
    checkAgainstReader("BMP", 200, 300, false);
}

}  // namespace
