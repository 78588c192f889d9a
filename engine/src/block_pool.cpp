#include "block_pool.h"

#include <new>

namespace ovfc {

PoolBlock BlockPool::take(std::size_t n) {
    int best = -1;
    std::size_t bestExcess = 0;
    for (int i = used_ - 1; i >= 0; --i) {
        const Slot& s = slots_[i];
        if (s.inUse || s.size < n) continue;
        const std::size_t excess = s.size - n;
        if (best < 0 || excess < bestExcess) {
            best = i;
            bestExcess = excess;
            if (excess == 0) break;
        }
    }
    if (best >= 0 && bestExcess <= kMaxExcess) {
        slots_[best].inUse = true;
        return PoolBlock(this, slots_[best].start, n);
    }
    if (used_ == kSlots) return {};
    // A zero-byte request still gets a distinct address.
    auto* mem = static_cast<std::uint8_t*>(::operator new(n == 0 ? 1 : n, std::nothrow));
    if (mem == nullptr) return {};
    slots_[used_] = Slot{mem, n, true};
    ++used_;
    return PoolBlock(this, mem, n);
}

void BlockPool::giveBack(const std::uint8_t* data) {
    for (int i = used_ - 1; i >= 0; --i) {
        if (slots_[i].start == data) {
            slots_[i].inUse = false;
            return;
        }
    }
}

void BlockPool::releaseAll() {
    for (int i = 0; i < used_; ++i) {
        ::operator delete(slots_[i].start);
        slots_[i] = Slot{};
    }
    used_ = 0;
}

int BlockPool::blocksInUse() const {
    int n = 0;
    for (int i = 0; i < used_; ++i) n += slots_[i].inUse ? 1 : 0;
    return n;
}

}  // namespace ovfc
