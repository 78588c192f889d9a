#pragma once
// Work buffers of the image operations taken from the library's block pool.

#include <array>

#include "block_pool.h"
#include "filters/scratch.h"

namespace ovfc {

// Lends pool blocks to the image operations and gives every one back when destroyed.
// Requests are rounded up (256 bytes, 4 KiB above 4 KiB) so that the few sizes a search
// asks for reuse the same pool blocks from call to call.
class PoolScratch final : public Scratch {
  public:
    static constexpr int kMaxBlocks = 24;

    explicit PoolScratch(BlockPool& pool) : pool_(pool) {}
    PoolScratch(const PoolScratch&) = delete;
    PoolScratch& operator=(const PoolScratch&) = delete;
    ~PoolScratch() = default;

    void* take(std::size_t bytes) noexcept override;
    void giveBack(void* block) noexcept override;
    int blocksHeld() const;

  private:
    BlockPool& pool_;
    std::array<PoolBlock, kMaxBlocks> blocks_;
};

}  // namespace ovfc
