// Indexes: exact-key lookup, key deletion, persistence and out-of-step detection.

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>

#include "table_fixture.h"

using namespace tabtest;

namespace {

class Index : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        t = createOpen("Users.Dbf", usersFields());
        ASSERT_EQ(createIndex("Users1.Idx", "ID", t, TL_KEY_CHAR | TL_KEY_BINARY), TL_OK);
        ASSERT_EQ(createIndex("Users2.Idx", "USERID", t, TL_KEY_CHAR), TL_OK);
        byId = openIndex("Users1.Idx", t);
        byUser = openIndex("Users2.Idx", t);
    }
    intptr_t t = 0, byId = 0, byUser = 0;
};

}  // namespace

TEST_F(Index, InfoGivesKeyLengthAndType) {
    Pack info(TL_INDEX_INFO);
    info[2] = byId;
    ASSERT_EQ(info.run(), TL_OK);
    EXPECT_EQ(info[TL_IINFO_KEY_LENGTH], 4);
    EXPECT_GE(info[TL_IINFO_KEY_TYPE], 3);  // binary: no padding by the caller
    info[2] = byUser;
    ASSERT_EQ(info.run(), TL_OK);
    EXPECT_EQ(info[TL_IINFO_KEY_LENGTH], 20);
    EXPECT_LT(info[TL_IINFO_KEY_TYPE], 3);
    EXPECT_EQ(info[TL_IINFO_DATA], t);
}

TEST_F(Index, ExactFindOfBinaryAndPaddedCharacterKeysAmongMany) {
    // Enough keys for a tree of several levels, inserted in random order.
    const uint32_t n = 4000;
    std::vector<uint32_t> ids(n);
    std::iota(ids.begin(), ids.end(), 1u);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    std::vector<uint32_t> recOf(n + 1);
    for (uint32_t id : ids) {
        auto rec = userRecord(id * 2654435761u, "user" + std::to_string(id), "n");
        recOf[id] = insert({byId, byUser}, rec);
    }
    for (uint32_t id = 1; id <= n; ++id) {
        uint32_t key = id * 2654435761u;
        ASSERT_EQ(find(byId, &key), recOf[id]) << id;
        std::string user = padded("user" + std::to_string(id), 20);
        ASSERT_EQ(find(byUser, user.data()), recOf[id]) << id;
    }
    int rc = 0;
    uint32_t absent = 12345;
    EXPECT_EQ(find(byId, &absent, &rc), 0u);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    std::string prefix = padded("user1", 19) + "x";
    find(byUser, prefix.data(), &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    Pack info(TL_INDEX_INFO);
    info[2] = byUser;
    ASSERT_EQ(info.run(), TL_OK);
    EXPECT_EQ(info[TL_IINFO_KEYS], n);
}

TEST_F(Index, KeysPersistAcrossReopenAndCreateFillsFromTheTable) {
    for (uint32_t i = 1; i <= 300; ++i) {
        auto rec = userRecord(i, "u" + std::to_string(i), "n");
        insert({byId, byUser}, rec);
    }
    Pack stop(TL_SHUTDOWN);
    ASSERT_EQ(stop.run(), TL_OK);
    Pack start(TL_START);
    ASSERT_EQ(start.run(), TL_OK);
    t = open("Users.Dbf");
    byId = openIndex("Users1.Idx", t);
    for (uint32_t i = 1; i <= 300; ++i) ASSERT_EQ(find(byId, &i), i);
    // A new index over the filled table holds its keys at once.
    ASSERT_EQ(createIndex("Users3.Idx", "NAME", t, TL_KEY_CHAR), TL_OK);
    intptr_t byName = openIndex("Users3.Idx", t);
    std::string name = padded("n", 40);
    EXPECT_EQ(find(byName, name.data()), 1u);
}

TEST_F(Index, DeleteKeyRemovesOnlyThatKey) {
    for (uint32_t i = 1; i <= 50; ++i) {
        auto rec = userRecord(i, "u" + std::to_string(i), "n");
        insert({byId, byUser}, rec);
    }
    std::string u7 = padded("u7", 20);
    Pack del(TL_KEY_DELETE);
    del[2] = byUser;
    del[5] = addr(u7.data());
    ASSERT_EQ(del.run(), TL_OK);
    int rc = 0;
    find(byUser, u7.data(), &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    EXPECT_EQ(del.run(), TL_E_KEY_NOT_FOUND);
    std::string u8 = padded("u8", 20);
    EXPECT_EQ(find(byUser, u8.data()), 8u);
    uint32_t id7 = 7;
    EXPECT_EQ(find(byId, &id7), 7u);
}

TEST_F(Index, EmptiedLeavesAreWalkedOverAndRefilled) {
    for (uint32_t i = 1; i <= 300; ++i) {
        auto rec = userRecord(i, "k" + std::to_string(1000 + i), "n");
        insert({byId, byUser}, rec);
    }
    // Remove a run of neighbouring keys: whole leaves become empty.
    for (uint32_t i = 1; i <= 250; ++i) {
        std::string key = padded("k" + std::to_string(1000 + i), 20);
        Pack del(TL_KEY_DELETE);
        del[2] = byUser;
        del[5] = addr(key.data());
        ASSERT_EQ(del.run(), TL_OK) << i;
    }
    int rc = 0;
    for (uint32_t i = 1; i <= 300; ++i) {
        std::string key = padded("k" + std::to_string(1000 + i), 20);
        uint32_t got = find(byUser, key.data(), &rc);
        EXPECT_EQ(got, i <= 250 ? 0u : i) << i;
    }
    std::string before = padded("k1000", 20);  // sorts before every key left
    find(byUser, before.data(), &rc);
    EXPECT_EQ(rc, TL_E_KEY_NOT_FOUND);
    for (uint32_t i = 301; i <= 400; ++i) {
        auto rec = userRecord(i, "k" + std::to_string(700 + i), "n");
        insert({byId, byUser}, rec);
    }
    for (uint32_t i = 301; i <= 400; ++i) {
        std::string key = padded("k" + std::to_string(700 + i), 20);
        ASSERT_EQ(find(byUser, key.data()), i);
    }
}

TEST_F(Index, DuplicateKeysFindTheLowestRecordUnlessUnique) {
    for (uint32_t i = 1; i <= 3; ++i) {
        auto rec = userRecord(100, "same", "n");
        insert({byId, byUser}, rec);
    }
    std::string same = padded("same", 20);
    EXPECT_EQ(find(byUser, same.data()), 1u);
    Pack del(TL_KEY_DELETE);
    del[2] = byUser;
    del[3] = 1;
    del[5] = addr(same.data());
    ASSERT_EQ(del.run(), TL_OK);
    EXPECT_EQ(find(byUser, same.data()), 2u);

    ASSERT_EQ(createIndex("U.Idx", "userid", t, TL_KEY_CHAR | TL_KEY_UNIQUE), TL_E_DUPLICATE);
    intptr_t t2 = createOpen("T2.DBF", usersFields());
    ASSERT_EQ(createIndex("T2.Idx", "USERID", t2, TL_KEY_CHAR | TL_KEY_UNIQUE), TL_OK);
    intptr_t uniq = openIndex("T2.Idx", t2);
    auto rec = userRecord(1, "one", "n");
    insert({uniq}, rec);
    int rc = 0;
    insert({uniq}, rec, &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(count(t2), 1u);  // refused before anything was written
}

TEST_F(Index, BadKeyExpressionsAndFlagsAreRefused) {
    EXPECT_EQ(createIndex("X.Idx", "NOSUCH", t, 2), TL_E_KEY_EXPR);
    EXPECT_EQ(createIndex("X.Idx", "ID+NAME", t, 2), TL_E_KEY_EXPR);
    EXPECT_EQ(createIndex("X.Idx", "ID", t, 64), TL_E_ARGUMENT);
    EXPECT_EQ(createIndex("X.Idx", "ID", 999, 2), TL_E_HANDLE);
    // An index built for another table layout does not open on this one.
    intptr_t faces = createOpen("Faces.Dbf", facesFields());
    openIndex("Users1.Idx", faces, TL_E_BAD_FILE);
}

TEST_F(Index, IndexBehindItsTableIsReportedAndRebuilt) {
    for (uint32_t i = 1; i <= 20; ++i) {
        auto rec = userRecord(i, "u" + std::to_string(i), "n");
        insert({byId, byUser}, rec);
    }
    // A record appended without its keys.
    append(t, userRecord(21, "u21", "n"));
    int rc = 0;
    uint32_t id = 21;
    find(byId, &id, &rc);
    EXPECT_EQ(rc, TL_W_OUT_OF_STEP);
    Pack close(TL_INDEX_CLOSE);
    close[2] = byId;
    ASSERT_EQ(close.run(), TL_OK);
    intptr_t stale = openIndex("Users1.Idx", t, TL_W_OUT_OF_STEP);
    ASSERT_NE(stale, 0);
    find(stale, &id, &rc);
    EXPECT_EQ(rc, TL_W_OUT_OF_STEP);
    Pack rebuild(TL_REINDEX);
    rebuild[2] = stale;
    rebuild[5] = addr(keybuf[0].data());
    ASSERT_EQ(rebuild.run(), TL_OK);
    EXPECT_EQ(find(stale, &id), 21u);
    openIndex("Users1.Idx", t);  // in step again on disk
}
