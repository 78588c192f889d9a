// Tables written through the engine read back by an independent dBASE reader (dbfread).

#include <cstdio>
#include <cstring>
#include <sstream>

#include "table_fixture.h"

using namespace tabtest;

namespace {

std::string pythonWithDbfread() {
    for (const char* py : {"/usr/bin/python3", "python3"}) {
        std::string cmd = std::string(py) + " -c 'import dbfread' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) return py;
    }
    return {};
}

std::vector<std::string> dbfreadLines(const std::string& python, const std::string& file) {
    std::string cmd = python + " " OVFC_SOURCE_DIR "/tables/tests/read_dbf.py " + file;
    std::vector<std::string> lines;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return lines;
    char buf[16384];
    while (std::fgets(buf, sizeof buf, p)) {
        std::string s(buf);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        lines.push_back(s);
    }
    EXPECT_EQ(::pclose(p), 0);
    return lines;
}

std::string hex(const uint8_t* p, size_t n) {
    static const char* d = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) s += {d[p[i] >> 4], d[p[i] & 15]};
    return s;
}

std::vector<std::string> expectedFields(const std::vector<FieldSpec>& fields) {
    std::vector<std::string> out;
    for (const FieldSpec& f : fields) {
        std::ostringstream s;
        s << "field " << f.name << " " << f.type << " " << f.length << " " << f.decimals;
        out.push_back(s.str());
    }
    return out;
}

class Interop : public EngineTest {
  protected:
    void SetUp() override {
        python = pythonWithDbfread();
        if (python.empty()) GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
        EngineTest::SetUp();
    }
    void check(const std::string& file, const std::vector<FieldSpec>& fields,
               const std::vector<std::vector<uint8_t>>& records, size_t recordLength,
               const std::vector<std::string>& typed) {
        std::vector<std::string> want = {"count " + std::to_string(records.size())};
        for (auto& f : expectedFields(fields)) want.push_back(f);
        for (auto& r : records) want.push_back("record " + hex(r.data() + 1, recordLength - 1));
        for (auto& t : typed) want.push_back("typed " + t);
        std::vector<std::string> got = dbfreadLines(python, dir.path(file));
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << i;
    }
    std::string python;
};

}  // namespace

TEST_F(Interop, PersonTableReadsTheSame) {
    intptr_t t = createOpen("Users.Dbf", usersFields());
    ASSERT_EQ(createIndex("Users1.Idx", "ID", t, 6), TL_OK);
    ASSERT_EQ(createIndex("Users2.Idx", "USERID", t, 2), TL_OK);
    intptr_t i1 = openIndex("Users1.Idx", t), i2 = openIndex("Users2.Idx", t);
    std::vector<std::vector<uint8_t>> recs;
    const char* faces[] = {" 3", "12", " 0"};
    for (uint32_t i = 0; i < 3; ++i) {
        auto rec = userRecord(0x5F000000u + i * 0x01010101u, "user" + std::to_string(i),
                              "Name Number " + std::to_string(i));
        rec[85] = static_cast<uint8_t>(1 + i);
        std::memcpy(rec.data() + 86, faces[i], 2);
        for (int k = 0; k < 16; ++k) rec[88 + 4 * k] = static_cast<uint8_t>(k < 3 ? k + 1 : 0);
        insert({i1, i2}, rec);
        recs.push_back(rec);
    }
    check("Users.Dbf", usersFields(), recs, 152, {"FACES=3", "FACES=12", "FACES=0"});
}

TEST_F(Interop, FaceTableReadsTheSame) {
    intptr_t t = createOpen("Faces.Dbf", facesFields());
    std::vector<std::vector<uint8_t>> recs;
    for (uint32_t i = 0; i < 4; ++i) {
        std::vector<uint8_t> rec(3101, 0);
        rec[0] = ' ';
        uint32_t id = 0x12345678u + i;
        std::memcpy(rec.data() + 1, &id, 4);
        char when[17];
        std::snprintf(when, sizeof when, "%4d%02d%02d%02d:%02d:%02d", 2026, 12, 1 + i, 13, 5, 9);
        std::memcpy(rec.data() + 5, when, 16);
        std::memcpy(rec.data() + 21, i % 2 ? "5F000001" : "        ", 8);
        for (int b = 0; b < 3072; ++b) rec[29 + b] = static_cast<uint8_t>((b * 7 + i) & 0xFF);
        std::memcpy(rec.data() + 29, "OVFCDESC\3", 9);
        append(t, rec);
        recs.push_back(rec);
    }
    std::vector<std::string> typed;
    for (int i = 0; i < 4; ++i) typed.push_back("DATE=2026-12-0" + std::to_string(1 + i));
    check("Faces.Dbf", facesFields(), recs, 3101, typed);
}
