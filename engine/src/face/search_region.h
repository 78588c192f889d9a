#pragma once
// The resampled region that holds a search window at a scale.

#include "filters/image_view.h"
#include "filters/scratch.h"

namespace ovfc {

// Inclusive window in image pixels.
struct SearchWindow {
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

struct RegionGeometry {
    double originX = 0, originY = 0;  // image position of the first sample
    double scale = 1;                 // resampled pixels per image pixel
    int width = 0, height = 0;        // resampled pixels
};

// Moves [lo, hi] inside [0, limit]: off the low edge first, then back from the high edge,
// never starting below 0.
void MoveInside(double& lo, double& hi, double limit);

// Region around `window` at scale r, moved down by yShift mask pixels, at least minW x minH
// resampled pixels, shifted to lie inside an imageW x imageH image. 0, or 26 when the region
// cannot hold a maskW x maskH mask.
int SearchRegion(int imageW, int imageH, SearchWindow window, double r, int yShift, int maskW,
                 int maskH, int minW, int minH, RegionGeometry& out);

// SearchRegion, then the resampling of the region into a buffer from `scratch` (held by `buf`).
class ResampledRegion {
  public:
    explicit ResampledRegion(Scratch& scratch) : scratch_(scratch) {}
    ~ResampledRegion() { release(); }
    ResampledRegion(const ResampledRegion&) = delete;
    ResampledRegion& operator=(const ResampledRegion&) = delete;

    // 0, 3 or 26.
    int build(ImageView image, SearchWindow window, double r, int yShift, int maskW, int maskH,
              int minW, int minH);
    const RegionGeometry& geometry() const { return geo_; }
    ImageView view() const { return {pixels_, geo_.width, geo_.height, geo_.width}; }

  private:
    void release();
    Scratch& scratch_;
    RegionGeometry geo_;
    std::uint8_t* pixels_ = nullptr;
};

}  // namespace ovfc
