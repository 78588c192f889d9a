#pragma once
// Marks drawn onto the preview image (0xFFRRGGBB pixels, frame-sized).

#include <cstdint>

namespace vfw {

struct Rgb32Image {
    uint32_t* pixels;
    int width;
    int height;
};

inline constexpr uint32_t kBlack = 0xFF000000u;
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr int kRegionWidth = 256;
inline constexpr int kRegionHeight = 255;
inline constexpr int kMarkLength = 32;

// Marks at the corners of the centred 256 x 255 capture region: horizontal marks five lines
// thick outside the top and bottom edges (three black lines nearest the region, two white
// outside them) when the frame is wider than 256 and higher than 255, and vertical marks
// beside the left and right edges (black inside, white outside) when it is wider than 256.
void drawRegionMarks(const Rgb32Image& img);

// The 32-pixel vertical white line at the centre.
void drawCentreMark(const Rgb32Image& img);

// Four nested outlines around the rectangle of the given centre and size (relative to the
// centred capture region): inset by 2 and 1 black, the rectangle and outset by 1 white.
void drawNotifiedRect(const Rgb32Image& img, int centreX, int centreY, int width, int height);

}  // namespace vfw
