#include "workspaces.h"

namespace ovfc {

Workspaces::Lease Workspaces::lease() {
    const std::thread::id self = std::this_thread::get_id();
    const std::lock_guard<std::mutex> lock(mutex_);
    int pick = -1;
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i) {
        if (slots_[i].busy) continue;
        if (slots_[i].lastUser == self) {
            pick = i;
            break;
        }
        if (pick < 0) pick = i;
    }
    if (pick < 0) {
        slots_.push_back(
            Slot{std::make_unique<BlockPool>(), std::make_unique<RegionCache>(), self, false});
        pick = static_cast<int>(slots_.size()) - 1;
    }
    slots_[pick].busy = true;
    slots_[pick].lastUser = self;
    return Lease(*this, pick, *slots_[pick].pool, *slots_[pick].regions);
}

void Workspaces::giveBack(int slot) {
    const std::lock_guard<std::mutex> lock(mutex_);
    slots_[slot].busy = false;
}

void Workspaces::releaseAll() {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (Slot& s : slots_) {
        s.pool->releaseAll();
        s.regions->clear();
    }
}

int Workspaces::count() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(slots_.size());
}

}  // namespace ovfc
