#pragma once
// The processing and comparison calls behind the exports.

#include <cstdint>

#include "library_state.h"

namespace ovfc {

// What a tool linked to the core (not the exports) can hand to the pipeline.
// - Eye centres: with "r_manual" 2 or 3 the pipeline skips the face and eye search and
//   places the elements from them (the eye with the smaller x is taken as "eyel"); the face
//   centre becomes their midpoint and the unit their distance.
// - Nose centre: with "r_manual" 3 the nose is fixed there.
// - Base-file name: where "usebase" reads and writes its record; empty leaves it inert.
// With "r_manual" 0 the given positions are ignored (the searches overwrite them).
struct ProcessOptions {
    bool haveEyes = false;
    int xl = 0, yl = 0, xr = 0, yr = 0;
    bool haveNose = false;
    int noseX = 0, noseY = 0;
    const char* baseFile = nullptr;
};

// Each call below takes its buffers from `pool`, or from the state's own pool in the forms
// without it. Calls on one state may run on several threads at once when each has a pool of
// its own and no thread changes the configuration or the default masks meanwhile; the
// last-match table is written under state.lastMatchLock.

// Creates the descriptor of the image into a buffer of kMaxBlobSize bytes. With a reference
// image (same size) and a difference buffer, the difference is written after success.
int createDescriptor(LibraryState& state, const std::uint8_t* image, int width, int height,
                     const std::uint8_t* reference, std::uint8_t* difference,
                     std::uint8_t* descriptor, std::int16_t* size,
                     const ProcessOptions* options = nullptr);
int createDescriptor(LibraryState& state, BlockPool& pool, const std::uint8_t* image, int width,
                     int height, const std::uint8_t* reference, std::uint8_t* difference,
                     std::uint8_t* descriptor, std::int16_t* size,
                     const ProcessOptions* options = nullptr);

// Compares two items (image or descriptor each) and writes the similarity score. Options
// apply to the image compared with a descriptor (of two images, the second). Each item is
// classified by its first kMagicSize bytes, so an image must hold at least that many
// (matchCallerItems in caller_match.h takes any size).
int matchItems(LibraryState& state, const std::uint8_t* first, const std::uint8_t* second,
               std::int32_t* score, int width, int height, const ProcessOptions* options = nullptr);
// `regions` (may be null) keeps the probe's resampled regions for the next comparisons.
int matchItems(LibraryState& state, BlockPool& pool, RegionCache* regions,
               const std::uint8_t* first, const std::uint8_t* second, std::int32_t* score,
               int width, int height, const ProcessOptions* options = nullptr);

// Element positions of a descriptor (or of the last comparison when it is absent).
int faceInfo(LibraryState& state, const std::uint8_t* descriptor, FaceElementInfo* elements,
             std::uint16_t first, std::uint16_t* count);
int faceInfo(LibraryState& state, BlockPool& pool, const std::uint8_t* descriptor,
             FaceElementInfo* elements, std::uint16_t first, std::uint16_t* count);

}  // namespace ovfc
