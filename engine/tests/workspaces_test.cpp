// The block pools of calls running at once: one pool per concurrent call, each thread back
// on the pool it used last.
#include <gtest/gtest.h>

#include <thread>

#include "workspaces.h"

namespace ovfc {
namespace {

TEST(Workspaces, ConcurrentLeasesGetDistinctPoolsAndAThreadItsOwnAgain) {
    Workspaces w;
    BlockPool* mine = nullptr;
    BlockPool* second = nullptr;
    {
        const Workspaces::Lease a = w.lease();
        const Workspaces::Lease b = w.lease();
        EXPECT_NE(&a.pool(), &b.pool()) << "a pool serves one call at a time";
        mine = &a.pool();
        second = &b.pool();
        EXPECT_EQ(w.count(), 2);
    }
    BlockPool* other = nullptr;
    std::thread([&] {
        const Workspaces::Lease l = w.lease();
        other = &l.pool();
    }).join();
    EXPECT_EQ(other, mine) << "a new thread takes the first free pool";
    const Workspaces::Lease again = w.lease();
    EXPECT_EQ(&again.pool(), second) << "this thread used the second pool last";
    EXPECT_EQ(w.count(), 2) << "no pool is made while one is free";
}

TEST(Workspaces, ReleaseAllFreesTheBlocksOfEveryPool) {
    Workspaces w;
    {
        const Workspaces::Lease a = w.lease();
        const Workspaces::Lease b = w.lease();
        a.pool().take(100);
        b.pool().take(200);
    }
    w.releaseAll();
    const Workspaces::Lease a = w.lease();
    const Workspaces::Lease b = w.lease();
    EXPECT_EQ(a.pool().slotsUsed(), 0);
    EXPECT_EQ(b.pool().slotsUsed(), 0);
}

}  // namespace
}  // namespace ovfc
