#include <algorithm>
#include <cstring>

#include "filters/filter_codes.h"
#include "filters/position_maps.h"

namespace ovfc {

int RidgeMap(Scratch& scratch, ImageView region, int spread, int threshold, std::uint8_t* map) {
    const int w = region.width, h = region.height;
    if (w <= 0 || h <= 0) return kFilterOk;
    std::memset(map, 0, static_cast<std::size_t>(w) * h);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    ScratchArray<std::uint8_t> height(scratch, n);
    ScratchArray<int> line(scratch, static_cast<std::size_t>(w) * 2);
    if (!height || !line) return kFilterNoMemory;
    std::memset(height.get(), 0, n);
    int* p1 = line.get();
    int* p2 = line.get() + w;

    for (int y = 0; y + 1 < h; ++y) {
        const std::uint8_t* a = region.row(y);
        const std::uint8_t* b = region.row(y + 1);
        std::uint8_t* hr = height.get() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x) p1[x] = (a[x] + b[x]) / 2;
        for (int x = 1; x + 1 < w; ++x) {
            if (p1[x - 1] < p1[x] && p1[x] >= p1[x + 1])
                hr[x] = static_cast<std::uint8_t>(p1[x] - (p1[x - 1] + p1[x + 1]) / 2);
        }
        if (y < 2 || y > h - 2) continue;
        // 4 x 2 block means of rows y-2..y+1, columns x-1..x.
        const std::uint8_t* r0 = region.row(y - 2);
        const std::uint8_t* r1 = region.row(y - 1);
        const std::uint8_t* r3 = region.row(y + 1);
        for (int x = 1; x < w; ++x) {
            p2[x] =
                (r0[x - 1] + r0[x] + r1[x - 1] + r1[x] + a[x - 1] + a[x] + r3[x - 1] + r3[x]) / 8;
        }
        for (int x = 3; x + 3 <= w; ++x) {
            if (p2[x - 2] < p2[x] && p2[x] >= p2[x + 2]) {
                const int v = p2[x] - (p2[x - 2] + p2[x + 2]) / 2;
                if (v > hr[x]) hr[x] = static_cast<std::uint8_t>(v);
            }
        }
    }

    for (int y = 0; y < h; ++y) {
        const std::uint8_t* hr = height.get() + static_cast<std::ptrdiff_t>(y) * w;
        std::uint8_t* mr = map + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 1; x + 1 < w; ++x) {
            if (hr[x] > threshold && hr[x - 1] < hr[x] && hr[x] >= hr[x + 1]) {
                const int a = std::max(0, x - spread), b = std::min(w - 1, x + spread);
                std::memset(mr + a, 1, static_cast<std::size_t>(b - a + 1));
            }
        }
    }
    return kFilterOk;
}

}  // namespace ovfc
