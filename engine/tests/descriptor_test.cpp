#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "block_pool.h"
#include "descriptor_blob.h"
#include "mask.h"
#include "status.h"
#include "test_files.h"

namespace {

using ovfc::BlockPool;
using ovfc::MaskSet;
using ovfc_test::blob;
using ovfc_test::blobWith;
using ovfc_test::RecordSpec;

const std::vector<RecordSpec> kThree = {
    {255, 20, 10, 128, 120, 255, 0, 1},
    {1, 15, 15, 100, 110, 37, 0, 50},
    {254, 7, 5, 129, 150, 0, 9, 200},
};

std::vector<std::uint8_t> written(const MaskSet& set) {
    std::vector<std::uint8_t> out(set.size());
    EXPECT_EQ(set.write(out.data(), out.size()), 0);
    return out;
}

TEST(MaskSet, SizeCountsHeaderRecordsAndPixels) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob({{255, 20, 10, 0, 0, 0, 0, 0}});
    ASSERT_EQ(set.read(b.data(), b.size(), 0), 0);
    EXPECT_EQ(set.size(), 224u);
    EXPECT_EQ(b.size(), 224u);
}

TEST(MaskSet, WrittenBlobReadBackIsWrittenByteForByte) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob(kThree);
    ASSERT_EQ(set.read(b.data(), b.size(), ovfc::kKeepPixels), 0);
    ASSERT_EQ(set.count(), 3);
    EXPECT_EQ(set[1].halfWidth, 7u);
    EXPECT_EQ(set[0].halfHeight, 5u);
    EXPECT_EQ(set[2].flag, 9);
    EXPECT_EQ(set[1].score, 37u);
    EXPECT_EQ(written(set), b);

    MaskSet again(pool);
    const auto w = written(set);
    ASSERT_EQ(again.read(w.data(), w.size(), ovfc::kKeepPixels | ovfc::kNormalise), 0);
    EXPECT_EQ(written(again), b);
}

TEST(MaskSet, OlderFormsAreRead) {
    BlockPool pool;
    const auto current = blob(kThree);
    const std::vector<std::vector<std::uint8_t>> older = {
        blobWith({'O', 'V', 'F', 'C', 3}, kThree),  // no "DESC"
        blobWith({'O', 'V', 'F', 'C', 'D', 'E', 'S', 'C', 2}, kThree),
        blobWith({'O', 'V', 'F', 'C', 'D', 'E', 'S', 'C', 1, 0xAA, 0xBB}, kThree),
        blobWith({'O', 'V', 'F', 'C', 1, 0, 0}, kThree),
    };
    for (const auto& b : older) {
        MaskSet set(pool);
        ASSERT_EQ(set.read(b.data(), b.size(), ovfc::kKeepPixels), 0);
        EXPECT_EQ(written(set), current) << "written as the current version";
    }
}

TEST(MaskSet, WrongMagicOrVersionIsRefusedAndLeavesTheSetEmpty) {
    BlockPool pool;
    MaskSet set(pool);
    const auto good = blob(kThree);
    ASSERT_EQ(set.read(good.data(), good.size(), 0), 0);
    for (std::uint8_t version : {0, 4, 255}) {
        auto b = blobWith({'O', 'V', 'F', 'C', 'D', 'E', 'S', 'C', version}, kThree);
        EXPECT_EQ(set.read(b.data(), b.size(), 0), ovfc::kBadDescriptor);
        EXPECT_EQ(set.count(), 0);
    }
    auto bad = good;
    bad[3] = 'X';
    EXPECT_EQ(set.read(bad.data(), bad.size(), 0), ovfc::kBadDescriptor);
    EXPECT_EQ(set.read(good.data(), 3, 0), ovfc::kBadDescriptor);
    EXPECT_EQ(set.read(good.data(), 8, 0), ovfc::kBadDescriptor) << "no version byte";
}

TEST(MaskSet, RecordsReachingPastTheLimitAreRefused) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob(kThree);
    EXPECT_EQ(set.read(b.data(), b.size() - 1, ovfc::kKeepPixels), ovfc::kBadDescriptor);
    EXPECT_EQ(set.count(), 3) << "the failing record stays counted";
    EXPECT_EQ(set.read(b.data(), 10 + 14 + 200 + 5, 0), ovfc::kBadDescriptor);
    EXPECT_EQ(set.count(), 1) << "a cut-off header is not a record";
    // A count byte promising more records than the blob holds.
    auto more = b;
    more[9] = 4;
    EXPECT_EQ(set.read(more.data(), more.size(), 0), ovfc::kBadDescriptor);
    // A record claiming 255 x 255 pixels inside a 3072-byte buffer.
    std::vector<std::uint8_t> big(ovfc::kMaxBlobSize, 0);
    const auto head = blob({{1, 1, 1, 0, 0, 0, 0, 0}});
    std::copy(head.begin(), head.end(), big.begin());
    big[13] = 255;
    big[15] = 255;
    EXPECT_EQ(set.read(big.data(), big.size(), ovfc::kNormalise), ovfc::kBadDescriptor);
}

TEST(MaskSet, WriterRefusesABlobLargerThanTheBuffer) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob(kThree);
    ASSERT_EQ(set.read(b.data(), b.size(), ovfc::kKeepPixels), 0);
    std::vector<std::uint8_t> out(b.size() - 1, 0xEE);
    EXPECT_EQ(set.write(out.data(), out.size()), ovfc::kNoMemory);
    EXPECT_EQ(out, std::vector<std::uint8_t>(b.size() - 1, 0xEE)) << "nothing written";

    // 3 masks of 32 x 32 are 10 + 3 * 1038 = 3124 bytes: over the limit.
    const auto large =
        blob({{1, 32, 32, 0, 0, 0, 0, 1}, {2, 32, 32, 0, 0, 0, 0, 2}, {3, 32, 32, 0, 0, 0, 0, 3}});
    ASSERT_EQ(set.read(large.data(), large.size(), ovfc::kKeepPixels), 0);
    std::vector<std::uint8_t> buffer(ovfc::kMaxBlobSize);
    EXPECT_EQ(set.write(buffer.data(), buffer.size()), ovfc::kNoMemory);
}

TEST(MaskSet, NormalisedValuesHaveMeanZeroAndDeviationOne) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob({{3, 5, 4, 0, 0, 0, 0, 13}, {4, 3, 3, 0, 0, 0, 0, 0}});
    auto flat = b;
    // Second mask: every pixel 90.
    for (std::size_t i = b.size() - 9; i < b.size(); ++i) flat[i] = 90;
    ASSERT_EQ(set.read(flat.data(), flat.size(), ovfc::kNormalise), 0);
    EXPECT_FALSE(set[0].pixels) << "pixels kept only on request";
    const double* v = set[0].normalised();
    ASSERT_NE(v, nullptr);
    double sum = 0, sq = 0;
    for (int i = 0; i < 20; ++i) {
        sum += v[i];
        sq += v[i] * v[i];
    }
    EXPECT_NEAR(sum / 20, 0.0, 1e-12);
    EXPECT_NEAR(sq / 20, 1.0, 1e-12);
    // Pixel 0 is 13, the mean of 13 + 7i (mod 256) over 20 pixels is worked out here.
    double mean = 0, m2 = 0;
    for (int i = 0; i < 20; ++i) mean += static_cast<std::uint8_t>(13 + 7 * i);
    mean /= 20;
    for (int i = 0; i < 20; ++i) m2 += std::pow(static_cast<std::uint8_t>(13 + 7 * i), 2);
    EXPECT_NEAR(v[0], (13 - mean) / std::sqrt(m2 / 20 - mean * mean), 1e-12);
    const double* f = set[1].normalised();
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(f[i], 0.0) << "a uniform patch normalises to 0";
}

TEST(MaskSet, ZeroSizedMaskCannotBeNormalised) {
    BlockPool pool;
    MaskSet set(pool);
    const auto b = blob({{3, 0, 4, 0, 0, 0, 0, 0}});
    EXPECT_EQ(set.read(b.data(), b.size(), ovfc::kNormalise), ovfc::kBadDescriptor);
    EXPECT_EQ(set.read(b.data(), b.size(), 0), 0);
}

TEST(MaskSet, PutFillsOrRefillsAndRefusesWhenFull) {
    BlockPool pool;
    MaskSet set(pool);
    ASSERT_EQ(set.reserve(2), 0);
    std::vector<std::uint8_t> image(10 * 8);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    ASSERT_EQ(set.put(3, 5, 4, 77, 3, 2, image.data() + 10 * 2 + 4, 10), 0);
    const ovfc::Mask* m = set.find(3);
    ASSERT_NE(m, nullptr);
    const std::uint8_t expected[] = {24, 25, 26, 34, 35, 36};
    EXPECT_TRUE(std::equal(expected, expected + 6, m->pixels.data()));
    EXPECT_EQ(m->score, 77u);
    ASSERT_EQ(set.put(3, 1, 1, 5, 2, 2, image.data(), 10), 0) << "same id refilled";
    EXPECT_EQ(set.count(), 1);
    EXPECT_EQ(set.find(3)->width, 2u);
    ASSERT_EQ(set.put(7, 1, 1, 5, 2, 2, image.data(), 10), 0);
    EXPECT_EQ(set.put(3, 1, 1, 5, 2, 2, image.data(), 10), ovfc::kNoMemory)
        << "a full set refuses even a known id";
    EXPECT_EQ(set.find(9), nullptr);
    set.clear();
    EXPECT_EQ(pool.blocksInUse(), 0) << "every pixel block went back";
}

}  // namespace
