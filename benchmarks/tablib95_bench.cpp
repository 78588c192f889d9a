// Table engine: chained inserts into a person table with two indexes, then exact finds.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tablib95.h"

namespace {

constexpr uint32_t kRecords = 100000;

template <class T>
intptr_t addr(T* p) {
    return reinterpret_cast<intptr_t>(p);
}

struct PersonTable {
    std::string dir;
    intptr_t table = 0, byId = 0, byUser = 0;

    PersonTable() {
        char tmpl[] = "/tmp/tablib95-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
        std::array<intptr_t, 16> p{TL_START, 0, 100};
        TABLIB(p.data());
        const struct {
            const char* name;
            char type;
            uint8_t len;
        } fields[] = {{"ID", 'C', 4},        {"USERID", 'C', 20}, {"NAME", 'C', 40},
                      {"PASSWORD", 'C', 20}, {"ACCESS", 'C', 1},  {"FACES", 'N', 2},
                      {"FACEREF", 'C', 64}};
        std::vector<uint8_t> d(32 * 7, 0);
        for (int i = 0; i < 7; ++i) {
            std::memcpy(d.data() + 32 * i, fields[i].name, std::strlen(fields[i].name));
            d[32 * i + 11] = static_cast<uint8_t>(fields[i].type);
            d[32 * i + 16] = fields[i].len;
        }
        std::string path = dir + "/Users.Dbf";
        p = {TL_CREATE, 0, addr(path.c_str()), 7, addr(d.data()), 3};
        TABLIB(p.data());
        p = {TL_OPEN, 0, 0, addr(path.c_str()), 34};
        TABLIB(p.data());
        table = p[2];
        byId = index("Users1.Idx", "ID", 6);
        byUser = index("Users2.Idx", "USERID", 2);
    }
    ~PersonTable() {
        std::array<intptr_t, 16> p{TL_SHUTDOWN};
        TABLIB(p.data());
        std::filesystem::remove_all(dir);
    }
    intptr_t index(const char* file, const char* expr, intptr_t flags) {
        std::string path = dir + "/" + file;
        std::array<intptr_t, 16> p{TL_INDEX_CREATE, 0,     addr(path.c_str()),
                                   addr(expr),      table, flags};
        p[9] = 512;
        TABLIB(p.data());
        p = {TL_INDEX_OPEN, 0, 0, addr(path.c_str()), 34, table};
        TABLIB(p.data());
        return p[2];
    }
    static uint32_t idOf(uint32_t i) { return i * 2654435761u + 17; }
    static void userOf(uint32_t i, char* out) {
        std::memset(out, ' ', 20);
        std::string s = "user" + std::to_string(i);
        std::memcpy(out, s.data(), s.size());
    }
    bool insertAll() {
        std::vector<uint8_t> rec(152, ' ');
        std::array<uint8_t, 32> k1{}, k2{};
        std::array<intptr_t, 8> second{TL_INSERT,       0, byUser, TL_CHAIN_NEXT, addr(rec.data()),
                                       addr(k2.data()), 0};
        std::array<intptr_t, 8> first{
            TL_INSERT, 0, byId, 0, addr(rec.data()), addr(k1.data()), addr(second.data())};
        for (uint32_t i = 0; i < kRecords; ++i) {
            uint32_t id = idOf(i);
            std::memcpy(rec.data() + 1, &id, 4);
            userOf(i, reinterpret_cast<char*>(rec.data()) + 5);
            first[3] = 0;
            if (TABLIB(first.data()) != TL_OK) return false;
        }
        return true;
    }
};

void BM_InsertTwoIndexes(benchmark::State& state) {
    // One run: a fresh table per benchmark invocation.
    PersonTable t;
    for (auto _ : state)
        if (!t.insertAll()) state.SkipWithError("insert failed");
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_InsertTwoIndexes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RandomExactFind(benchmark::State& state) {
    PersonTable t;
    if (!t.insertAll()) state.SkipWithError("insert failed");
    std::mt19937 rng(1);
    std::vector<uint32_t> order(kRecords);
    for (auto& o : order) o = rng() % kRecords;
    const bool byUser = state.range(0) == 1;
    char key[20];
    std::array<intptr_t, 8> p{TL_FIND, 0, byUser ? t.byUser : t.byId, 0, 0, addr(key)};
    for (auto _ : state) {
        for (uint32_t i : order) {
            if (byUser) {
                PersonTable::userOf(i, key);
            } else {
                uint32_t id = PersonTable::idOf(i);
                std::memcpy(key, &id, 4);
            }
            if (TABLIB(p.data()) != TL_OK || p[3] != intptr_t(i) + 1) {
                state.SkipWithError("find failed");
                break;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_RandomExactFind)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
