// The tables of a person base read by an independent dBASE reader (Debian's dbfread).

#include <cstdio>
#include <sstream>

#include "base_fixture.h"
#include "persons/record_format.h"

namespace persons::testing {
namespace {

std::string pythonWithDbfread() {
    for (const char* py : {"/usr/bin/python3", "python3"}) {
        const std::string cmd = std::string(py) + " -c 'import dbfread' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) return py;
    }
    return {};
}

std::vector<std::string> dbfreadLines(const std::string& python, const fs::path& dir) {
    const std::string cmd =
        python + " " OVFC_SOURCE_DIR "/app/core/persons/tests/read_base.py " + dir.string();
    std::vector<std::string> lines;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return lines;
    std::string line;
    for (int c; (c = std::fgetc(p)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        lines.push_back(line);
        line.clear();
    }
    EXPECT_EQ(::pclose(p), 0);
    return lines;
}

std::string hex(const std::uint8_t* p, std::size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::string hexU32(std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 24)};
    return hex(b, 4);
}

class DbfreadTest : public BaseTest {
  protected:
    std::string python;
    void SetUp() override {
        python = pythonWithDbfread();
        if (python.empty()) GTEST_SKIP() << "python3 with dbfread (python3-dbfread) not found";
        BaseTest::SetUp();
    }
};

TEST_F(DbfreadTest, FieldsAndValuesOfBothTables) {
    base.setClock([] { return static_cast<std::time_t>(0x6B5F1230); });
    PersonRecord a = newPerson("Abcd", "Ann Lee");
    a.access = kAccessAdmin | kAccessEnabled;
    addFace(a, 1, true);
    addFace(a, 2, false);
    ASSERT_EQ(base.storePerson(a), 0);
    enrol("Gone", 1, 3);
    PersonRecord c = newPerson("Many", "");
    for (int i = 0; i < 11; ++i) addFace(c, 10 + i, false);
    ASSERT_EQ(base.storePerson(c), 0);
    ASSERT_EQ(base.deletePerson("Gone"), 0);

    const auto lines = dbfreadLines(python, dir);
    std::vector<std::string> want = {
        "Users.Dbf records 2 deleted 1",
        "field ID C 4 0",
        "field USERID C 20 0",
        "field NAME C 40 0",
        "field PASSWORD C 20 0",
        "field ACCESS C 1 0",
        "field FACES N 2 0",
        "field FACEREF C 64 0",
        "user " + hexU32(0x6B5F1230) + " 'Abcd' 'Ann Lee' '' 03 2 " + hexU32(1) + hexU32(2) +
            std::string(112, '0'),
    };
    std::string refs;
    for (int i = 0; i < 11; ++i) refs += hexU32(c.faceRef[i]);
    want.push_back("user " + hexU32(c.id) + " 'Many' '' '' 02 11 " + refs + std::string(40, '0'));
    want.push_back("Faces.Dbf records 13 deleted 1");
    want.push_back("field ID C 4 0");
    want.push_back("field DATE D 8 0");
    want.push_back("field TIME C 8 0");
    want.push_back("field IMAGE C 8 0");
    for (int k = 1; k <= 12; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "FDESC_%02d", k);
        want.push_back(std::string("field ") + name + " C 255 0");
    }
    want.push_back("field FDESC_13 C 12 0");
    auto face = [&](std::uint32_t id, const std::string& image, std::uint32_t seed) {
        const auto d = descriptorOf(seed);
        return "face " + hexU32(id) + " 2026-12-08 01:02:03 '" + image + "' " +
               hex(d.data(), d.size());
    };
    want.push_back(face(0x6B5F1230, "B5F12300", 1));
    want.push_back(face(0x6B5F1230, "", 2));
    // Record 3 held the deleted person's face: only the live ones are listed.
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(c.faceRef[i], 4u + i);
        want.push_back(face(c.id, "", 10 + i));
    }
    EXPECT_EQ(lines, want);
}

}  // namespace
}  // namespace persons::testing
