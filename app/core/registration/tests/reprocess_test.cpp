// Re-registration over a real person base: new descriptors for faces with pictures, the
// others and failed ones kept, deleted persons packed away, and a stop.

#include "registration/reprocess.h"

#include <gtest/gtest.h>

#include "registration_fixture.h"

namespace registration::testing {
namespace {

class ReprocessTest : public identify::testing::BaseTest {
  protected:
    // Writes descriptors tagged with the picture's tag + 1000; pictures tagged 99 fail.
    ProcessPicture process = [this](const std::uint8_t* picture, std::uint16_t w, std::uint16_t h,
                                    std::uint8_t* descriptor) {
        ++calls;
        sizes.emplace_back(w, h);
        const std::uint32_t tag = getTag(picture);
        if (tag == 99) return 5;
        std::memset(descriptor, 0xEE, persons::kDescriptorSize);
        std::memcpy(descriptor, "OVFCDESC", 8);
        putTag(descriptor + 12, tag + 1000);
        return 0;
    };
    int calls = 0;
    std::vector<std::pair<int, int>> sizes;

    class Progress : public ReprocessView {
      public:
        void progressRange(std::uint32_t f) override { range = f; }
        void progress(std::uint32_t done) override { last = done; }
        std::uint32_t range = 0, last = 0;
    } view;

    std::vector<std::uint32_t> tagsOf(const std::string& userId) {
        persons::PersonRecord p;
        EXPECT_EQ(base.findByUserId(userId, p), 0);
        EXPECT_EQ(base.loadFaces(p), 0);
        std::vector<std::uint32_t> tags;
        for (int k = 0; k < p.faceCount; ++k) tags.push_back(faceTag(p, k));
        return tags;
    }
};

TEST_F(ReprocessTest, FacesWithPicturesGetNewDescriptorsOthersStay) {
    enrol("Ann", "A", {1, 2}, /*pictures=*/true);
    enrol("Bob", "B", {3});  // no picture
    enrol("Cid", "C", {99}, true);
    std::atomic<bool> running{true};
    const ReprocessResult r = reprocessBase(base, process, view, running);
    EXPECT_EQ(r.rc, 0);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.persons, 3u);
    EXPECT_EQ(r.reprocessed, 2u);
    EXPECT_EQ(r.failed, 1u);
    EXPECT_EQ(view.range, 4u);
    EXPECT_EQ(view.last, 4u);
    EXPECT_EQ(tagsOf("Ann"), (std::vector<std::uint32_t>{1001, 1002}));
    EXPECT_EQ(tagsOf("Bob"), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(tagsOf("Cid"), (std::vector<std::uint32_t>{99}));
    EXPECT_EQ(sizes.front(), (std::pair<int, int>{256, 255}));
}

TEST_F(ReprocessTest, DeletedPersonsArePackedAwayFirst) {
    enrol("Ann", "A", {1}, true);
    enrol("Bob", "B", {2}, true);
    ASSERT_EQ(base.deletePerson("Ann"), 0);
    std::atomic<bool> running{true};
    const ReprocessResult r = reprocessBase(base, process, view, running);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.persons, 1u);
    EXPECT_EQ(base.personCount(), 1u);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tagsOf("Bob"), (std::vector<std::uint32_t>{1002}));
}

TEST_F(ReprocessTest, AStopBeforeTheStartTouchesNoFace) {
    enrol("Ann", "A", {1}, true);
    std::atomic<bool> running{false};
    const ReprocessResult r = reprocessBase(base, process, view, running);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(tagsOf("Ann"), (std::vector<std::uint32_t>{1}));
}

}  // namespace
}  // namespace registration::testing
