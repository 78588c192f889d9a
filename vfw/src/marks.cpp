#include "marks.h"

#include <cstddef>
#include <initializer_list>

namespace vfw {

namespace {

void put(const Rgb32Image& img, int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < img.width && y < img.height)
        img.pixels[static_cast<size_t>(y) * img.width + x] = c;
}

void hline(const Rgb32Image& img, int x, int y, int len, uint32_t c) {
    for (int i = 0; i < len; ++i) put(img, x + i, y, c);
}

void vline(const Rgb32Image& img, int x, int y, int len, uint32_t c) {
    for (int i = 0; i < len; ++i) put(img, x, y + i, c);
}

void outline(const Rgb32Image& img, int x, int y, int w, int h, uint32_t c) {
    if (w <= 0 || h <= 0) return;
    hline(img, x, y, w, c);
    hline(img, x, y + h - 1, w, c);
    vline(img, x, y, h, c);
    vline(img, x + w - 1, y, h, c);
}

}  // namespace

void drawRegionMarks(const Rgb32Image& img) {
    if (img.width <= kRegionWidth) return;
    const int x0 = (img.width - kRegionWidth) / 2, x1 = x0 + kRegionWidth;
    const bool full = img.height > kRegionHeight;
    const int y0 = full ? (img.height - kRegionHeight) / 2 : 0;
    const int y1 = full ? y0 + kRegionHeight : img.height;
    if (full) {
        for (int t = 0; t < 5; ++t) {
            const uint32_t c = t < 3 ? kBlack : kWhite;
            for (int x : {x0, x1 - kMarkLength}) {
                hline(img, x, y0 - 1 - t, kMarkLength, c);
                hline(img, x, y1 + t, kMarkLength, c);
            }
        }
    }
    for (int y : {y0, y1 - kMarkLength}) {
        vline(img, x0 - 1, y, kMarkLength, kBlack);
        vline(img, x0 - 2, y, kMarkLength, kWhite);
        vline(img, x1, y, kMarkLength, kBlack);
        vline(img, x1 + 1, y, kMarkLength, kWhite);
    }
}

void drawCentreMark(const Rgb32Image& img) {
    vline(img, img.width / 2, img.height / 2 - kMarkLength / 2, kMarkLength, kWhite);
}

void drawNotifiedRect(const Rgb32Image& img, int centreX, int centreY, int width, int height) {
    const int left = (img.width - kRegionWidth) / 2 + centreX - width / 2;
    const int top = (img.height - kRegionHeight) / 2 + centreY - height / 2;
    for (int d : {-2, -1, 0, 1}) {
        outline(img, left - d, top - d, width + 2 * d, height + 2 * d, d < 0 ? kBlack : kWhite);
    }
}

}  // namespace vfw
