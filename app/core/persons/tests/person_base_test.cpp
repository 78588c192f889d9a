// The person database on disk: open and create, store and read back, faces and pictures,
// IDs, deletes with face-record reuse, index rebuilds, iteration and pack.

#include <atomic>
#include <set>
#include <thread>

#include "base_fixture.h"
#include "ovio32.h"
#include "persons/record_format.h"
#include "tablib95.h"

namespace persons::testing {
namespace {

TEST_F(BaseTest, FirstStartCreatesAllFourFilesAndASecondOpensThem) {
    for (const char* f : {kUsersTable, kFacesTable, kUsersById, kUsersByUserId})
        EXPECT_TRUE(fs::exists(dir / f)) << f;
    EXPECT_EQ(base.status(), 0);
    EXPECT_EQ(base.personCount(), 0u);
    const auto users = fileBytes(dir / kUsersTable);
    ASSERT_GE(users.size(), 32u * 7 + 33);
    EXPECT_EQ(users[0], 3);                      // file kind
    EXPECT_EQ(users[8] | users[9] << 8, 257);    // header length
    EXPECT_EQ(users[10] | users[11] << 8, 152);  // record length
    const auto faces = fileBytes(dir / kFacesTable);
    EXPECT_EQ(faces[10] | faces[11] << 8, 3101);

    enrol("Abcd", 1, 1);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(base.personCount(), 1u);
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("Abcd", p), 0);

    // A second object on the same folder shares the engine; closing one keeps the other.
    PersonBase other;
    ASSERT_EQ(other.open(dir.string()), 0);
    other.close();
    EXPECT_EQ(base.findByUserId("Abcd", p), 0);
}

TEST_F(BaseTest, EngineVersionIsTheStartRequestsWhileOpen) {
    EXPECT_EQ(base.engineVersion(), static_cast<std::uint32_t>(TL_ENGINE_VERSION));
    base.close();
    EXPECT_EQ(base.engineVersion(), 0u);
}

TEST_F(BaseTest, PersonWithFacesAndPicturesReadsBackWhole) {
    PersonRecord stored = enrol("Abcd", 3, 100, 0b101);  // the middle face has no picture
    ASSERT_NE(stored.id, 0u);
    EXPECT_EQ(stored.recno, 1u);
    EXPECT_EQ(stored.modified, 0u);

    PersonRecord byId, p;
    ASSERT_EQ(base.findById(stored.id, byId), 0);
    EXPECT_EQ(byId.userId, "Abcd");
    ASSERT_EQ(base.findByUserId("Abcd", p), 0);
    EXPECT_EQ(p.name, "Name of Abcd");
    EXPECT_EQ(p.access, kAccessEnabled);
    ASSERT_EQ(p.faceCount, 3);
    EXPECT_EQ(p.faces[0], nullptr);  // faces load on demand
    ASSERT_EQ(base.loadFaces(p), 0);
    ASSERT_EQ(base.loadFaceImages(p), 0);
    for (int i = 0; i < 3; ++i) {
        const FaceRecord& f = *p.faces[i];
        EXPECT_EQ(f.id, stored.id);
        EXPECT_EQ(f.recno, p.faceRef[i]);
        EXPECT_TRUE(sameBytes(f.descriptor, descriptorOf(100 + i))) << i;
        EXPECT_EQ(f.time, (CaptureTime{2026, 12, 0, 8, 1, 2, 3, 0}));
    }
    EXPECT_EQ(p.faces[0]->image, format::imageName(stored.id, 0));
    EXPECT_EQ(p.faces[2]->image, format::imageName(stored.id, 2));
    EXPECT_TRUE(sameBytes(p.faces[0]->picture, pictureOf(100)));
    EXPECT_TRUE(sameBytes(p.faces[2]->picture, pictureOf(102)));
    EXPECT_EQ(p.faces[2]->width, kPictureWidth);
    EXPECT_EQ(p.faces[2]->height, kPictureHeight);

    // The face without a picture: a blank IMAGE field and no file.
    EXPECT_EQ(p.faces[1]->image, "");
    EXPECT_FALSE(p.faces[1]->picture);
    EXPECT_FALSE(fs::exists(dir / (format::imageName(stored.id, 1) + ".TIF")));
    const auto faces = fileBytes(dir / kFacesTable);
    const std::size_t at = 32 * 17 + 33 + (p.faceRef[1] - 1) * 3101 + 21;
    EXPECT_EQ(std::string(faces.begin() + at, faces.begin() + at + 8), std::string(8, ' '));
    std::set<std::string> pictures;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".TIF") pictures.insert(e.path().filename().string());
    EXPECT_EQ(pictures, (std::set<std::string>{format::imageName(stored.id, 0) + ".TIF",
                                               format::imageName(stored.id, 2) + ".TIF"}));
}

TEST_F(BaseTest, FaceCountFieldWithOneAndTwoDigits) {
    PersonRecord few = enrol("Few", 5, 1, 0);
    PersonRecord many = enrol("Many", 12, 20, 0);
    PersonRecord full = enrol("Full", 16, 40, 0);
    EXPECT_EQ(userRecord(1)[86], ' ');
    EXPECT_EQ(userRecord(1)[87], '5');
    EXPECT_EQ(userRecord(2)[86], '1');
    EXPECT_EQ(userRecord(2)[87], '2');
    EXPECT_EQ(userRecord(3)[86], '1');
    EXPECT_EQ(userRecord(3)[87], '6');
    ASSERT_TRUE(reopen());
    for (auto [user, count] : {std::pair{"Few", 5}, {"Many", 12}, {"Full", 16}}) {
        PersonRecord p;
        ASSERT_EQ(base.findByUserId(user, p), 0);
        EXPECT_EQ(p.faceCount, count);
        ASSERT_EQ(base.loadFaces(p), 0);
        EXPECT_TRUE(sameBytes(p.faces[count - 1]->descriptor, descriptorOf((count == 5    ? 1
                                                                            : count == 12 ? 20
                                                                                          : 40) +
                                                                           count - 1)));
    }
}

TEST_F(BaseTest, NewPersonsInOneSecondGetDistinctIdsAndPictures) {
    static constexpr std::uint32_t t = 0x6A000000u;
    base.setClock([] { return static_cast<std::time_t>(t); });
    PersonRecord a = enrol("First", 1, 1);
    PersonRecord b = enrol("Second", 1, 2);
    EXPECT_EQ(a.id, t);
    EXPECT_EQ(b.id, t + 1);
    // A time whose lower 28 bits are already a person's would give the same picture names.
    base.setClock([] { return static_cast<std::time_t>(t + 0x10000000u); });
    PersonRecord c = enrol("Third", 1, 3);
    EXPECT_EQ(c.id, t + 0x10000000u + 2);
    std::set<std::string> names;
    for (const auto* p : {&a, &b, &c}) names.insert(p->faces[0]->image);
    EXPECT_EQ(names.size(), 3u);
    PersonRecord back;
    ASSERT_EQ(base.findByUserId("First", back), 0);
    ASSERT_EQ(base.loadFaces(back), 0);
    ASSERT_EQ(base.loadFaceImages(back), 0);
    EXPECT_TRUE(sameBytes(back.faces[0]->picture, pictureOf(1)));
}

TEST_F(BaseTest, UserIdsStayUniqueAndNonEmpty) {
    enrol("Abcd", 1, 1);
    PersonRecord twin = newPerson("Abcd", "Twin");
    addFace(twin, 5, true);
    EXPECT_EQ(base.storePerson(twin), kDuplicateUser);
    PersonRecord blank = newPerson("   ", "Nobody");
    EXPECT_EQ(base.storePerson(blank), kBadArgument);
    EXPECT_EQ(base.personCount(), 1u);
    EXPECT_EQ(base.faceRecordCount(), 1u);

    // Renaming a stored person onto another's user ID is refused too; onto a free one works.
    PersonRecord other = enrol("Other", 1, 2);
    other.userId = "Abcd";
    other.modified = 1;
    EXPECT_EQ(base.storePerson(other), kDuplicateUser);
    other.userId = "Renamed";
    EXPECT_EQ(base.storePerson(other), 0);
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("Renamed", p), 0);
    EXPECT_EQ(base.findByUserId("Other", p), TL_E_KEY_NOT_FOUND);
    EXPECT_EQ(p.recno, kNotStored);
}

TEST_F(BaseTest, DeletedFaceRecordsAreReusedFromTheHighestWithoutGrowth) {
    PersonRecord a = enrol("Alpha", 3, 1);  // face records 1..3
    enrol("Beta", 2, 10);                   // 4..5
    ASSERT_EQ(base.deletePerson("Alpha"), 0);
    for (std::uint32_t n = 1; n <= 3; ++n) EXPECT_EQ(faceFlag(n), '*') << n;
    EXPECT_EQ(faceFlag(4), ' ');
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(fs::exists(dir / (a.faces[i]->image + ".TIF"))) << i;
    PersonRecord gone;
    EXPECT_EQ(base.findByUserId("Alpha", gone), TL_E_KEY_NOT_FOUND);
    EXPECT_EQ(base.findById(a.id, gone), TL_E_KEY_NOT_FOUND);
    EXPECT_EQ(userRecord(1)[0], '*');

    PersonRecord c = enrol("Gamma", 2, 20);
    EXPECT_EQ(c.faceRef[0], 3u);
    EXPECT_EQ(c.faceRef[1], 2u);
    EXPECT_EQ(base.faceRecordCount(), 5u);
    PersonRecord d = enrol("Delta", 2, 30);
    EXPECT_EQ(d.faceRef[0], 1u);
    EXPECT_EQ(d.faceRef[1], 6u);  // none left to reuse: appended
    EXPECT_EQ(base.faceRecordCount(), 6u);

    for (const char* user : {"Gamma", "Delta"}) {
        PersonRecord p;
        ASSERT_EQ(base.findByUserId(user, p), 0);
        ASSERT_EQ(base.loadFaces(p), 0);
        ASSERT_EQ(base.loadFaceImages(p), 0);
        const std::uint32_t seed = user[0] == 'G' ? 20 : 30;
        EXPECT_TRUE(sameBytes(p.faces[1]->descriptor, descriptorOf(seed + 1)));
        EXPECT_TRUE(sameBytes(p.faces[1]->picture, pictureOf(seed + 1)));
    }
    EXPECT_EQ(base.deletePerson("Alpha"), TL_E_KEY_NOT_FOUND);
}

TEST_F(BaseTest, DeletingTheMiddleFaceOfThree) {
    enrol("Abcd", 3, 1);
    PersonRecord p;
    ASSERT_EQ(base.findByUserId("Abcd", p), 0);
    ASSERT_EQ(base.loadFaces(p), 0);
    const std::array<std::uint32_t, 3> refs = {p.faceRef[0], p.faceRef[1], p.faceRef[2]};
    const std::string middle = p.faces[1]->image, last = p.faces[2]->image;
    ASSERT_EQ(p.deleteFace(1), 0);
    ASSERT_EQ(base.storePerson(p), 0);
    EXPECT_EQ(faceFlag(refs[0]), ' ');
    EXPECT_EQ(faceFlag(refs[1]), '*');
    EXPECT_EQ(faceFlag(refs[2]), ' ');
    EXPECT_FALSE(fs::exists(dir / (middle + ".TIF")));
    EXPECT_TRUE(fs::exists(dir / (last + ".TIF")));

    PersonRecord back;
    ASSERT_EQ(base.findByUserId("Abcd", back), 0);
    ASSERT_EQ(back.faceCount, 2);
    EXPECT_EQ(back.faceRef[0], refs[0]);
    EXPECT_EQ(back.faceRef[1], refs[2]);
    ASSERT_EQ(base.loadFaces(back), 0);
    EXPECT_TRUE(sameBytes(back.faces[1]->descriptor, descriptorOf(3)));

    // A face added now goes to slot 2, whose picture name the former third face still
    // holds: the new picture must not replace that one.
    addFace(back, 50, true);
    ASSERT_EQ(base.storePerson(back), 0);
    EXPECT_EQ(back.faceRef[2], refs[1]);  // the freed record is reused
    PersonRecord again;
    ASSERT_EQ(base.findByUserId("Abcd", again), 0);
    ASSERT_EQ(base.loadFaces(again), 0);
    ASSERT_EQ(base.loadFaceImages(again), 0);
    EXPECT_NE(again.faces[1]->image, again.faces[2]->image);
    EXPECT_TRUE(sameBytes(again.faces[0]->picture, pictureOf(1)));
    EXPECT_TRUE(sameBytes(again.faces[1]->picture, pictureOf(3)));
    EXPECT_TRUE(sameBytes(again.faces[2]->picture, pictureOf(50)));
}

TEST_F(BaseTest, DeletingAFaceImageAndStoringWithoutLoadedFaces) {
    enrol("Abcd", 2, 1);
    PersonRecord p;
    ASSERT_EQ(base.findByUserId("Abcd", p), 0);

    // Only the person record changes (access flags): the unloaded faces keep their pictures.
    p.access = kAccessAdmin;
    p.modified = 1;
    ASSERT_EQ(base.storePerson(p), 0);
    PersonRecord q;
    ASSERT_EQ(base.findByUserId("Abcd", q), 0);
    EXPECT_EQ(q.access, kAccessAdmin);
    ASSERT_EQ(base.loadFaces(q), 0);
    ASSERT_EQ(base.loadFaceImages(q), 0);
    EXPECT_TRUE(sameBytes(q.faces[1]->picture, pictureOf(2)));

    const std::string name = q.faces[0]->image;
    ASSERT_EQ(base.deleteFaceImage(*q.faces[0]), 0);
    EXPECT_FALSE(fs::exists(dir / (name + ".TIF")));
    EXPECT_TRUE(q.faces[0]->image.empty());
    ASSERT_EQ(base.storePerson(q), 0);
    PersonRecord r;
    ASSERT_EQ(base.findByUserId("Abcd", r), 0);
    ASSERT_EQ(base.loadFaces(r), 0);
    EXPECT_EQ(r.faces[0]->image, "");
    EXPECT_EQ(r.faces[1]->image, q.faces[1]->image);
    EXPECT_TRUE(sameBytes(r.faces[0]->descriptor, descriptorOf(1)));
    EXPECT_EQ(base.loadFaceImages(r), 0);
}

TEST_F(BaseTest, MissingOrDamagedIndexesAreRebuiltAtTheNextStart) {
    PersonRecord a = enrol("Abcd", 1, 1);
    PersonRecord b = enrol("Efgh", 1, 2);
    ASSERT_EQ(base.deletePerson("Abcd"), 0);
    for (const char* index : {kUsersById, kUsersByUserId}) {
        base.close();
        fs::remove(dir / index);
        ASSERT_TRUE(reopen()) << index;
        EXPECT_TRUE(fs::exists(dir / index));
        PersonRecord p;
        EXPECT_EQ(base.findById(b.id, p), 0) << index;
        EXPECT_EQ(base.findByUserId("Efgh", p), 0) << index;
        EXPECT_EQ(base.findById(a.id, p), TL_E_KEY_NOT_FOUND) << index;  // deleted: no key
        EXPECT_EQ(base.findByUserId("Abcd", p), TL_E_KEY_NOT_FOUND) << index;
    }
    base.close();
    std::ofstream(dir / kUsersByUserId, std::ios::trunc) << "not an index";
    ASSERT_TRUE(reopen());
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("Efgh", p), 0);
}

TEST_F(BaseTest, APackCutShortAfterRemovingTheTableIsUndoneAtTheNextStart) {
    enrol("Abcd", 1, 1);
    base.close();
    fs::rename(dir / kUsersTable, dir / kUsersBackup);
    ASSERT_TRUE(reopen());
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("Abcd", p), 0);
    EXPECT_FALSE(fs::exists(dir / kUsersBackup));
}

TEST_F(BaseTest, AForeignTableIsRefusedAndLeftAlone) {
    base.close();
    fs::remove_all(dir);
    fs::create_directories(dir);
    // A dBASE file of one 10-character field and no records.
    std::string header(32, '\0');
    header[0] = 3;
    header[8] = 65;
    header[10] = 11;
    std::string field(32, '\0');
    field.replace(0, 4, "CODE");
    field[11] = 'C';
    field[16] = 10;
    const std::string file = header + field + "\r\x1A";
    std::ofstream(dir / kUsersTable, std::ios::binary) << file;
    EXPECT_EQ(base.open(dir.string()), kBadLayout);
    EXPECT_EQ(base.status(), -1);
    const auto after = fileBytes(dir / kUsersTable);
    EXPECT_EQ(std::string(after.begin(), after.end()), file);
    PersonRecord p;
    EXPECT_EQ(base.findByUserId("x", p), kNotOpen);
    EXPECT_EQ(base.storePerson(p), kNotOpen);
}

TEST_F(BaseTest, IterationSkipsDeletedPersonsBothWays) {
    for (const char* user : {"P1", "P2", "P3", "P4"}) enrol(user, 1, 1 + user[1]);
    ASSERT_EQ(base.deletePerson("P2"), 0);
    std::vector<std::string> seen;
    auto visit = [&](PersonRecord& p) {
        seen.push_back(p.userId);
        return true;
    };
    ASSERT_EQ(base.forEachPerson(visit), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"P1", "P3", "P4"}));
    seen.clear();
    ASSERT_EQ(base.forEachPerson(visit, true), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"P4", "P3", "P1"}));
    seen.clear();
    ASSERT_EQ(base.forEachPerson([&](PersonRecord& p) { return visit(p) && false; }), 0);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(BaseTest, PackDropsDeletedPersonsAndKeepsLookups) {
    PersonRecord a = enrol("P1", 1, 1);
    PersonRecord b = enrol("P2", 2, 2);
    PersonRecord c = enrol("P3", 1, 4);
    ASSERT_EQ(base.deletePerson("P1"), 0);
    ASSERT_EQ(base.packPersons(), 0);
    EXPECT_EQ(base.personCount(), 2u);
    EXPECT_FALSE(fs::exists(dir / kUsersBackup));
    PersonRecord p;
    ASSERT_EQ(base.findByUserId("P3", p), 0);
    EXPECT_EQ(p.recno, 2u);
    ASSERT_EQ(base.findById(b.id, p), 0);
    EXPECT_EQ(p.recno, 1u);
    ASSERT_EQ(base.loadFaces(p), 0);
    EXPECT_TRUE(sameBytes(p.faces[1]->descriptor, descriptorOf(3)));

    // A copy read before the pack names a record number that now holds another person.
    b.recno = 2;
    b.name = "Stale";
    b.modified = 1;
    EXPECT_EQ(base.storePerson(b), kBadRecord);
    ASSERT_EQ(base.findByUserId("P3", p), 0);
    EXPECT_EQ(p.name, "Name of P3");
    ASSERT_TRUE(reopen());
    EXPECT_EQ(base.findByUserId("P3", p), 0);
}

// Puts an engine in front of the real one that fails the first request of one code.
struct FailingEngine {
    std::shared_ptr<std::atomic<int>> failCode = std::make_shared<std::atomic<int>>(0);
    EngineEntry entry() const {
        auto code = failCode;
        return [code](std::intptr_t* pack) {
            if (pack[0] == code->load()) {
                code->store(0);
                pack[1] = TL_E_IO;
                return static_cast<int>(TL_E_IO);
            }
            return TABLIB(pack);
        };
    }
};

class FailingBaseTest : public BaseTest {
  protected:
    FailingEngine engine;
    PersonBase failing{engine.entry()};
    void SetUp() override {
        BaseTest::SetUp();
        base.close();
        ASSERT_EQ(failing.open(dir.string()), 0);
    }
    void TearDown() override {
        failing.close();
        BaseTest::TearDown();
    }
};

TEST_F(FailingBaseTest, AFailedPackRestoresTheTableFromItsCopy) {
    for (const char* user : {"P1", "P2", "P3"}) {
        PersonRecord p = newPerson(user, user);
        addFace(p, 7, true);
        ASSERT_EQ(failing.storePerson(p), 0);
    }
    ASSERT_EQ(failing.deletePerson("P2"), 0);
    const auto before = fileBytes(dir / kUsersTable);
    *engine.failCode = TL_PACK;
    EXPECT_EQ(failing.packPersons(), TL_E_IO);
    EXPECT_EQ(failing.status(), 0);
    EXPECT_EQ(fileBytes(dir / kUsersTable), before);
    EXPECT_FALSE(fs::exists(dir / kUsersBackup));
    EXPECT_EQ(failing.personCount(), 3u);
    PersonRecord p;
    EXPECT_EQ(failing.findByUserId("P3", p), 0);
    EXPECT_EQ(failing.findByUserId("P2", p), TL_E_KEY_NOT_FOUND);
    PersonRecord q = newPerson("P4", "P4");
    EXPECT_EQ(failing.storePerson(q), 0);
    EXPECT_EQ(failing.packPersons(), 0);
    EXPECT_EQ(failing.personCount(), 3u);
}

TEST_F(FailingBaseTest, AnEngineErrorStopsTheStoreAndReleasesTheLocks) {
    PersonRecord p = newPerson("Abcd", "A");
    addFace(p, 1, true);
    *engine.failCode = TL_INSERT;
    EXPECT_EQ(failing.storePerson(p), TL_E_IO);
    EXPECT_EQ(failing.personCount(), 0u);
    // Another thread can take the locks at once (a lock left held would make it wait).
    int rc = -1;
    std::thread other([&] {
        PersonRecord q = newPerson("Efgh", "E");
        addFace(q, 2, true);
        rc = failing.storePerson(q);
    });
    other.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(failing.storePerson(p), 0);  // the retry completes the person
    PersonRecord back;
    ASSERT_EQ(failing.findByUserId("Abcd", back), 0);
    ASSERT_EQ(failing.loadFaces(back), 0);
    ASSERT_EQ(failing.loadFaceImages(back), 0);
    EXPECT_TRUE(sameBytes(back.faces[0]->picture, pictureOf(1)));
}

TEST_F(BaseTest, AStaleCopyNeverLoadsAnotherPersonsFace) {
    enrol("Abcd", 2, 1);
    PersonRecord stale;
    ASSERT_EQ(base.findByUserId("Abcd", stale), 0);
    PersonRecord edit;
    ASSERT_EQ(base.findByUserId("Abcd", edit), 0);
    ASSERT_EQ(edit.deleteFace(1), 0);
    ASSERT_EQ(base.storePerson(edit), 0);
    enrol("Efgh", 1, 9);  // takes the freed face record
    EXPECT_EQ(base.loadFaces(stale), kFaceMismatch);
    EXPECT_EQ(stale.faces[1], nullptr);
}

// Readers in other threads see each record whole while a writer rewrites a person.
TEST_F(BaseTest, ReadersNeverSeeATornRecordWhileAnotherThreadStores) {
    PersonRecord p = newPerson("Abcd", "v00000-00000");
    const std::vector<std::uint8_t> zeros(kDescriptorSize, 0);
    for (int i = 0; i < 4; ++i) p.addFace()->setDescriptor(zeros.data(), zeros.size());
    ASSERT_EQ(base.storePerson(p), 0);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, reads{0};
    auto reader = [&] {
        while (!done) {
            PersonRecord r;
            if (base.readPerson(1, r) != 0) continue;
            if (r.name.size() != 12 || r.name.substr(1, 5) != r.name.substr(7, 5)) ++torn;
            for (int i = 0; i < r.faceCount; ++i) {
                FaceRecord f;
                if (base.readFace(r.faceRef[i], f) != 0) continue;
                const std::uint8_t* d = f.descriptor.data();
                for (std::uint32_t k = 1; k < kDescriptorSize; ++k)
                    if (d[k] != d[0]) {
                        ++torn;
                        break;
                    }
                ++reads;
            }
        }
    };
    std::thread r1(reader), r2(reader);
    for (int v = 1; v <= 150; ++v) {
        char name[16];
        std::snprintf(name, sizeof name, "v%05d-%05d", v, v);
        p.name = name;
        p.modified = 1;
        std::vector<std::uint8_t> d(kDescriptorSize, static_cast<std::uint8_t>(v));
        p.faces[v % 4]->setDescriptor(d.data(), d.size());
        ASSERT_EQ(base.storePerson(p), 0);
    }
    done = true;
    r1.join();
    r2.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

}  // namespace
}  // namespace persons::testing
