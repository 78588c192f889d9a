#include "pool_scratch.h"

namespace ovfc {

void* PoolScratch::take(std::size_t bytes) noexcept {
    const std::size_t grain = bytes > 4096 ? 4096 : 256;
    const std::size_t n = (bytes + grain - 1) / grain * grain;
    for (PoolBlock& b : blocks_) {
        if (b) continue;
        b = pool_.take(n == 0 ? grain : n);
        return b ? b.data() : nullptr;
    }
    return nullptr;
}

void PoolScratch::giveBack(void* block) noexcept {
    for (PoolBlock& b : blocks_) {
        if (b && b.data() == block) {
            b.reset();
            return;
        }
    }
}

int PoolScratch::blocksHeld() const {
    int n = 0;
    for (const PoolBlock& b : blocks_) n += b ? 1 : 0;
    return n;
}

}  // namespace ovfc
