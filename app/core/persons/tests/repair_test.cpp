// What an open repairs and what it leaves: a header count lower than the records a table
// holds, an append cut short, a read-only open, and the leftovers of a store cut short.

#include <fstream>

#include "base_fixture.h"
#include "persons/record_format.h"
#include "tablib95.h"

namespace persons::testing {
namespace {

void setHeaderCount(const fs::path& table, std::uint32_t count) {
    std::fstream f(table, std::ios::in | std::ios::out | std::ios::binary);
    const char bytes[4] = {static_cast<char>(count), static_cast<char>(count >> 8),
                           static_cast<char>(count >> 16), static_cast<char>(count >> 24)};
    f.seekp(4);
    f.write(bytes, 4);
}

std::vector<std::string> userIds(PersonBase& base) {
    std::vector<std::string> ids;
    EXPECT_EQ(base.forEachPerson([&](PersonRecord& p) { return ids.push_back(p.userId), true; }),
              0);
    return ids;
}

bool anyNoteHas(const PersonBase& base, const std::string& text) {
    for (const std::string& note : base.openNotes())
        if (note.find(text) != std::string::npos) return true;
    return false;
}

const std::vector<std::string> kFive = {"P1", "P2", "P3", "P4", "P5"};

TEST_F(BaseTest, ACountOfZeroOverFiveRecordsIsRaisedNotCut) {
    for (const std::string& id : kFive) enrol(id, 1, 1);
    base.close();
    const auto size = fs::file_size(dir / kUsersTable);
    setHeaderCount(dir / kUsersTable, 0);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(userIds(base), kFive);
    EXPECT_EQ(fs::file_size(dir / kUsersTable), size);
    EXPECT_TRUE(anyNoteHas(base, "Users.Dbf: 5 records behind the header count of 0 restored"));
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("P4", p), 0);  // the indexes follow the restored table
}

TEST_F(BaseTest, AFaceTableCountTooLowIsRaisedToo) {
    enrol("Abcd", 3, 1);
    base.close();
    setHeaderCount(dir / kFacesTable, 0);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(base.faceRecordCount(), 3u);
    PersonRecord p;
    ASSERT_EQ(base.findByUserId("Abcd", p), 0);
    EXPECT_EQ(base.loadFaces(p), 0);
}

// One whole record behind the count is what an append killed before its count leaves.
TEST_F(BaseTest, ASingleRecordBehindTheCountIsATornAppendAndCut) {
    enrol("Abcd", 1, 1);
    enrol("Efgh", 1, 2);
    base.close();
    setHeaderCount(dir / kUsersTable, 1);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(userIds(base), std::vector<std::string>{"Abcd"});
    EXPECT_EQ(fs::file_size(dir / kUsersTable), 32u * 7 + 33 + 152 + 1);
}

TEST_F(BaseTest, AReadOnlyOpenNeverChangesTheFiles) {
    for (const std::string& id : kFive) enrol(id, 1, 1);
    base.close();
    setHeaderCount(dir / kUsersTable, 1);  // also the shape of a torn append
    std::vector<std::vector<std::uint8_t>> before;
    for (const char* f : {kUsersTable, kFacesTable, kUsersById, kUsersByUserId})
        before.push_back(fileBytes(dir / f));
    ASSERT_EQ(base.open(dir.string(), PersonBase::Access::ReadOnly), 0);
    EXPECT_EQ(userIds(base), std::vector<std::string>{"P1"});
    EXPECT_TRUE(anyNoteHas(base, "4 records behind the header count of 1 are not read"));
    PersonRecord p = newPerson("New", "N");
    EXPECT_EQ(base.storePerson(p), TL_E_READ_ONLY);
    EXPECT_EQ(base.deletePerson("P1"), TL_E_READ_ONLY);
    base.close();
    int k = 0;
    for (const char* f : {kUsersTable, kFacesTable, kUsersById, kUsersByUserId})
        EXPECT_EQ(fileBytes(dir / f), before[k++]) << f;
}

TEST_F(BaseTest, AReadOnlyOpenCreatesNothing) {
    base.close();
    const fs::path empty = dir / "empty";
    EXPECT_NE(base.open(empty.string(), PersonBase::Access::ReadOnly), 0);
    EXPECT_FALSE(fs::exists(empty));
}

TEST_F(BaseTest, AReadOnlyOpenWalksThePersonsWithoutAnIndex) {
    enrol("Abcd", 1, 1);
    base.close();
    fs::remove(dir / kUsersByUserId);
    ASSERT_EQ(base.open(dir.string(), PersonBase::Access::ReadOnly), 0);
    EXPECT_EQ(userIds(base), std::vector<std::string>{"Abcd"});
    EXPECT_FALSE(fs::exists(dir / kUsersByUserId));
    PersonRecord p;
    EXPECT_NE(base.findByUserId("Abcd", p), 0);
}

// A store cut short after its pictures and face records, before its person record.
void leaveAStoreCutShort(const fs::path& dir, std::uint32_t id) {
    PersonBase other([](std::intptr_t* pack) {
        if (pack[0] != TL_INSERT) return TABLIB(pack);
        pack[1] = TL_E_IO;
        return static_cast<int>(TL_E_IO);
    });
    ASSERT_EQ(other.open(dir.string()), 0);
    PersonRecord p = newPerson("Gone", "G");
    p.id = id;
    for (int i = 0; i < 3; ++i) addFace(p, 50 + i, true);
    ASSERT_EQ(other.storePerson(p), TL_E_IO);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fs::exists(dir / (format::imageName(id, i) + ".TIF"))) << i;
}

TEST_F(BaseTest, LeftoversOfAStoreCutShortGoAtTheNextOpen) {
    const PersonRecord keep = enrol("Keep", 2, 1);
    leaveAStoreCutShort(dir, 0x0ABCDEF0);
    base.close();
    std::ofstream(dir / "0ABCDEF1.TIF.tmp") << "half a picture";
    std::ofstream(dir / "photo.TIF") << "not the base's";
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(anyNoteHas(base, "3 face records no person refers to marked free"));
    for (std::uint32_t n = 3; n <= 5; ++n) EXPECT_EQ(faceFlag(n), '*') << n;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(fs::exists(dir / (format::imageName(0x0ABCDEF0, i) + ".TIF"))) << i;
    EXPECT_FALSE(fs::exists(dir / "0ABCDEF1.TIF.tmp"));
    EXPECT_TRUE(fs::exists(dir / "photo.TIF"));
    PersonRecord p;
    ASSERT_EQ(base.findByUserId("Keep", p), 0);
    ASSERT_EQ(base.loadFaces(p), 0);
    EXPECT_EQ(base.loadFaceImages(p), 0);  // the live person's pictures stay
    // The freed records are taken again.
    enrol("Next", 3, 9);
    EXPECT_EQ(base.faceRecordCount(), 5u);
    EXPECT_NE(keep.id, 0u);
}

// The base stays open while another process's store is cut short; the next person who gets
// the same ID must not take over its pictures.
TEST_F(BaseTest, ANewPersonNeverTakesOverPicturesLeftUnderItsId) {
    leaveAStoreCutShort(dir, 0x0ABCDEF0);
    base.setClock([] { return std::time_t{0x0ABCDEF0}; });
    const PersonRecord p = enrol("Later", 1, 7);
    ASSERT_EQ(p.id, 0x0ABCDEF0u);
    EXPECT_TRUE(fs::exists(dir / (format::imageName(p.id, 0) + ".TIF")));
    for (int i = 1; i < 3; ++i)
        EXPECT_FALSE(fs::exists(dir / (format::imageName(p.id, i) + ".TIF"))) << i;
}

}  // namespace
}  // namespace persons::testing
