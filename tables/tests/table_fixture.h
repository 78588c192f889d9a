#pragma once
// Helpers for the table engine tests: request packs, field descriptors, temporary folders.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tablib95.h"

namespace tabtest {

struct Pack {
    std::array<intptr_t, 16> w{};
    explicit Pack(intptr_t code) { w[0] = code; }
    intptr_t& operator[](size_t i) { return w[i]; }
    int run() { return TABLIB(w.data()); }
};

template <class T>
intptr_t addr(T* p) {
    return reinterpret_cast<intptr_t>(p);
}

struct FieldSpec {
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

std::vector<uint8_t> descriptors(const std::vector<FieldSpec>& fields);
std::vector<FieldSpec> usersFields();  // the person table: 7 fields, 152-byte records
std::vector<FieldSpec> facesFields();  // the face table: 17 fields, 3101-byte records

class TempDir {
  public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

  private:
    std::string dir_;
};

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A started engine per test, shut down afterwards.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    int create(const std::string& name, const std::vector<FieldSpec>& fields);
    intptr_t open(const std::string& name, int expect = TL_OK, intptr_t mode = 34);
    intptr_t createOpen(const std::string& name, const std::vector<FieldSpec>& fields);
    uint32_t count(intptr_t data);
    uint32_t append(intptr_t data, const std::vector<uint8_t>& rec);
    std::vector<uint8_t> read(intptr_t data, uint32_t recno, int expect = TL_OK);
    int createIndex(const std::string& name, const char* expr, intptr_t data, intptr_t flags);
    intptr_t openIndex(const std::string& name, intptr_t data, int expect = TL_OK);
    // Exact find: the record number, or 0 with the result in *rc.
    uint32_t find(intptr_t index, const void* key, int* rc = nullptr);
    // Chained insert over the indexes; the record number, or 0 with the result in *rc.
    uint32_t insert(const std::vector<intptr_t>& indexes, std::vector<uint8_t>& rec,
                    int* rc = nullptr);
    int update(const std::vector<intptr_t>& indexes, uint32_t recno, std::vector<uint8_t>& rec);

    TempDir dir;
    std::array<uint8_t, 512> keybuf[4]{};
};

// A person record: raw ID, blank-padded USERID and NAME.
std::vector<uint8_t> userRecord(uint32_t id, const std::string& userId, const std::string& name);
std::string padded(const std::string& s, size_t width);

}  // namespace tabtest
