// Damaged and interrupted files: refused or opened read-safely, never read past their end.

#include <cstring>

#include "table_fixture.h"

using namespace tabtest;

namespace {

class Damage : public EngineTest {
  protected:
    // A person table of `n` records, closed again; returns its bytes.
    std::vector<uint8_t> table(uint32_t n) {
        intptr_t t = createOpen("T.DBF", usersFields());
        for (uint32_t i = 1; i <= n; ++i) append(t, userRecord(i, "u", "n"));
        Pack close(TL_CLOSE);
        close[2] = t;
        EXPECT_EQ(close.run(), TL_OK);
        return readFile(dir.path("T.DBF"));
    }
    static constexpr size_t kHeader = 32 * 7 + 33;
};

}  // namespace

TEST_F(Damage, BrokenHeadersAreRefused) {
    std::vector<uint8_t> good = table(2);
    auto refused = [&](std::vector<uint8_t> bytes, const char* what) {
        SCOPED_TRACE(what);
        writeFile(dir.path("BAD.DBF"), bytes);
        open("BAD.DBF", TL_E_BAD_FILE);
    };
    refused({}, "empty");
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 20), "short header");
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 100), "header cut off");
    auto b = good;
    b[8] = 32 * 3 + 33;  // fewer descriptors than the fields present: no terminator
    b[9] = 0;
    refused(b, "field count beyond the header length");
    b = good;
    b[10] = 151;
    refused(b, "record length not the sum of the fields");
    b = good;
    b[32 + 16] = 0;  // a zero-length field
    refused(b, "zero field length");
    b = good;
    b[8] = 0xFF;
    b[9] = 0xFF;
    refused(b, "header length beyond the file");
    b = good;
    b[kHeader - 1] = 'X';
    refused(b, "missing header terminator");
}

TEST_F(Damage, TruncatedLastRecordOpensReadOnlyAndKeepsTheFile) {
    std::vector<uint8_t> good = table(3);
    std::vector<uint8_t> cut(good.begin(), good.end() - 11);
    writeFile(dir.path("T.DBF"), cut);
    intptr_t t = open("T.DBF", TL_W_DAMAGED);
    ASSERT_NE(t, 0);
    EXPECT_EQ(count(t), 2u);
    read(t, 2);
    read(t, 3, TL_E_RECORD);
    Pack a(TL_APPEND);
    auto rec = userRecord(9, "x", "y");
    a[2] = t;
    a[4] = addr(rec.data());
    EXPECT_EQ(a.run(), TL_E_READ_ONLY);
    Pack info(TL_INFO);
    info[2] = t;
    ASSERT_EQ(info.run(), TL_OK);
    EXPECT_EQ(info[TL_INFO_READ_ONLY], 1);
    EXPECT_EQ(readFile(dir.path("T.DBF")), cut);
}

TEST_F(Damage, InterruptedAppendIsCutBackToTheHeaderCount) {
    std::vector<uint8_t> good = table(2);
    // Half a record behind the counted ones, end mark overwritten.
    auto b = good;
    b.pop_back();
    b.insert(b.end(), 70, 'Z');
    writeFile(dir.path("T.DBF"), b);
    intptr_t t = open("T.DBF");
    EXPECT_EQ(count(t), 2u);
    EXPECT_EQ(readFile(dir.path("T.DBF")), good);
    // A whole record written but never counted.
    b = good;
    b.pop_back();
    auto extra = userRecord(3, "u", "n");
    b.insert(b.end(), extra.begin(), extra.begin() + 152);
    writeFile(dir.path("U.DBF"), b);
    t = open("U.DBF");
    EXPECT_EQ(count(t), 2u);
    EXPECT_EQ(readFile(dir.path("U.DBF")), good);
    // No end mark: added.
    b = good;
    b.pop_back();
    writeFile(dir.path("V.DBF"), b);
    open("V.DBF");
    EXPECT_EQ(readFile(dir.path("V.DBF")), good);
    // Read-only opens leave the file as it is.
    writeFile(dir.path("W.DBF"), b);
    t = open("W.DBF", TL_OK, TL_MODE_READ);
    EXPECT_EQ(count(t), 2u);
    EXPECT_EQ(readFile(dir.path("W.DBF")), b);
}

TEST_F(Damage, BrokenIndexFilesAreRefusedOrReported) {
    table(0);
    intptr_t t = open("T.DBF");
    ASSERT_EQ(createIndex("T.IDX", "USERID", t, 2), TL_OK);
    intptr_t ix = openIndex("T.IDX", t);
    for (uint32_t i = 1; i <= 200; ++i) {
        auto rec = userRecord(i, "u" + std::to_string(i), "n");
        insert({ix}, rec);
    }
    std::vector<uint8_t> good = readFile(dir.path("T.IDX"));
    ASSERT_GE(good.size(), 3 * 512u);

    writeFile(dir.path("B.IDX"), std::vector<uint8_t>(good.begin(), good.begin() + 40));
    openIndex("B.IDX", t, TL_E_BAD_FILE);
    auto b = good;
    b[0] = 'X';
    writeFile(dir.path("B.IDX"), b);
    openIndex("B.IDX", t, TL_E_BAD_FILE);
    writeFile(dir.path("B.IDX"), std::vector<uint8_t>(good.begin(), good.end() - 512));
    openIndex("B.IDX", t, TL_E_BAD_FILE);  // pages counted but missing
    // Node pages with a bad kind, an impossible count or a child out of range.
    for (int variant = 0; variant < 3; ++variant) {
        b = good;
        uint32_t root;
        std::memcpy(&root, b.data() + 12, 4);
        uint8_t* node = b.data() + size_t(root) * 512;
        if (variant == 0) node[0] = 9;
        if (variant == 1) node[2] = node[3] = 0xFF;
        if (variant == 2) std::memset(node + 4, 0xEE, 4);
        writeFile(dir.path("B.IDX"), b);
        intptr_t bad = openIndex("B.IDX", t);
        int rc = 0;
        std::string key = padded("u1", 20);
        find(bad, key.data(), &rc);
        EXPECT_EQ(rc, TL_E_BAD_FILE) << variant;
    }
}

TEST_F(Damage, NoCutWhileAnotherHandleHoldsTheLock) {
    std::vector<uint8_t> good = table(2);
    intptr_t writer = open("T.DBF");
    Pack lock(TL_DATA_LOCK);
    lock[2] = writer;
    ASSERT_EQ(lock.run(), TL_OK);
    // Bytes of an append in progress behind the counted records.
    auto b = good;
    b.insert(b.end() - 1, 40, 'Z');
    writeFile(dir.path("T.DBF"), b);
    intptr_t reader = open("T.DBF");
    EXPECT_EQ(count(reader), 2u);
    EXPECT_EQ(readFile(dir.path("T.DBF")), b);
    Pack unlock(TL_DATA_UNLOCK);
    unlock[2] = writer;
    unlock[3] = unlock[4] = 1;
    ASSERT_EQ(unlock.run(), TL_OK);
    open("T.DBF");
    EXPECT_EQ(readFile(dir.path("T.DBF")), good);
}

TEST_F(Damage, WriteTornInPlaceIsRedoneFromItsKeptImage) {
    std::vector<uint8_t> good = table(2);
    std::vector<uint8_t> fresh = userRecord(2, "new", "NEW NAME");
    fresh.resize(152);
    const size_t at = kHeader + 152;
    // The image kept behind the end mark: magic, record number, length, record, FNV-1a.
    std::vector<uint8_t> entry = {'T', 'B', 'J', '1', 2, 0, 0, 0, 152, 0, 0, 0};
    entry.insert(entry.end(), fresh.begin(), fresh.end());
    uint32_t h = 2166136261u;
    for (uint8_t c : entry) h = (h ^ c) * 16777619u;
    for (int i = 0; i < 4; ++i) entry.push_back(static_cast<uint8_t>(h >> (8 * i)));

    auto torn = good;
    std::copy(fresh.begin(), fresh.begin() + 60, torn.begin() + at);
    torn.insert(torn.end(), entry.begin(), entry.end());
    writeFile(dir.path("T.DBF"), torn);
    intptr_t t = open("T.DBF");
    auto rec = read(t, 2);
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), rec.begin()));
    auto expected = good;
    std::copy(fresh.begin(), fresh.end(), expected.begin() + at);
    EXPECT_EQ(readFile(dir.path("T.DBF")), expected);

    // An image that was itself cut short is dropped; the record was not yet touched.
    auto cut = good;
    cut.insert(cut.end(), entry.begin(), entry.end() - 5);
    writeFile(dir.path("U.DBF"), cut);
    t = open("U.DBF");
    EXPECT_EQ(readFile(dir.path("U.DBF")), good);
    auto bad = good;
    entry[40] ^= 1;
    bad.insert(bad.end(), entry.begin(), entry.end());
    writeFile(dir.path("V.DBF"), bad);
    open("V.DBF");
    EXPECT_EQ(readFile(dir.path("V.DBF")), good);
}
