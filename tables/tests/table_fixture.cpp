#include "table_fixture.h"

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tabtest {

std::vector<uint8_t> descriptors(const std::vector<FieldSpec>& fields) {
    std::vector<uint8_t> out(32 * fields.size(), 0);
    for (size_t i = 0; i < fields.size(); ++i) {
        uint8_t* d = out.data() + 32 * i;
        std::memcpy(d, fields[i].name.data(), std::min<size_t>(11, fields[i].name.size()));
        d[11] = static_cast<uint8_t>(fields[i].type);
        d[16] = static_cast<uint8_t>(fields[i].length);
        d[17] = static_cast<uint8_t>(fields[i].decimals);
    }
    return out;
}

std::vector<FieldSpec> usersFields() {
    return {{"ID", 'C', 4},     {"USERID", 'C', 20}, {"NAME", 'C', 40},   {"PASSWORD", 'C', 20},
            {"ACCESS", 'C', 1}, {"FACES", 'N', 2},   {"FACEREF", 'C', 64}};
}

std::vector<FieldSpec> facesFields() {
    std::vector<FieldSpec> f = {
        {"ID", 'C', 4}, {"DATE", 'D', 8}, {"TIME", 'C', 8}, {"IMAGE", 'C', 8}};
    char name[16];
    for (int i = 1; i <= 13; ++i) {
        std::snprintf(name, sizeof name, "FDESC_%02d", i);
        f.push_back({name, 'C', i == 13 ? 12 : 255});
    }
    return f;
}

TempDir::TempDir() {
    char tmpl[] = "/tmp/tablib95-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void EngineTest::SetUp() {
    Pack p(TL_START);
    p[2] = 100;
    ASSERT_EQ(p.run(), TL_OK);
}

void EngineTest::TearDown() {
    Pack p(TL_SHUTDOWN);
    EXPECT_EQ(p.run(), TL_OK);
}

int EngineTest::create(const std::string& name, const std::vector<FieldSpec>& fields) {
    std::vector<uint8_t> d = descriptors(fields);
    std::string path = dir.path(name);
    Pack p(TL_CREATE);
    p[2] = addr(path.c_str());
    p[3] = static_cast<intptr_t>(fields.size());
    p[4] = addr(d.data());
    p[5] = 3;
    return p.run();
}

intptr_t EngineTest::open(const std::string& name, int expect, intptr_t mode) {
    std::string path = dir.path(name);
    Pack p(TL_OPEN);
    p[3] = addr(path.c_str());
    p[4] = mode;
    EXPECT_EQ(p.run(), expect) << name;
    return p[2];
}

intptr_t EngineTest::createOpen(const std::string& name, const std::vector<FieldSpec>& fields) {
    EXPECT_EQ(create(name, fields), TL_OK);
    return open(name);
}

uint32_t EngineTest::count(intptr_t data) {
    Pack p(TL_INFO);
    p[2] = data;
    EXPECT_EQ(p.run(), TL_OK);
    return static_cast<uint32_t>(p[TL_INFO_RECORDS]);
}

uint32_t EngineTest::append(intptr_t data, const std::vector<uint8_t>& rec) {
    Pack p(TL_APPEND);
    p[2] = data;
    p[4] = addr(rec.data());
    EXPECT_EQ(p.run(), TL_OK);
    return static_cast<uint32_t>(p[3]);
}

std::vector<uint8_t> EngineTest::read(intptr_t data, uint32_t recno, int expect) {
    Pack info(TL_INFO);
    info[2] = data;
    EXPECT_EQ(info.run(), TL_OK);
    std::vector<uint8_t> buf(static_cast<size_t>(info[TL_INFO_RECORD_LENGTH]), 0);
    Pack p(TL_READ);
    p[2] = data;
    p[3] = recno;
    p[4] = addr(buf.data());
    EXPECT_EQ(p.run(), expect);
    return buf;
}

int EngineTest::createIndex(const std::string& name, const char* expr, intptr_t data,
                            intptr_t flags) {
    std::string path = dir.path(name);
    Pack p(TL_INDEX_CREATE);
    p[2] = addr(path.c_str());
    p[3] = addr(expr);
    p[4] = data;
    p[5] = flags;
    p[9] = 512;
    return p.run();
}

intptr_t EngineTest::openIndex(const std::string& name, intptr_t data, int expect) {
    std::string path = dir.path(name);
    Pack p(TL_INDEX_OPEN);
    p[3] = addr(path.c_str());
    p[4] = 34;
    p[5] = data;
    EXPECT_EQ(p.run(), expect) << name;
    return p[2];
}

uint32_t EngineTest::find(intptr_t index, const void* key, int* rc) {
    Pack p(TL_FIND);
    p[2] = index;
    p[5] = addr(key);
    int r = p.run();
    if (rc) *rc = r;
    EXPECT_EQ(p[1], r);
    return r == TL_OK ? static_cast<uint32_t>(p[3]) : 0;
}

uint32_t EngineTest::insert(const std::vector<intptr_t>& indexes, std::vector<uint8_t>& rec,
                            int* rc) {
    std::vector<Pack> packs(indexes.size(), Pack(TL_INSERT));
    for (size_t k = 0; k < indexes.size(); ++k) {
        packs[k][2] = indexes[k];
        packs[k][3] = k == 0 ? 0 : TL_CHAIN_NEXT;
        packs[k][4] = addr(rec.data());
        packs[k][5] = addr(keybuf[k].data());
        packs[k][6] = k + 1 < indexes.size() ? addr(packs[k + 1].w.data()) : 0;
    }
    int r = packs[0].run();
    if (rc)
        *rc = r;
    else
        EXPECT_EQ(r, TL_OK);
    return r == TL_OK ? static_cast<uint32_t>(packs[0][3]) : 0;
}

int EngineTest::update(const std::vector<intptr_t>& indexes, uint32_t recno,
                       std::vector<uint8_t>& rec) {
    std::vector<Pack> packs(indexes.size(), Pack(TL_UPDATE));
    for (size_t k = 0; k < indexes.size(); ++k) {
        packs[k][2] = indexes[k];
        packs[k][3] = recno;
        packs[k][4] = addr(rec.data());
        packs[k][5] = addr(keybuf[k].data());
        packs[k][6] = k + 1 < indexes.size() ? addr(packs[k + 1].w.data()) : 0;
    }
    return packs[0].run();
}

std::string padded(const std::string& s, size_t width) {
    std::string out = s.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::vector<uint8_t> userRecord(uint32_t id, const std::string& userId, const std::string& name) {
    std::vector<uint8_t> rec(4096, 0);
    rec[0] = ' ';
    std::memcpy(rec.data() + 1, &id, 4);
    std::string text = padded(userId, 20) + padded(name, 40) + padded("", 20);
    std::memcpy(rec.data() + 5, text.data(), text.size());
    rec[85] = 2;
    rec[86] = ' ';
    rec[87] = '0';
    return rec;
}

}  // namespace tabtest
