// Opens a data file and an index file made from the input and reads through both.
// Input: u16 length of the data-file part, the data file, then the index file.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tablib95.h"

namespace {

char gDir[] = "/tmp/tablib95-fuzz-XXXXXX";
char gData[64], gIndex[64];

void removeFiles() {
    std::remove(gData);
    std::remove(gIndex);
    ::rmdir(gDir);
}

// Made once per process, removed at exit.
void makeDir() {
    if (gData[0] != '\0') return;
    if (::mkdtemp(gDir) == nullptr) std::abort();
    std::snprintf(gData, sizeof gData, "%s/t.dbf", gDir);
    std::snprintf(gIndex, sizeof gIndex, "%s/t.idx", gDir);
    std::atexit(removeFiles);
}

void put(const std::string& path, const uint8_t* p, size_t n) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (n) std::fwrite(p, 1, n, f);
    std::fclose(f);
}

intptr_t call(std::vector<intptr_t>& w) {
    return TABLIB(w.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t split = std::min<size_t>(size - 2, data[0] | (data[1] << 8));
    makeDir();
    const std::string dbf = gData, idx = gIndex;
    put(dbf, data + 2, split);
    put(idx, data + 2 + split, size - 2 - split);

    std::vector<intptr_t> w(16, 0);
    w[0] = TL_START;
    call(w);
    w.assign(16, 0);
    w[0] = TL_OPEN;
    w[3] = reinterpret_cast<intptr_t>(dbf.c_str());
    w[4] = 34;
    intptr_t rc = call(w);
    if (rc == TL_OK || rc == TL_W_DAMAGED) {
        intptr_t table = w[2];
        w.assign(16, 0);
        w[0] = TL_INFO;
        w[2] = table;
        call(w);
        intptr_t records = w[TL_INFO_RECORDS], length = w[TL_INFO_RECORD_LENGTH];
        std::vector<uint8_t> rec(static_cast<size_t>(length > 0 ? length : 1));
        for (intptr_t n = 1; n <= records + 1 && n <= 64; ++n) {
            w.assign(16, 0);
            w[0] = TL_READ;
            w[2] = table;
            w[3] = n;
            w[4] = reinterpret_cast<intptr_t>(rec.data());
            call(w);
        }
        if (records > 0) {
            // Write the first record back in place.
            w.assign(16, 0);
            w[0] = TL_READ;
            w[2] = table;
            w[3] = 1;
            w[4] = reinterpret_cast<intptr_t>(rec.data());
            if (call(w) == TL_OK) {
                w[0] = TL_WRITE;
                call(w);
            }
        }
        w.assign(16, 0);
        w[0] = TL_INDEX_OPEN;
        w[3] = reinterpret_cast<intptr_t>(idx.c_str());
        w[4] = 34;
        w[5] = table;
        rc = call(w);
        if (rc == TL_OK || rc == TL_W_OUT_OF_STEP) {
            intptr_t index = w[2];
            w.assign(16, 0);
            w[0] = TL_INDEX_INFO;
            w[2] = index;
            call(w);
            std::vector<uint8_t> key(static_cast<size_t>(w[TL_IINFO_KEY_LENGTH]) + 1, ' ');
            for (intptr_t n = 1; n <= records && n <= 8; ++n) {
                // Look up the keys of the first records, and a blank one.
                w.assign(16, 0);
                w[0] = TL_READ;
                w[2] = table;
                w[3] = n;
                w[4] = reinterpret_cast<intptr_t>(rec.data());
                call(w);
                w.assign(16, 0);
                w[0] = TL_FIND;
                w[2] = index;
                w[5] = reinterpret_cast<intptr_t>(n == 1 ? key.data() : rec.data() + 1);
                call(w);
            }
            if (rc == TL_OK && !rec.empty()) {
                // One insert into the tree as found.
                std::vector<intptr_t> ins(16, 0);
                std::vector<uint8_t> kb(key.size() + 256);
                ins[0] = TL_INSERT;
                ins[2] = index;
                ins[4] = reinterpret_cast<intptr_t>(rec.data());
                ins[5] = reinterpret_cast<intptr_t>(kb.data());
                call(ins);
            }
        }
    }
    w.assign(16, 0);
    w[0] = TL_SHUTDOWN;
    call(w);
    return 0;
}
