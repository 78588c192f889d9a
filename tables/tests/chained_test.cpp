// Chained insert, update and rebuild across the two indexes of the person table.

#include <cstring>

#include "table_fixture.h"

using namespace tabtest;

namespace {

class Chained : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        t = createOpen("Users.Dbf", usersFields());
        ASSERT_EQ(createIndex("Users1.Idx", "ID", t, 6), TL_OK);
        ASSERT_EQ(createIndex("Users2.Idx", "USERID", t, 2), TL_OK);
        byId = openIndex("Users1.Idx", t);
        byUser = openIndex("Users2.Idx", t);
    }
    intptr_t t = 0, byId = 0, byUser = 0;
};

}  // namespace

TEST_F(Chained, InsertWritesRecordAndBothKeys) {
    auto a = userRecord(0xA1B2C3D4, "alice", "Alice");
    auto b = userRecord(0x01020304, "bob", "Bob");
    EXPECT_EQ(insert({byId, byUser}, a), 1u);
    EXPECT_EQ(insert({byId, byUser}, b), 2u);
    // The engine builds each index's key in its key buffer.
    EXPECT_EQ(std::memcmp(keybuf[0].data(), b.data() + 1, 4), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(keybuf[1].data()), 20), padded("bob", 20));
    uint32_t id = 0xA1B2C3D4;
    EXPECT_EQ(find(byId, &id), 1u);
    std::string bob = padded("bob", 20);
    EXPECT_EQ(find(byUser, bob.data()), 2u);
    EXPECT_EQ(count(t), 2u);
}

TEST_F(Chained, UpdateMovesChangedKeysOnly) {
    auto a = userRecord(11, "alice", "Alice");
    auto b = userRecord(12, "bob", "Bob");
    insert({byId, byUser}, a);
    insert({byId, byUser}, b);
    auto renamed = userRecord(12, "robert", "Robert");
    ASSERT_EQ(update({byId, byUser}, 2, renamed), TL_OK);
    int rc = 0;
    std::string bob = padded("bob", 20), robert = padded("robert", 20);
    find(byUser, bob.data(), &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    EXPECT_EQ(find(byUser, robert.data()), 2u);
    uint32_t id = 12;
    EXPECT_EQ(find(byId, &id), 2u);
    EXPECT_EQ(read(t, 2)[25], 'R');
    std::string alice = padded("alice", 20);
    EXPECT_EQ(find(byUser, alice.data()), 1u);
    EXPECT_EQ(update({byId, byUser}, 3, renamed), -1);
    EXPECT_EQ(update({byId, byUser}, 0, renamed), -1);
}

TEST_F(Chained, FailingPackReportsItsPositionAndWritesNothing) {
    auto a = userRecord(1, "a", "A");
    insert({byId, byUser}, a);
    std::vector<Pack> packs(3, Pack(TL_INSERT));
    auto rec = userRecord(2, "b", "B");
    intptr_t handles[] = {byId, byUser, 4242};
    for (int k = 0; k < 3; ++k) {
        packs[k][2] = handles[k];
        packs[k][4] = addr(rec.data());
        packs[k][5] = addr(keybuf[k].data());
        packs[k][6] = k < 2 ? addr(packs[k + 1].w.data()) : 0;
    }
    EXPECT_EQ(packs[0].run(), -3);
    EXPECT_EQ(packs[2][1], TL_E_HANDLE);
    EXPECT_EQ(packs[0][1], TL_OK);
    EXPECT_EQ(count(t), 1u);
    // Indexes of another table in the same chain.
    intptr_t other = createOpen("Other.Dbf", usersFields());
    ASSERT_EQ(createIndex("Other.Idx", "ID", other, 6), TL_OK);
    packs[2][2] = openIndex("Other.Idx", other);
    EXPECT_EQ(packs[0].run(), -3);
    EXPECT_EQ(packs[2][1], TL_E_MISMATCH);
    // A pack without key buffer in second position.
    packs[1][5] = 0;
    packs[1][6] = 0;
    EXPECT_EQ(packs[0].run(), -2);
    EXPECT_EQ(packs[1][1], TL_E_ARGUMENT);
    EXPECT_EQ(count(t), 1u);
    uint32_t id = 1;
    EXPECT_EQ(find(byId, &id), 1u);  // indexes still in step
}

TEST_F(Chained, DeletePackAndRebuildKeepTheIndexesInStep) {
    for (uint32_t i = 1; i <= 10; ++i) {
        auto rec = userRecord(i, "u" + std::to_string(i), "n");
        insert({byId, byUser}, rec);
    }
    // Remove person 3 the way the person database does: both keys, then the record.
    uint32_t id3 = 3;
    std::string u3 = padded("u3", 20);
    Pack k1(TL_KEY_DELETE), k2(TL_KEY_DELETE), del(TL_DELETE);
    k1[2] = byId;
    k1[5] = addr(&id3);
    k2[2] = byUser;
    k2[5] = addr(u3.data());
    del[2] = t;
    del[3] = 3;
    ASSERT_EQ(k1.run(), TL_OK);
    ASSERT_EQ(k2.run(), TL_OK);
    ASSERT_EQ(del.run(), TL_OK);
    Pack pack(TL_PACK);
    pack[2] = t;
    ASSERT_EQ(pack.run(), TL_OK);
    uint32_t id4 = 4;
    int rc = 0;
    find(byId, &id4, &rc);
    EXPECT_EQ(rc, TL_W_OUT_OF_STEP);  // record numbers moved
    Pack r1(TL_REINDEX), r2(TL_REINDEX);
    r1[2] = byId;
    r1[5] = addr(keybuf[0].data());
    r1[6] = addr(r2.w.data());
    r2[2] = byUser;
    r2[5] = addr(keybuf[1].data());
    ASSERT_EQ(r1.run(), TL_OK);
    EXPECT_EQ(find(byId, &id4), 3u);
    find(byId, &id3, &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    std::string u10 = padded("u10", 20);
    EXPECT_EQ(find(byUser, u10.data()), 9u);
    // A record marked deleted carries no key after a rebuild.
    del[3] = 1;
    ASSERT_EQ(del.run(), TL_OK);
    ASSERT_EQ(r1.run(), TL_OK);
    uint32_t id1 = 1;
    find(byId, &id1, &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
}
