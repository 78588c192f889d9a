#include "image_intake.h"

#include <cmath>
#include <cstring>

#include "config_store.h"
#include "status.h"

namespace ovfc {

int copyImage(BlockPool& pool, GreyImage& image, const std::uint8_t* pixels, int width,
              int height) {
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels = pool.take(n);
    if (!image.pixels) return kNoMemory;
    std::memcpy(image.pixels.data(), pixels, n);
    image.width = width;
    image.height = height;
    image.checksum = imageChecksum(image.pixels.data(), n);
    return kOk;
}

std::uint32_t imageChecksum(const std::uint8_t* pixels, std::size_t bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 <= bytes; i += 4) {
        sum += static_cast<std::uint32_t>(pixels[i]) |
               (static_cast<std::uint32_t>(pixels[i + 1]) << 8) |
               (static_cast<std::uint32_t>(pixels[i + 2]) << 16) |
               (static_cast<std::uint32_t>(pixels[i + 3]) << 24);
    }
    return sum;
}

void estimateGreyRange(GreyImage& image) {
    std::uint32_t hist[256] = {};
    const int w = image.width, h = image.height;
    const int y0 = static_cast<int>(0.2 * h), x0 = static_cast<int>(0.25 * w);
    std::uint32_t n = 0;
    for (int y = y0; y < 0.8 * h; ++y) {
        const std::uint8_t* row = image.data() + static_cast<std::size_t>(y) * w;
        for (int x = x0; x < 0.75 * w; ++x) {
            if (row[x] == 255) continue;
            ++hist[row[x]];
            ++n;
        }
    }
    const std::uint32_t target = static_cast<std::uint32_t>(0.15 * n);
    int level = 0;
    std::uint32_t sum = 0;
    while (level < 255 && sum <= target) sum += hist[level++];
    image.greyLow = static_cast<std::uint8_t>(level);
    int high = 255;
    sum = 0;
    while (high > level && sum <= target) sum += hist[high--];
    image.greyHigh = static_cast<std::uint8_t>(high);
}

int stretchGrey(GreyImage& image) {
    const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
    std::uint8_t* px = image.data();
    std::uint8_t lo = 255, hi = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (px[i] < lo) lo = px[i];
        if (px[i] > hi) hi = px[i];
    }
    if (lo >= hi) return kFlatImage;
    std::uint8_t table[256];
    const double top = std::log10((hi - lo) / 256.0 + 1.0);
    for (int v = 0; v < 256; ++v) {
        if (v <= lo)
            table[v] = 0;
        else if (v >= hi)
            table[v] = 255;
        else
            table[v] = static_cast<std::uint8_t>(std::log10((v - lo) / 256.0 + 1.0) * 255.0 / top);
    }
    for (std::size_t i = 0; i < n; ++i) px[i] = table[px[i]];
    return kOk;
}

int takeInImage(FaceContext& ctx, const std::uint8_t* pixels, int width, int height,
                const std::uint8_t* reference) {
    if (copyImage(ctx.pool, ctx.image, pixels, width, height) != kOk) return kNoMemory;
    estimateGreyRange(ctx.image);
    if (reference != nullptr &&
        copyImage(ctx.pool, ctx.secondImage, reference, width, height) != kOk)
        return kNoMemory;
    if (ctx.config.readInt("param", "gamma") != 0) return stretchGrey(ctx.image);
    return kOk;
}

}  // namespace ovfc
