// The registration sheet's face slots, profiler statistics and user information rules,
// stored through a real person base.

#include "registration/sheet.h"

#include <gtest/gtest.h>

#include "registration_fixture.h"

namespace registration::testing {
namespace {

class SheetTest : public identify::testing::BaseTest {
  protected:
    RegistrationSheet sheetWith(int faces) {
        RegistrationSheet sheet;
        sheet.person().userId = "P";
        for (int k = 1; k <= faces; ++k)
            EXPECT_EQ(sheet.addFace(frameOf(static_cast<std::uint32_t>(k))), 0);
        return sheet;
    }
    persons::PersonRecord reload(const std::string& userId) {
        persons::PersonRecord p;
        EXPECT_EQ(base.findByUserId(userId, p), 0);
        EXPECT_EQ(base.loadFaces(p), 0);
        base.loadFaceImages(p);
        return p;
    }
};

TEST_F(SheetTest, AddedFaceTakesTheFramesBlocksAndTheClocksTime) {
    RegistrationSheet sheet;
    const persons::CaptureTime t{2026, 12, 3, 9, 14, 5, 6, 7};
    sheet.setClock([t] { return t; });
    EXPECT_FALSE(sheet.changed());
    ASSERT_EQ(sheet.addFace(frameOf(7)), 0);
    const persons::FaceRecord& f = *sheet.person().faces[0];
    EXPECT_EQ(faceTag(sheet.person(), 0), 7u);
    EXPECT_EQ(getTag(f.picture.data()), 7u);
    EXPECT_EQ(f.width, 256);
    EXPECT_EQ(f.height, 255);
    EXPECT_EQ(f.time, t);
    EXPECT_EQ(f.recno, persons::kNotStored);
    EXPECT_TRUE(f.modified);
    EXPECT_TRUE(sheet.changed());
}

TEST_F(SheetTest, SixteenFacesAtMostAndOnlyProcessedFrames) {
    RegistrationSheet sheet = sheetWith(16);
    EXPECT_TRUE(sheet.full());
    EXPECT_EQ(sheet.addFace(frameOf(17)), kFacesFull);
    EXPECT_EQ(sheet.faceCount(), 16);
    RegistrationSheet other;
    identify::Probe empty;
    empty.descriptor.clear();
    EXPECT_EQ(other.addFace(empty), kNoFaceInFrame);
    EXPECT_EQ(other.faceCount(), 0);
}

TEST_F(SheetTest, StoreImageOffKeepsNoPictureAndABlankImageField) {
    RegistrationSheet sheet = sheetWith(1);
    sheet.setStoreImage(false);
    ASSERT_EQ(sheet.addFace(frameOf(2)), 0);
    EXPECT_FALSE(sheet.person().faces[1]->picture);
    ASSERT_EQ(base.storePerson(sheet.person()), 0);
    const persons::PersonRecord stored = reload("P");
    ASSERT_EQ(stored.faceCount, 2);
    EXPECT_FALSE(stored.faces[0]->image.empty());
    EXPECT_TRUE(stored.faces[1]->image.empty());
    EXPECT_FALSE(stored.faces[1]->picture);
    EXPECT_EQ(faceTag(stored, 1), 2u);
}

TEST_F(SheetTest, RefreshWithStoreImageOffDropsTheOldPicture) {
    RegistrationSheet sheet = sheetWith(2);
    sheet.setStoreImage(false);
    ASSERT_EQ(sheet.refreshFace(1, frameOf(9)), 0);
    EXPECT_EQ(faceTag(sheet.person(), 1), 9u);
    EXPECT_FALSE(sheet.person().faces[1]->picture);
    EXPECT_EQ(sheet.refreshFace(2, frameOf(9)), persons::kBadArgument);
}

TEST_F(SheetTest, DeletingTheMiddleOfThreeKeepsTheOthersWithTheirRecords) {
    RegistrationSheet first = sheetWith(3);
    ASSERT_EQ(base.storePerson(first.person()), 0);
    RegistrationSheet sheet(reload("P"));
    const auto refs = sheet.person().faceRef;
    ASSERT_EQ(sheet.deleteFace(1), 0);
    EXPECT_EQ(sheet.faceCount(), 2);
    EXPECT_EQ(sheet.person().faceRef[0], refs[0]);
    EXPECT_EQ(sheet.person().faceRef[1], refs[2]);
    EXPECT_EQ(sheet.person().faceRef[2], 0u);
    ASSERT_EQ(base.storePerson(sheet.person()), 0);
    const persons::PersonRecord stored = reload("P");
    ASSERT_EQ(stored.faceCount, 2);
    EXPECT_EQ(faceTag(stored, 0), 1u);
    EXPECT_EQ(faceTag(stored, 1), 3u);
    EXPECT_EQ(stored.faceRef[0], refs[0]);
    EXPECT_EQ(stored.faceRef[1], refs[2]);
    EXPECT_EQ(sheet.deleteFace(2), persons::kBadArgument);
}

TEST_F(SheetTest, DeletedImageGoesAtTheStore) {
    RegistrationSheet first = sheetWith(1);
    ASSERT_EQ(base.storePerson(first.person()), 0);
    RegistrationSheet sheet(reload("P"));
    const std::string file = base.picturePath(sheet.person().faces[0]->image);
    ASSERT_TRUE(fs::exists(file));
    ASSERT_EQ(sheet.deleteImage(0), 0);
    EXPECT_EQ(sheet.deleteImage(0), persons::kBadArgument);
    EXPECT_TRUE(fs::exists(file));  // nothing is lost before OK
    ASSERT_EQ(base.storePerson(sheet.person()), 0);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(reload("P").faces[0]->image.empty());
}

TEST_F(SheetTest, RunningAverageCurrentAndPeak) {
    RegistrationSheet sheet = sheetWith(1);
    for (std::int32_t score : {100, 200, 50, 150}) {
        sheet.recordScore(0, score);
        sheet.endRun();
    }
    // 100; 100 + 100/2 = 150; 150 - 100/3 = 117; 117 + 33/4 = 125 (truncated at each step)
    EXPECT_EQ(sheet.stats(0).average, 125);
    EXPECT_EQ(sheet.stats(0).current, 150);
    EXPECT_EQ(sheet.stats(0).peak, 200);
    EXPECT_EQ(sheet.runs(), 4);
    sheet.resetStats();
    EXPECT_EQ(sheet.runs(), 0);
    EXPECT_EQ(sheet.stats(0).peak, 0);
}

TEST_F(SheetTest, SortsMoveFacesReferencesAndStatisticsTogether) {
    RegistrationSheet first = sheetWith(3);
    ASSERT_EQ(base.storePerson(first.person()), 0);
    RegistrationSheet sheet(reload("P"));
    const auto refs = sheet.person().faceRef;
    // current 10/30/20, peak 90/30/60, average: one run each.
    sheet.recordScore(0, 90);
    sheet.recordScore(1, 30);
    sheet.recordScore(2, 60);
    sheet.endRun();
    sheet.recordScore(0, 10);
    sheet.recordScore(1, 30);
    sheet.recordScore(2, 20);
    sheet.endRun();
    sheet.sortBy(SortKey::Current);
    EXPECT_EQ(faceTag(sheet.person(), 0), 2u);
    EXPECT_EQ(faceTag(sheet.person(), 1), 3u);
    EXPECT_EQ(faceTag(sheet.person(), 2), 1u);
    EXPECT_EQ(sheet.person().faceRef[0], refs[1]);
    EXPECT_EQ(sheet.person().faceRef[2], refs[0]);
    EXPECT_EQ(sheet.stats(2).peak, 90);
    EXPECT_TRUE(sheet.changed());
    sheet.sortBy(SortKey::Peak);
    EXPECT_EQ(faceTag(sheet.person(), 0), 1u);
    EXPECT_EQ(sheet.person().faceRef[0], refs[0]);
    EXPECT_EQ(sheet.stats(0).current, 10);
    sheet.sortBy(SortKey::Average);  // averages 50, 30, 40
    EXPECT_EQ(faceTag(sheet.person(), 0), 1u);
    EXPECT_EQ(faceTag(sheet.person(), 1), 3u);
    EXPECT_EQ(faceTag(sheet.person(), 2), 2u);
    ASSERT_EQ(base.storePerson(sheet.person()), 0);
    const persons::PersonRecord stored = reload("P");
    EXPECT_EQ(faceTag(stored, 1), 3u);
    EXPECT_EQ(stored.faceRef[1], refs[2]);
}

TEST(UserInfo, NormalisedAsStoredWithTheAccessBits) {
    persons::PersonRecord p;
    applyUserInfo(p, UserInfo{"  aBCd", "   Ann Smith", true, false});
    EXPECT_EQ(p.userId, "Abcd");
    EXPECT_EQ(p.name, "Ann Smith");
    EXPECT_EQ(p.access, persons::kAccessAdmin);
    EXPECT_EQ(accessOf(UserInfo{"x", "", false, true}), persons::kAccessEnabled);
    const UserInfo back = userInfoOf(p);
    EXPECT_TRUE(back.administrator);
    EXPECT_FALSE(back.enabled);
}

TEST_F(SheetTest, NewUserIdMustBeFreeInTheSpellingItIsStoredUnder) {
    enrol("Abcd", "A", {1});
    EXPECT_EQ(checkNewUserId(base, "Abcd"), UserIdCheck::NotUnique);
    EXPECT_EQ(checkNewUserId(base, "aBCD"), UserIdCheck::NotUnique);
    EXPECT_EQ(checkNewUserId(base, "Abce"), UserIdCheck::Ok);
    EXPECT_EQ(checkNewUserId(base, ""), UserIdCheck::Empty);
}

TEST_F(SheetTest, ModifiedUserIdKeepsItsOwnRefusesEmptyAndAnothersId) {
    const persons::PersonRecord ann = enrol("Ann", "A", {1});
    enrol("Bob", "B", {2});
    EXPECT_EQ(checkModifiedUserId(base, ann, "ANN"), UserIdCheck::Ok);
    EXPECT_EQ(checkModifiedUserId(base, ann, ""), UserIdCheck::Empty);
    EXPECT_EQ(checkModifiedUserId(base, ann, "Bob"), UserIdCheck::NotUnique);
    EXPECT_EQ(checkModifiedUserId(base, ann, "Cid"), UserIdCheck::Ok);
}

}  // namespace
}  // namespace registration::testing
