// The calls behind the exports, on a library state of the test's own: every pool block a
// call takes goes back on every path.
#include "face_calls.h"

#include <gtest/gtest.h>

#include <vector>

#include "descriptor_blob.h"
#include "load_config.h"
#include "pipeline.h"
#include "score_config.h"
#include "status.h"
#include "test_files.h"

namespace {

using ovfc::LibraryState;

class FaceCalls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(ovfc::loadConfiguration(state, OVFC_SYNTHETIC_CONFIG), 0);
        auto& c = state.config;
        c.set("param", "Number_of_face_elements", "8");
        c.set("param", "using_descriptors_mask", "7");
        c.set("param", "gamma", "0");
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i);
        masksHeld = state.pool.blocksInUse();
    }
    void expectAllBlocksBack() { EXPECT_EQ(state.pool.blocksInUse(), masksHeld); }

    int masksHeld = 0;  // the default masks' blocks
    LibraryState state;
    std::vector<std::uint8_t> frame = std::vector<std::uint8_t>(256 * 255);
    std::vector<std::uint8_t> desc = std::vector<std::uint8_t>(ovfc::kMaxBlobSize, 0xEE);
    std::int16_t size = -1;
    std::int32_t score = -1;
};

TEST_F(FaceCalls, DescriptorCreationGivesItsBlocksBackOnEveryPath) {
    const std::vector<std::uint8_t> ref(frame.size(), 1);
    std::vector<std::uint8_t> diff(frame.size(), 0xEE);
    EXPECT_EQ(ovfc::createDescriptor(state, frame.data(), 256, 255, ref.data(), diff.data(),
                                     desc.data(), &size),
              ovfc::kGeometry)
        << "a grey ramp has no eyes";
    EXPECT_EQ(diff[0], 0xEE) << "no difference written after a failure";
    EXPECT_EQ(size, -1);
    expectAllBlocksBack();
    const int slots = state.pool.slotsUsed();

    state.config.set("param", "gamma", "1");
    const std::vector<std::uint8_t> flat(frame.size(), 40);
    EXPECT_EQ(ovfc::createDescriptor(state, flat.data(), 256, 255, ref.data(), nullptr, desc.data(),
                                     &size),
              ovfc::kFlatImage);
    expectAllBlocksBack();
    EXPECT_EQ(state.pool.slotsUsed(), slots) << "the same blocks reused";
}

TEST_F(FaceCalls, AnExhaustedPoolGivesCode3AndLeaksNothing) {
    state.defaultMasks.clear();  // the pool is emptied below
    masksHeld = 0;
    std::vector<ovfc::PoolBlock> held;
    for (int i = 0; i < ovfc::BlockPool::kSlots; ++i) held.push_back(state.pool.take(16));
    EXPECT_EQ(
        ovfc::createDescriptor(state, frame.data(), 256, 255, nullptr, nullptr, desc.data(), &size),
        ovfc::kNoMemory);
    EXPECT_EQ(ovfc::matchItems(state, frame.data(), frame.data(), &score, 256, 255),
              ovfc::kNoMemory);
    // One big free block: the image fits, the reference does not.
    held.clear();
    state.pool.releaseAll();
    for (int i = 0; i < ovfc::BlockPool::kSlots - 1; ++i) held.push_back(state.pool.take(16));
    const std::vector<std::uint8_t> ref(frame.size(), 1);
    EXPECT_EQ(ovfc::createDescriptor(state, frame.data(), 256, 255, ref.data(), nullptr,
                                     desc.data(), &size),
              ovfc::kNoMemory);
    EXPECT_EQ(state.pool.blocksInUse(), ovfc::BlockPool::kSlots - 1);
    held.clear();
    expectAllBlocksBack();
}

TEST_F(FaceCalls, ComparisonPathsGiveTheirBlocksBack) {
    const auto person =
        ovfc_test::blob({{1, 5, 5, 100, 100, 0, 0, 3}, {2, 5, 5, 150, 100, 0, 0, 9}});
    std::vector<std::uint8_t> item(ovfc::kMaxBlobSize, 0);
    std::copy(person.begin(), person.end(), item.begin());
    EXPECT_EQ(ovfc::matchItems(state, frame.data(), item.data(), &score, 256, 255),
              ovfc::kGeometry);
    expectAllBlocksBack();
    EXPECT_EQ(ovfc::matchItems(state, item.data(), frame.data(), &score, 256, 255),
              ovfc::kGeometry);
    expectAllBlocksBack();
    EXPECT_EQ(ovfc::matchItems(state, frame.data(), frame.data(), &score, 256, 255),
              ovfc::kGeometry);
    expectAllBlocksBack();
    // The second mask made 255 x 255: it runs past the 3072-byte buffer.
    auto cut = item;
    cut[10 + 14 + 25 + 3] = 255;
    cut[10 + 14 + 25 + 5] = 255;
    EXPECT_EQ(ovfc::matchItems(state, frame.data(), cut.data(), &score, 256, 255),
              ovfc::kBadDescriptor);
    expectAllBlocksBack();
    EXPECT_EQ(score, -1) << "no score written before the score step";
    EXPECT_EQ(ovfc::matchItems(state, item.data(), item.data(), &score, 256, 255),
              ovfc::kNotSupported);
}

TEST_F(FaceCalls, LastMatchTableIsKeptWhenTheComparisonStopsEarly) {
    state.lastMatch.count = 2;
    state.lastMatch.records[1] = FaceElementInfo{2, 150, 110, 7, 9};
    const auto person = ovfc_test::blob({{1, 5, 5, 100, 100, 0, 0, 3}});
    std::vector<std::uint8_t> item(ovfc::kMaxBlobSize, 0);
    std::copy(person.begin(), person.end(), item.begin());
    EXPECT_NE(ovfc::matchItems(state, frame.data(), item.data(), &score, 256, 255), 0);
    FaceElementInfo info[8] = {};
    std::uint16_t count = 4;
    ASSERT_EQ(ovfc::faceInfo(state, nullptr, info, 1, &count), 0);
    ASSERT_EQ(count, 1) << "positions 1..4 of a two-record table";
    EXPECT_EQ(info[0].id, 2);
    EXPECT_EQ(info[0].x, 150);
    EXPECT_EQ(info[0].width, 9);

    // A table of all eight elements read from position 6 on: two records.
    state.lastMatch.count = 8;
    for (int i = 0; i < 8; ++i)
        state.lastMatch.records[i] = FaceElementInfo{static_cast<std::int16_t>(i), 0, 0, 0, 0};
    count = 4;
    ASSERT_EQ(ovfc::faceInfo(state, nullptr, info, 6, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(info[0].id, 6);
    EXPECT_EQ(info[1].id, 7);
}

}  // namespace
