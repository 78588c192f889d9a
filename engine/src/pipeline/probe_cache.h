#pragma once
// The face and eye-pair search of the last probe compared. An identification compares one
// probe with many descriptors; the searches up to the chosen eye pair read only the image,
// the default masks and the configuration, so their result is kept and reused while the
// same image comes back under the same configuration.

#include <array>
#include <cstdint>
#include <vector>

#include "../face_context.h"

namespace ovfc {

class ProbeSearchCache {
  public:
    // Whether the cache is used at all (on by default).
    bool enabled = true;

    // The kept result if it belongs to exactly this image, configuration and element count:
    // the records are put into the context and the search's code returned in `rc`.
    bool restore(FaceContext& ctx, int& rc) const;
    // Keeps the records of the context and the code of its search.
    void store(const FaceContext& ctx, int rc);
    void clear() { valid_ = false; }
    // How many times restore() found the result (for tests and benchmarks).
    std::uint64_t hits() const { return hits_; }

  private:
    bool valid_ = false;
    std::vector<std::uint8_t> pixels_;
    std::int32_t width_ = 0, height_ = 0;
    std::uint64_t configGeneration_ = 0;
    std::uint32_t elementCount_ = 0;
    int rc_ = 0;
    ElementRecord face_;
    std::array<ElementRecord, kElementCount> elements_;
    UnitRecord unit_;
    double faceRatio_[3] = {0, 0, 0};
    mutable std::uint64_t hits_ = 0;
};

}  // namespace ovfc
