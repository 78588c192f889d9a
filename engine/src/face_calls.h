#pragma once
// The processing and comparison calls behind the exports.

#include <cstdint>

#include "library_state.h"

namespace ovfc {

// Creates the descriptor of the image into a buffer of kMaxBlobSize bytes. With a reference
// image (same size) and a difference buffer, the difference is written after success.
int createDescriptor(LibraryState& state, const std::uint8_t* image, int width, int height,
                     const std::uint8_t* reference, std::uint8_t* difference,
                     std::uint8_t* descriptor, std::int16_t* size);

// Compares two items (image or descriptor each) and writes the similarity score.
int matchItems(LibraryState& state, const std::uint8_t* first, const std::uint8_t* second,
               std::int32_t* score, int width, int height);

// Element positions of a descriptor (or of the last comparison when it is absent).
int faceInfo(LibraryState& state, const std::uint8_t* descriptor, FaceElementInfo* elements,
             std::uint16_t first, std::uint16_t* count);

}  // namespace ovfc
