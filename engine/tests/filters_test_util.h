#pragma once
// Small helpers shared by the image-operation tests.

#include <cstdint>
#include <vector>

#include "filters/image_view.h"
#include "filters/match_map.h"

namespace ovfc::test {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

    Image(int w, int h, std::uint8_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
    Image(int w, int h, std::vector<std::uint8_t> p) : width(w), height(h), pixels(std::move(p)) {}
    std::uint8_t& at(int x, int y) { return pixels[y * width + x]; }
    std::uint8_t at(int x, int y) const { return pixels[y * width + x]; }
    ImageView view() const { return {pixels.data(), width, height, width}; }
    ImageSpan span() { return {pixels.data(), width, height, width}; }
};

// Deterministic pseudo-random texture.
Image Noise(int w, int h, unsigned seed, int lo = 0, int hi = 255);
// A w x h patch of `src` whose top-left pixel is (x, y).
Image Crop(const Image& src, int x, int y, int w, int h);
// Copies `patch` into `dst` with its top-left pixel at (x, y).
void Paste(Image& dst, const Image& patch, int x, int y);

// A bright disc of radius rad at (cx, cy) with two dark spots, on a dim textured ground
// (seeded): a minimal face for the search tests.
Image BlobScene(int w, int h, int cx, int cy, double rad, unsigned seed = 21);

// Mask values: pixels minus their mean over their standard deviation (population variance).
std::vector<double> Normalise(const Image& mask);

// Straightforward window score by direct double summation, for comparison with the matchers.
double DirectScore(const Image& region, const std::vector<double>& v, int mw, int mh, int j, int i,
                   MeanMode mode, double threshold);

}  // namespace ovfc::test
