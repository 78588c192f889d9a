#pragma once
// Taking a caller's image into a context: copy, checksum, grey range, optional stretch.

#include <cstdint>

#include "face_context.h"

namespace ovfc {

// Copies the pixels into a pool block of the image. 0 or 3.
int copyImage(BlockPool& pool, GreyImage& image, const std::uint8_t* pixels, int width,
              int height);

// Sum of the pixels read as little-endian 32-bit words (trailing bytes not counted).
std::uint32_t imageChecksum(const std::uint8_t* pixels, std::size_t bytes);

// The 15 % quantiles of the central region, pixels of value 255 left out.
void estimateGreyRange(GreyImage& image);

// Logarithmic stretch of the whole image between its darkest and brightest value;
// 1 for a flat image, else 0.
int stretchGrey(GreyImage& image);

// Steps common to every processing call: copy, checksum, grey range and, when
// "gamma" is on, the stretch. With a reference image, it is copied into the second image
// after the grey range estimate. 0, 1 or 3.
int takeInImage(FaceContext& ctx, const std::uint8_t* pixels, int width, int height,
                const std::uint8_t* reference);

}  // namespace ovfc
