#pragma once
// The block pools of the calls that run at once. Every exported call that needs working
// buffers borrows one pool (and the region cache beside it) for its duration; a thread gets
// back the pool it used last when that one is free, so that after its first calls it finds
// its blocks and allocates nothing.

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "block_pool.h"
#include "geometry/region_cache.h"

namespace ovfc {

class Workspaces {
  public:
    class Lease {
      public:
        Lease(Workspaces& owner, int slot, BlockPool& pool, RegionCache& regions)
            : owner_(&owner), slot_(slot), pool_(&pool), regions_(&regions) {}
        Lease(Lease&& o) noexcept
            : owner_(o.owner_), slot_(o.slot_), pool_(o.pool_), regions_(o.regions_) {
            o.owner_ = nullptr;
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease() {
            if (owner_ != nullptr) owner_->giveBack(slot_);
        }
        BlockPool& pool() const { return *pool_; }
        RegionCache& regions() const { return *regions_; }

      private:
        Workspaces* owner_;
        int slot_;
        BlockPool* pool_;  // owned by the slot; never moves
        RegionCache* regions_;
    };

    Workspaces() = default;
    Workspaces(const Workspaces&) = delete;
    Workspaces& operator=(const Workspaces&) = delete;

    // A pool no other call uses until the lease ends. Raises std::bad_alloc when a new pool
    // is needed and memory is short. Thread-safe.
    Lease lease();
    // Frees the blocks of every pool. Only while no lease is out.
    void releaseAll();
    // Pools made so far (at most the number of calls that ran at once).
    int count() const;

  private:
    struct Slot {
        std::unique_ptr<BlockPool> pool;
        std::unique_ptr<RegionCache> regions;
        std::thread::id lastUser;
        bool busy = false;
    };
    void giveBack(int slot);

    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
};

}  // namespace ovfc
