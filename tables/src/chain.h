#pragma once
// Chained requests: packs linked through a "next" word, processed as one request.

#include <cstddef>
#include <cstdint>

#include "tablib95.h"

namespace tablib {

inline constexpr size_t kMaxChain = 64;

struct Chain {
    intptr_t* packs[kMaxChain] = {};
    size_t size = 0;
    bool tooLong = false;

    // Follows the links from `first`; every pack's status starts at 0.
    Chain(intptr_t* first, int nextWord) {
        for (intptr_t* p = first; p != nullptr; p = reinterpret_cast<intptr_t*>(p[nextWord])) {
            if (size == kMaxChain) {
                tooLong = true;
                break;
            }
            p[1] = TL_OK;
            packs[size++] = p;
        }
    }
    intptr_t* operator[](size_t k) const { return packs[k]; }
    // Records the failure in pack k (0-based) and gives the chained result.
    int fail(size_t k, int code) const {
        packs[k < size ? k : size - 1][1] = code;
        return -static_cast<int>(k + 1);
    }
};

}  // namespace tablib
