// Capture-region marks, centre mark and the notified rectangle on the preview image.

#include "marks.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vfw;

namespace {

struct Canvas {
    int w, h;
    std::vector<uint32_t> px;
    Canvas(int width, int height) : w(width), h(height), px(size_t(width) * height, 0x123456) {}
    Rgb32Image image() { return {px.data(), w, h}; }
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
    int count(uint32_t c) const {
        int n = 0;
        for (uint32_t p : px) n += p == c;
        return n;
    }
};

constexpr uint32_t kBackground = 0x123456;

}  // namespace

TEST(PreviewMarks, CornerAndSideMarksAroundTheCentredRegion) {
    Canvas c(320, 280);  // region x 32..287, y 12..266
    drawRegionMarks(c.image());
    // Top-left horizontal mark: three black lines just above the region, two white above.
    for (int t = 1; t <= 3; ++t) EXPECT_EQ(c.at(32, 12 - t), kBlack) << t;
    for (int t = 4; t <= 5; ++t) EXPECT_EQ(c.at(40, 12 - t), kWhite) << t;
    EXPECT_EQ(c.at(32 + 31, 11), kBlack);
    EXPECT_EQ(c.at(32 + 32, 11), kBackground);  // 32 pixels long
    EXPECT_EQ(c.at(40, 12 - 6), kBackground);   // five lines thick
    // Bottom-right horizontal mark below the region.
    EXPECT_EQ(c.at(287, 267), kBlack);
    EXPECT_EQ(c.at(287 - 31, 269), kBlack);
    EXPECT_EQ(c.at(287, 270), kWhite);
    EXPECT_EQ(c.at(287, 271), kWhite);
    // Vertical marks: black inside, white outside, 32 long.
    EXPECT_EQ(c.at(31, 12), kBlack);
    EXPECT_EQ(c.at(30, 12), kWhite);
    EXPECT_EQ(c.at(288, 266), kBlack);
    EXPECT_EQ(c.at(289, 266), kWhite);
    EXPECT_EQ(c.at(31, 12 + 32), kBackground);
    // Nothing inside the region.
    EXPECT_EQ(c.at(160, 140), kBackground);
    EXPECT_EQ(c.count(kBlack), 4 * 32 * 3 + 4 * 32);
    EXPECT_EQ(c.count(kWhite), 4 * 32 * 2 + 4 * 32);
}

TEST(PreviewMarks, OnlySideMarksWhenTheFrameIsNotHigherThan255) {
    Canvas wide(320, 240);
    drawRegionMarks(wide.image());
    EXPECT_EQ(wide.count(kBlack), 4 * 32);
    EXPECT_EQ(wide.count(kWhite), 4 * 32);
    EXPECT_EQ(wide.at(31, 0), kBlack);
    EXPECT_EQ(wide.at(289, 239), kWhite);

    Canvas narrow(256, 480);
    drawRegionMarks(narrow.image());
    EXPECT_EQ(narrow.count(kBackground), 256 * 480);
}

TEST(PreviewMarks, CentreMarkIsA32PixelWhiteLine) {
    Canvas c(320, 240);
    drawCentreMark(c.image());
    EXPECT_EQ(c.count(kWhite), 32);
    EXPECT_EQ(c.at(160, 104), kWhite);
    EXPECT_EQ(c.at(160, 135), kWhite);
    EXPECT_EQ(c.at(160, 103), kBackground);
}

TEST(PreviewMarks, NotifiedRectangleHasFourNestedOutlines) {
    Canvas c(256, 255);                             // region = whole image
    drawNotifiedRect(c.image(), 100, 100, 20, 10);  // rectangle x 90..109, y 95..104
    EXPECT_EQ(c.at(89, 100), kWhite);               // +1
    EXPECT_EQ(c.at(90, 100), kWhite);               // 0
    EXPECT_EQ(c.at(91, 100), kBlack);               // -1
    EXPECT_EQ(c.at(92, 100), kBlack);               // -2
    EXPECT_EQ(c.at(93, 100), kBackground);
    EXPECT_EQ(c.at(110, 94), kWhite);  // outer corner
    EXPECT_EQ(c.at(100, 97), kBlack);  // top of -2
    EXPECT_EQ(c.at(111, 100), kBackground);

    // Clipped at the image border without writing outside.
    Canvas small(16, 16);
    // Region origin (-120, -119): the 15 x 15 rectangle spans -5..9 both ways.
    drawNotifiedRect(small.image(), 122, 121, 15, 15);
    EXPECT_EQ(small.at(9, 5), kWhite);
    EXPECT_EQ(small.at(10, 5), kWhite);
    EXPECT_EQ(small.at(7, 5), kBlack);
    EXPECT_EQ(small.at(5, 5), kBackground);
}
