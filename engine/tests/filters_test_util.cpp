#include "filters_test_util.h"

#include <algorithm>
#include <cmath>

namespace ovfc::test {

Image Noise(int w, int h, unsigned seed, int lo, int hi) {
    Image img(w, h);
    unsigned s = seed * 2654435761u + 12345u;
    for (auto& p : img.pixels) {
        s = s * 1103515245u + 12345u;
        p = static_cast<std::uint8_t>(lo + (s >> 16) % (hi - lo + 1));
    }
    return img;
}

Image Crop(const Image& src, int x, int y, int w, int h) {
    Image out(w, h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) out.at(c, r) = src.at(x + c, y + r);
    return out;
}

void Paste(Image& dst, const Image& patch, int x, int y) {
    for (int r = 0; r < patch.height; ++r)
        for (int c = 0; c < patch.width; ++c) dst.at(x + c, y + r) = patch.at(c, r);
}

Image BlobScene(int w, int h, int cx, int cy, double rad, unsigned seed) {
    Image img = Noise(w, h, seed, 90, 110);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / rad, dy = (y - cy) / rad;
            const double d2 = dx * dx + dy * dy;
            if (d2 >= 1.0) continue;
            double v = 180 - 40 * d2;
            for (double ex : {-0.4, 0.4})
                v -= 120 * std::exp(-((dx - ex) * (dx - ex) + (dy + 0.2) * (dy + 0.2)) / 0.02);
            img.at(x, y) = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
        }
    return img;
}

std::vector<double> Normalise(const Image& mask) {
    const double n = static_cast<double>(mask.pixels.size());
    double s = 0, q = 0;
    for (auto p : mask.pixels) s += p, q += double(p) * p;
    const double mean = s / n, sd = std::sqrt(q / n - mean * mean);
    std::vector<double> v;
    for (auto p : mask.pixels) v.push_back((p - mean) / sd);
    return v;
}

double DirectScore(const Image& region, const std::vector<double>& v, int mw, int mh, int j, int i,
                   MeanMode mode, double threshold) {
    const int x0 = j - mw / 2, y0 = i - mh / 2;
    double s = 0, q = 0, q128 = 0;
    for (int r = 0; r < mh; ++r)
        for (int c = 0; c < mw; ++c) {
            const double p = region.at(x0 + c, y0 + r);
            s += p;
            q += p * p;
            q128 += (p - 128) * (p - 128);
        }
    const double n = mw * mh;
    const double a = mode == MeanMode::Estimated ? s / n : 128.0;
    const double b = mode == MeanMode::Estimated ? q / n - a * a : q128 / n;
    if (b <= threshold) return 30000.0;
    const double sd = std::sqrt(b);
    double t = 0;
    for (int r = 0; r < mh; ++r)
        for (int c = 0; c < mw; ++c)
            t += std::fabs(v[r * mw + c] - (region.at(x0 + c, y0 + r) - a) / sd);
    return t;
}

}  // namespace ovfc::test
