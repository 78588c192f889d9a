#pragma once
// One grey template and the set of templates of one face.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_pool.h"

namespace ovfc {

// Element ids.
enum ElementId : std::uint8_t {
    kFullFace = 0,
    kEyeLeft = 1,
    kEyeRight = 2,
    kNose = 3,
    kMouth = 4,
    kNcol = 5,
    kNcor = 6,
    kChin = 7,
    kNoseWings = 254,
    kFace = 255,
};

// Options of filling a mask.
enum MaskOptions : unsigned {
    kKeepPixels = 1,
    kNormalise = 2,
};

struct Mask {
    std::uint8_t id = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t centreX = 0;
    std::uint32_t centreY = 0;
    std::uint32_t halfWidth = 0;
    std::uint32_t halfHeight = 0;
    std::uint32_t score = 0;
    std::uint8_t flag = 0;
    PoolBlock values;  // width x height doubles, normalised to mean 0 and deviation 1
    PoolBlock pixels;  // width x height bytes, row-major

    std::size_t area() const { return static_cast<std::size_t>(width) * height; }
    const double* normalised() const { return values.as<const double>(); }

    void clear() { *this = Mask{}; }
    // Takes the fields of a region; with options also copies height rows of width bytes,
    // row r at first + r * stride, and with kNormalise normalises them. 0 or 3.
    int fillFromRegion(BlockPool& pool, std::uint8_t maskId, std::uint32_t x, std::uint32_t y,
                       std::uint32_t maskScore, std::uint32_t w, std::uint32_t h, unsigned options,
                       const std::uint8_t* first, std::size_t stride);
    // Builds the normalised values from area() pixel bytes. 0, 3 or 27.
    int normalise(BlockPool& pool, const std::uint8_t* px);
};

class MaskSet {
  public:
    explicit MaskSet(BlockPool& pool) : pool_(&pool) {}
    MaskSet(MaskSet&&) = default;
    MaskSet& operator=(MaskSet&&) = default;

    // Empties the set and makes room for capacity fresh masks. 0 or 3.
    int reserve(std::uint8_t capacity);
    void clear();

    // Reads a descriptor blob of at most length bytes (the records must end within it).
    // Options as for Mask. 0, 3 or 27.
    int read(const std::uint8_t* blob, std::size_t length, unsigned options);
    // Length of the blob Write produces.
    std::size_t size() const;
    // Writes the blob into a buffer of capacity bytes; 3 (nothing written) when it would not
    // fit or a field exceeds its 16-bit place. 0 otherwise.
    int write(std::uint8_t* buffer, std::size_t capacity) const;

    const Mask* find(std::uint8_t id) const;
    Mask* find(std::uint8_t id);
    // Refills the mask of this id or takes the next free one; 3 when the set is full.
    int put(std::uint8_t id, std::uint32_t x, std::uint32_t y, std::uint32_t score, std::uint32_t w,
            std::uint32_t h, const std::uint8_t* first, std::size_t stride);

    std::uint8_t count() const { return count_; }
    std::uint8_t capacity() const { return capacity_; }
    const Mask& operator[](std::size_t i) const { return slots()[i]; }
    Mask& operator[](std::size_t i) { return slots()[i]; }
    BlockPool& pool() const { return *pool_; }

  private:
    BlockPool* pool_;
    std::uint8_t count_ = 0;
    std::uint8_t capacity_ = 0;
    // Sets of up to kInlineMasks masks (a face descriptor has ten) live inside the object, so
    // that a call's sets need no heap; larger ones spill to the heap.
    static constexpr std::size_t kInlineMasks = 16;
    Mask* slots() { return capacity_ <= kInlineMasks ? inline_.data() : spill_.data(); }
    const Mask* slots() const { return capacity_ <= kInlineMasks ? inline_.data() : spill_.data(); }
    std::array<Mask, kInlineMasks> inline_{};
    std::vector<Mask> spill_;
};

}  // namespace ovfc
