#pragma once
// A search region aligned with the eye line: the rectangle around a window at a scale,
// rotated by the eye-line angle, kept inside the image (moved or cut), and its resampling.

#include "../filters/image_view.h"
#include "../filters/scratch.h"

namespace ovfc {

class RegionCache;

enum class BorderMode {
    Shift,  // a box crossing an edge is moved inward
    Clip,   // a box crossing an edge is cut at it
};

struct RegionRequest {
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // window, image pixels (inclusive)
    double scale = 1.0;                          // region pixels per image pixel
    double yShift = 0.0;                         // mask pixels
    int maskW = 0, maskH = 0;
    int minW = 0, minH = 0;  // smallest region size, region pixels
    BorderMode mode = BorderMode::Shift;
};

struct RotatedGeometry {
    double ox = 0, oy = 0;  // image position of region pixel (0, 0)
    double cx = 1, sx = 0;  // cos / scale, sin / scale
    double scale = 1.0;
    double slope = 0.0;
    int width = 0, height = 0;

    // Image position of region pixel (column c, row r).
    double imageX(double c, double r) const { return ox - r * sx + c * cx; }
    double imageY(double c, double r) const { return oy + r * cx + c * sx; }
};

// The region of `request` in a w x h image along an eye line of `slope`. 0, or 26 when the
// region cannot hold the mask.
// A scale that is not finite and positive also gives 26.
int RotatedRegion(int imageW, int imageH, double slope, const RegionRequest& request,
                  RotatedGeometry& out);

// RotatedRegion and the disc-aperture resampling of the region into a scratch buffer. Region
// pixels whose aperture lies wholly outside the image are 0; partly outside, only the image
// pixels count.
class RotatedBuffer {
  public:
    explicit RotatedBuffer(Scratch& scratch) : scratch_(scratch) {}
    ~RotatedBuffer() { release(); }
    RotatedBuffer(const RotatedBuffer&) = delete;
    RotatedBuffer& operator=(const RotatedBuffer&) = delete;

    // 0, 3 or 26. With a cache bound to `image`, a region kept there is copied instead of
    // resampled, and a resampled one is kept.
    int build(ImageView image, double slope, const RegionRequest& request,
              RegionCache* cache = nullptr);
    const RotatedGeometry& geometry() const { return geo_; }
    ImageView view() const { return {pixels_, geo_.width, geo_.height, geo_.width}; }

  private:
    void release();
    Scratch& scratch_;
    RotatedGeometry geo_;
    std::uint8_t* pixels_ = nullptr;
};

}  // namespace ovfc
