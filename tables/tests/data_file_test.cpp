// Data files: the byte layout, records, deletion, packing and copying.

#include <cstring>

#include "table_fixture.h"

using namespace tabtest;

namespace {

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

class DataFile : public EngineTest {};

}  // namespace

TEST_F(DataFile, LayoutIsDbaseThreeByteForByte) {
    intptr_t t = createOpen("Users.Dbf", usersFields());
    append(t, userRecord(7, "alice", "Alice A"));
    append(t, userRecord(8, "bob", "Bob B"));
    std::vector<uint8_t> b = readFile(dir.path("Users.Dbf"));
    ASSERT_EQ(b.size(), 32u * 7 + 33 + 2 * 152 + 1);
    EXPECT_EQ(b[0], 3);
    EXPECT_GE(b[1], 100);  // years since 1900
    EXPECT_TRUE(b[2] >= 1 && b[2] <= 12 && b[3] >= 1 && b[3] <= 31);
    EXPECT_EQ(u32(b, 4), 2u);
    EXPECT_EQ(u16(b, 8), 32 * 7 + 33);
    EXPECT_EQ(u16(b, 10), 152);
    const char* names[] = {"ID", "USERID", "NAME", "PASSWORD", "ACCESS", "FACES", "FACEREF"};
    const int lengths[] = {4, 20, 40, 20, 1, 2, 64};
    for (int i = 0; i < 7; ++i) {
        const uint8_t* d = b.data() + 32 + 32 * i;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(d)), names[i]);
        for (size_t k = std::strlen(names[i]); k < 11; ++k) EXPECT_EQ(d[k], 0) << i;
        EXPECT_EQ(d[11], i == 5 ? 'N' : 'C');
        EXPECT_EQ(d[16], lengths[i]);
        EXPECT_EQ(d[17], 0);
    }
    EXPECT_EQ(b[32 + 32 * 7], 0x0D);
    size_t r2 = 32 * 7 + 33 + 152;
    EXPECT_EQ(b[r2], ' ');
    EXPECT_EQ(u32(b, r2 + 1), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + r2 + 5), 20), padded("bob", 20));
    EXPECT_EQ(b.back(), 0x1A);
}

TEST_F(DataFile, CreateChecksFieldsAndNeverOverwrites) {
    std::vector<FieldSpec> many;
    for (int i = 0; i < 1025; ++i) many.push_back({"F" + std::to_string(i), 'C', 1});
    EXPECT_EQ(create("MANY.DBF", many), TL_E_FIELDS);
    many.pop_back();
    EXPECT_EQ(create("MAX.DBF", many), TL_OK);  // 1024 fields are allowed
    intptr_t t = open("MAX.DBF");
    Pack info(TL_INFO);
    info[2] = t;
    ASSERT_EQ(info.run(), TL_OK);
    EXPECT_EQ(info[TL_INFO_FIELDS], 1024);
    EXPECT_EQ(info[TL_INFO_HEADER_LENGTH], 32 * 1024 + 33);
    EXPECT_EQ(info[TL_INFO_RECORD_LENGTH], 1025);

    EXPECT_EQ(create("NONE.DBF", {}), TL_E_FIELDS);
    EXPECT_EQ(create("BADD.DBF", {{"D", 'D', 9}}), TL_E_FIELDS);
    EXPECT_EQ(create("BADT.DBF", {{"X", 'Q', 3}}), TL_E_FIELDS);
    EXPECT_EQ(create("DUP.DBF", {{"A", 'C', 3}, {"A", 'C', 3}}), TL_E_FIELDS);
    EXPECT_EQ(create("ZERO.DBF", {{"A", 'C', 0}}), TL_E_FIELDS);

    intptr_t u = createOpen("Users.Dbf", usersFields());
    append(u, userRecord(1, "keep", "me"));
    EXPECT_EQ(create("Users.Dbf", usersFields()), TL_E_EXISTS);
    EXPECT_EQ(count(u), 1u);
    EXPECT_EQ(read(u, 1)[5], 'k');
}

TEST_F(DataFile, RecordsReadWriteAndDeleteWithinRange) {
    intptr_t t = createOpen("T.DBF", usersFields());
    EXPECT_EQ(count(t), 0u);
    read(t, 1, TL_E_RECORD);
    std::vector<uint8_t> rec = userRecord(5, "u5", "five");
    rec[0] = 0;  // any flag but '*' is stored as live
    EXPECT_EQ(append(t, rec), 1u);
    EXPECT_EQ(append(t, userRecord(6, "u6", "six")), 2u);
    EXPECT_EQ(read(t, 1)[0], ' ');
    std::vector<uint8_t> changed = userRecord(5, "u5", "FIVE");
    Pack w(TL_WRITE);
    w[2] = t;
    w[3] = 1;
    w[4] = addr(changed.data());
    ASSERT_EQ(w.run(), TL_OK);
    EXPECT_EQ(read(t, 1)[25], 'F');
    EXPECT_EQ(readFile(dir.path("T.DBF")).size(),
              32u * 7 + 33 + 2 * 152 + 1);  // nothing left behind
    w[3] = 3;
    EXPECT_EQ(w.run(), TL_E_RECORD);
    w[3] = 0;
    EXPECT_EQ(w.run(), TL_E_RECORD);
    Pack del(TL_DELETE);
    del[2] = t;
    del[3] = 2;
    ASSERT_EQ(del.run(), TL_OK);
    EXPECT_EQ(read(t, 2)[0], '*');
    EXPECT_EQ(count(t), 2u);  // deleted records stay counted
    Pack rd(TL_READ);
    rd[2] = t;
    rd[3] = 1;
    EXPECT_EQ(rd.run(), TL_E_ARGUMENT);  // no buffer
}

TEST_F(DataFile, ReadOnlyOpenRefusesWrites) {
    createOpen("T.DBF", usersFields());
    intptr_t ro = open("T.DBF", TL_OK, TL_MODE_READ);
    Pack a(TL_APPEND);
    std::vector<uint8_t> rec = userRecord(1, "x", "y");
    a[2] = ro;
    a[4] = addr(rec.data());
    EXPECT_EQ(a.run(), TL_E_READ_ONLY);
    open("T.DBF", TL_E_ARGUMENT, 3);
    open("MISSING.DBF", TL_E_NOT_FOUND_FILE);
}

TEST_F(DataFile, PackDropsExactlyTheDeletedRecordsAndRenumbers) {
    intptr_t t = createOpen("T.DBF", usersFields());
    for (uint32_t i = 1; i <= 6; ++i) append(t, userRecord(i, "u" + std::to_string(i), "n"));
    intptr_t second = open("T.DBF");
    for (intptr_t n : {1, 4, 6}) {
        Pack del(TL_DELETE);
        del[2] = t;
        del[3] = n;
        ASSERT_EQ(del.run(), TL_OK);
    }
    Pack pack(TL_PACK);
    pack[2] = t;
    ASSERT_EQ(pack.run(), TL_OK);
    ASSERT_EQ(count(t), 3u);
    const uint32_t kept[] = {2, 3, 5};
    for (uint32_t n = 1; n <= 3; ++n) {
        std::vector<uint8_t> r = read(t, n);
        uint32_t id;
        std::memcpy(&id, r.data() + 1, 4);
        EXPECT_EQ(id, kept[n - 1]);
        EXPECT_EQ(r[0], ' ');
    }
    read(t, 4, TL_E_RECORD);
    std::vector<uint8_t> b = readFile(dir.path("T.DBF"));
    EXPECT_EQ(b.size(), 32u * 7 + 33 + 3 * 152 + 1);
    EXPECT_EQ(u32(b, 4), 3u);
    // A second handle of the same file sees the packed table.
    EXPECT_EQ(count(second), 3u);
    EXPECT_EQ(read(second, 3)[1], 5);
    // Still usable after the pack, and reopened the same.
    EXPECT_EQ(append(t, userRecord(9, "u9", "n")), 4u);
    intptr_t again = open("T.DBF");
    EXPECT_EQ(count(again), 4u);
}

TEST_F(DataFile, CopyWritesTheSameTable) {
    intptr_t t = createOpen("Users.Dbf", usersFields());
    for (uint32_t i = 1; i <= 3; ++i) append(t, userRecord(i, "u", "n"));
    std::string target = dir.path("Users.Bak");
    Pack copy(TL_COPY);
    copy[2] = t;
    copy[3] = addr(target.c_str());
    ASSERT_EQ(copy.run(), TL_OK);
    EXPECT_EQ(readFile(target), readFile(dir.path("Users.Dbf")));
    std::string self = dir.path("Users.Dbf");
    copy[3] = addr(self.c_str());
    EXPECT_EQ(copy.run(), TL_E_ARGUMENT);
}
