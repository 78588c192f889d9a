#pragma once
// Pool of large working buffers kept allocated between calls and lent out again.

#include <cstddef>
#include <cstdint>
#include <utility>

namespace ovfc {

class BlockPool;

// A block lent by the pool; goes back to the pool when destroyed or reset.
class PoolBlock {
public:
    PoolBlock() = default;
    PoolBlock(BlockPool* pool, std::uint8_t* data, std::size_t size)
        : pool_(pool), data_(data), size_(size) {}
    PoolBlock(PoolBlock&& o) noexcept
        : pool_(std::exchange(o.pool_, nullptr)),
          data_(std::exchange(o.data_, nullptr)),
          size_(std::exchange(o.size_, 0)) {}
    PoolBlock& operator=(PoolBlock&& o) noexcept {
        if (this != &o) {
            reset();
            pool_ = std::exchange(o.pool_, nullptr);
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
        }
        return *this;
    }
    PoolBlock(const PoolBlock&) = delete;
    PoolBlock& operator=(const PoolBlock&) = delete;
    ~PoolBlock() { reset(); }

    void reset();
    explicit operator bool() const { return data_ != nullptr; }
    std::uint8_t* data() const { return data_; }
    template <class T>
    T* as() const {
        return reinterpret_cast<T*>(data_);
    }
    std::size_t size() const { return size_; }  // the requested size

private:
    BlockPool* pool_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class BlockPool {
public:
    static constexpr int kSlots = 64;
    static constexpr std::size_t kMaxExcess = 1024;

    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool() { releaseAll(); }

    // A block of at least n bytes: the free block with the smallest excess (higher slot
    // on ties) when that excess is at most kMaxExcess, else a new block of n bytes.
    // Empty when no slot or no memory is left.
    PoolBlock take(std::size_t n);
    // Marks the block free again; its memory stays allocated.
    void giveBack(const std::uint8_t* data);
    // Frees every block; the pool has no slots used afterwards.
    void releaseAll();

    int slotsUsed() const { return used_; }
    int blocksInUse() const;
    std::size_t slotSize(int slot) const { return slots_[slot].size; }

private:
    struct Slot {
        std::uint8_t* start = nullptr;
        std::size_t size = 0;
        bool inUse = false;
    };
    Slot slots_[kSlots];
    int used_ = 0;
};

inline void PoolBlock::reset() {
    if (data_ != nullptr && pool_ != nullptr) pool_->giveBack(data_);
    pool_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}

}  // namespace ovfc
