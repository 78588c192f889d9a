#pragma once
// The per-call working records: the input images, the located elements and the
// context's own masks. One FaceContext lives for one exported call.

#include <array>
#include <cstdint>

#include "block_pool.h"
#include "mask.h"

namespace ovfc {

class ConfigStore;
class FilteredMasks;
class RegionCache;
struct LibraryState;

inline constexpr int kElementCount = 8;
inline constexpr const char* kElementNames[kElementCount] = {"fface", "eyel", "eyer", "nose",
                                                             "mout",  "ncol", "ncor", "chin"};

struct GreyImage {
    PoolBlock pixels;  // width x height bytes
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t checksum = 0;
    std::uint8_t greyLow = 0;   // 15 % quantile from below
    std::uint8_t greyHigh = 0;  // 15 % quantile from above
    char baseFile[262] = {};

    std::uint8_t* data() const { return pixels.data(); }
};

struct ElementRecord {
    std::int32_t id = 0;
    char name[12] = {};
    std::int32_t xMin = 0, xC = 0, xMax = 0, xFixed = 0;
    std::int32_t yMin = 0, yC = 0, yMax = 0, yFixed = 0;
    std::int32_t heightMin = 0, heightMid = 0, heightMax = 0;
    std::int32_t widthMin = 0, widthMid = 0, widthMax = 0;
    std::int32_t score = 0;
};

struct UnitRecord {
    std::int32_t unitMin = 0;
    std::int32_t unit = 0;  // eye distance in pixels
    std::int32_t unitMax = 0;
    std::int32_t unitFixed = 0;
};

enum class Mode : std::uint32_t { Matching = 0, Creation = 1 };

struct FaceContext {
    // Builds the context of one call: element records named, element count and descriptor
    // filter mask read from the configuration (raises XERRORINI when they are missing).
    // Its buffers come from `pool` (the state's own pool by default).
    explicit FaceContext(LibraryState& state);
    FaceContext(LibraryState& state, BlockPool& pool);

    LibraryState& library;
    const ConfigStore& config;
    BlockPool& pool;

    MaskSet masks;  // the context's own masks (the person's, or those cut from the image)
    GreyImage image;
    GreyImage secondImage;  // reference image of the live variant
    ElementRecord face;
    std::array<ElementRecord, kElementCount> elements;
    UnitRecord unit;
    double faceRatio[3] = {0.0, 0.0, 0.0};
    Mode mode = Mode::Matching;
    // Matching: whether the eyes may be refined with the person's masks (base2_eye_step),
    // and whether the pipeline kept refined eyes.
    bool refineEyes = true;
    bool eyesRefined = false;
    std::uint32_t elementCount = 0;
    std::uint32_t filterMask = 0;
    std::uint32_t filterCount = 0;
    // Regions of this image kept across calls (a comparison's, once its image is final).
    RegionCache* regions = nullptr;
    // The context's own masks through the derivative filters, kept across calls.
    FilteredMasks* filteredMasks = nullptr;
};

// Number of set bits among bits 0..15.
std::uint32_t filterCountOf(std::uint32_t mask);

}  // namespace ovfc
