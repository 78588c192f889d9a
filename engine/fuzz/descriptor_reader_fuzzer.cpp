// Feeds arbitrary bytes to the descriptor reader with every option, bounded as the
// exported functions bound it, and writes back what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_pool.h"
#include "descriptor_blob.h"
#include "mask.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The copy read back gets a pool of its own: one set can use up to all 64 slots.
    static ovfc::BlockPool pool, other;
    const std::size_t length = size < ovfc::kMaxBlobSize ? size : ovfc::kMaxBlobSize;
    // Exactly the bytes given, so that any read past them is caught.
    std::vector<std::uint8_t> blob(data, data + length);
    for (unsigned options = 0; options < 4; ++options) {
        ovfc::MaskSet set(pool);
        const int rc = set.read(blob.data(), blob.size(), options);
        if (rc == 0 && (options & ovfc::kKeepPixels)) {
            // What was read writes back, and that reads and writes back the same.
            std::vector<std::uint8_t> out(set.size());
            if (set.write(out.data(), out.size()) == 0) {
                ovfc::MaskSet again(other);
                if (again.read(out.data(), out.size(), ovfc::kKeepPixels) != 0) __builtin_trap();
                std::vector<std::uint8_t> twice(again.size());
                if (again.write(twice.data(), twice.size()) != 0 || twice != out) __builtin_trap();
            }
        }
        for (int id = 0; id < 256; ++id) (void)set.find(static_cast<std::uint8_t>(id));
    }
    if (pool.blocksInUse() != 0 || other.blocksInUse() != 0) __builtin_trap();
    pool.releaseAll();
    other.releaseAll();
    return 0;
}
