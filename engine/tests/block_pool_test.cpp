#include "block_pool.h"

#include <gtest/gtest.h>

#include <vector>

#include "counting_new.h"

namespace {

using ovfc::BlockPool;
using ovfc::PoolBlock;

TEST(BlockPool, NewBlockHasExactlyTheRequestedSize) {
    BlockPool pool;
    PoolBlock a = pool.take(100);
    ASSERT_TRUE(a);
    EXPECT_EQ(pool.slotsUsed(), 1);
    EXPECT_EQ(pool.slotSize(0), 100u);
    EXPECT_EQ(a.size(), 100u);
}

TEST(BlockPool, FreeBlockIsReusedWithinTheExcessLimit) {
    BlockPool pool;
    const std::uint8_t* first = nullptr;
    {
        PoolBlock a = pool.take(2000);
        first = a.data();
    }
    EXPECT_EQ(pool.blocksInUse(), 0);
    PoolBlock exactFit = pool.take(2000);
    EXPECT_EQ(exactFit.data(), first);
    exactFit.reset();
    PoolBlock excess1024 = pool.take(976);  // 2000 - 976 = 1024: still taken
    EXPECT_EQ(excess1024.data(), first);
    excess1024.reset();
    PoolBlock excess1025 = pool.take(975);  // one byte more excess: a new block
    EXPECT_NE(excess1025.data(), first);
    EXPECT_EQ(pool.slotsUsed(), 2);
    PoolBlock larger = pool.take(2001);  // no free block is large enough
    EXPECT_EQ(pool.slotsUsed(), 3);
}

TEST(BlockPool, SmallestExcessWinsAndTiesGoToTheHigherSlot) {
    BlockPool pool;
    std::vector<PoolBlock> held;
    for (std::size_t n : {1500u, 1100u, 1200u, 1100u}) held.push_back(pool.take(n));
    const std::uint8_t* slot1 = held[1].data();
    const std::uint8_t* slot2 = held[2].data();
    const std::uint8_t* slot3 = held[3].data();
    held.clear();
    PoolBlock b = pool.take(1000);
    EXPECT_EQ(b.data(), slot3) << "equal excess: higher slot";
    PoolBlock c = pool.take(1000);
    EXPECT_EQ(c.data(), slot1);
    PoolBlock d = pool.take(1000);  // 1200 before 1500
    EXPECT_EQ(d.data(), slot2);
    EXPECT_EQ(pool.slotsUsed(), 4);
    EXPECT_EQ(pool.blocksInUse(), 3);
}

TEST(BlockPool, FailsWhenAllSlotsAreUsedAndNothingFits) {
    BlockPool pool;
    std::vector<PoolBlock> held;
    for (int i = 0; i < BlockPool::kSlots; ++i) held.push_back(pool.take(64));
    for (const auto& b : held) ASSERT_TRUE(b);
    EXPECT_FALSE(pool.take(64)) << "no free block";
    held[10].reset();
    EXPECT_FALSE(pool.take(64 + 1)) << "free block too small";
    EXPECT_FALSE(pool.take(64 + 2000).data());
    PoolBlock again = pool.take(8);  // excess 56: fits
    EXPECT_TRUE(again);
    EXPECT_EQ(pool.slotsUsed(), BlockPool::kSlots);
}

TEST(BlockPool, MovedBlockIsGivenBackOnce) {
    BlockPool pool;
    PoolBlock a = pool.take(10);
    PoolBlock b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(pool.blocksInUse(), 1);
    b = pool.take(20);  // the old block goes back
    EXPECT_EQ(pool.blocksInUse(), 1);
    b.reset();
    EXPECT_EQ(pool.blocksInUse(), 0);
    pool.releaseAll();
    EXPECT_EQ(pool.slotsUsed(), 0);
}

TEST(BlockPool, RepeatedRequestsOfTheSameSizesAllocateNothing) {
    BlockPool pool;
    const std::size_t sizes[] = {65280, 65280, 3072, 288, 225 * 8, 225, 900};
    auto round = [&] {
        std::vector<PoolBlock> held;
        held.reserve(16);
        for (std::size_t n : sizes) {
            held.push_back(pool.take(n));
            ASSERT_TRUE(held.back());
        }
    };
    round();
    const long before = ovfc_test::allocationCount();
    round();  // held.reserve allocates once per round
    const long perRound = ovfc_test::allocationCount() - before;
    EXPECT_EQ(perRound, 1) << "only the test's own vector allocates";
    const long start = ovfc_test::allocationCount();
    for (int i = 0; i < 50; ++i) {
        PoolBlock img = pool.take(65280);
        PoolBlock vec = pool.take(288);
        ASSERT_TRUE(img && vec);
    }
    EXPECT_EQ(ovfc_test::allocationCount() - start, 0);
    EXPECT_EQ(pool.slotsUsed(), 7);
}

}  // namespace
