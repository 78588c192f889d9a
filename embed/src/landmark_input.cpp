#include "landmark_input.h"

#include <algorithm>
#include <cmath>

namespace ovem {
namespace {

constexpr float kMean[3] = {122.782f, 117.001f, 104.298f};

struct Square {
    int side = 0;
    int padLeft = 0, padTop = 0;
};

Square square(const FaceBox& box) {
    Square s;
    s.side = std::max(box.width, box.height);
    const int diff = s.side - std::min(box.width, box.height);
    // The larger half (rounded up) goes after the box, the rest before.
    const int before = diff - (diff + 1) / 2;
    if (box.width < box.height) s.padLeft = before;
    if (box.height < box.width) s.padTop = before;
    return s;
}

// One sampling position along an axis of the square.
struct Tap {
    int lo = 0, hi = 0;
    double frac = 0;
};

Tap tap(int dst, int side) {
    const double ratio = static_cast<double>(side) / kLandmarkInputSide;
    const double src = ratio * dst;
    Tap t;
    t.lo = static_cast<int>(std::floor(src));
    t.frac = src - t.lo;
    t.hi = std::min(side - 1, static_cast<int>(std::ceil(src)));
    return t;
}

}  // namespace

void landmarkInput(const uint8_t* grey, int width, int height, const FaceBox& box,
                   float* input) {
    const Square sq = square(box);
    // The grey level at a pixel of the padded square; black outside the box and frame.
    auto at = [&](int sy, int sx) -> double {
        const int by = sy - sq.padTop, bx = sx - sq.padLeft;
        if (by < 0 || by >= box.height || bx < 0 || bx >= box.width) return 0.0;
        const int fy = box.top + by, fx = box.left + bx;
        if (fy < 0 || fy >= height || fx < 0 || fx >= width) return 0.0;
        return grey[static_cast<long>(fy) * width + fx];
    };
    Tap cols[kLandmarkInputSide];
    for (int c = 0; c < kLandmarkInputSide; ++c) cols[c] = tap(c, sq.side);
    for (int r = 0; r < kLandmarkInputSide; ++r) {
        const Tap row = tap(r, sq.side);
        for (int c = 0; c < kLandmarkInputSide; ++c) {
            const Tap& col = cols[c];
            const double tl = at(row.lo, col.lo), tr = at(row.lo, col.hi);
            const double bl = at(row.hi, col.lo), br = at(row.hi, col.hi);
            const double top = tl + (tr - tl) * col.frac;
            const double bottom = bl + (br - bl) * col.frac;
            const float v = static_cast<float>(top + (bottom - top) * row.frac);
            float* o = input + (r * kLandmarkInputSide + c) * 3;
            for (int k = 0; k < 3; ++k) o[k] = (v - kMean[k]) / 255.0f;
        }
    }
}

void landmarkPointsToFrame(const float raw[kLandmarkOutputs], const FaceBox& box,
                           float points[kLandmarkOutputs]) {
    const double side = std::max(box.width, box.height);
    const double scale = kLandmarkInputSide / side;
    const double w = box.width * scale, h = box.height * scale;
    const double padX = w < h ? (h - w) / 2 : 0.0;
    const double padY = h < w ? (w - h) / 2 : 0.0;
    for (int i = 0; i < kLandmarkOutputs; i += 2) {
        const double rx = (raw[i] * static_cast<double>(kLandmarkInputSide) - padX) / w;
        const double ry = (raw[i + 1] * static_cast<double>(kLandmarkInputSide) - padY) / h;
        points[i] = static_cast<float>(box.left + rx * box.width);
        points[i + 1] = static_cast<float>(box.top + ry * box.height);
    }
}

bool boxIsFlat(const uint8_t* grey, int width, int height, const FaceBox& box) {
    const int x0 = std::max(box.left, 0), x1 = std::min(box.left + box.width, width);
    const int y0 = std::max(box.top, 0), y1 = std::min(box.top + box.height, height);
    if (x0 >= x1 || y0 >= y1) return true;
    const uint8_t first = grey[static_cast<long>(y0) * width + x0];
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (grey[static_cast<long>(y) * width + x] != first) return false;
    return true;
}

}  // namespace ovem
