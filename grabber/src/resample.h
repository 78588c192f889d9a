#pragma once
// Error-accumulation resampling: source items are repeated or dropped evenly, no filtering.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovf {

// Calls emit(sourceIndex) once per output item, in order, for sourceCount items mapped onto
// outputCount items. The accumulator starts at outputCount - sourceCount; a source item is
// emitted while it is not negative, each emission subtracting sourceCount, and each source
// item adds outputCount.
template <class Emit>
void errorAccumulate(int sourceCount, int outputCount, Emit&& emit) {
    if (sourceCount <= 0 || outputCount <= 0) return;
    int produced = 0;
    long acc = long(outputCount) - sourceCount;
    for (int s = 0; s < sourceCount; ++s) {
        while (acc >= 0) {
            emit(s);
            acc -= sourceCount;
            if (++produced == outputCount) return;
        }
        acc += outputCount;
    }
}

// The source index of every output item, for row converters that step through a row.
inline std::vector<int32_t> resampleTable(int sourceCount, int outputCount) {
    std::vector<int32_t> table;
    table.reserve(std::size_t(outputCount > 0 ? outputCount : 0));
    errorAccumulate(sourceCount, outputCount, [&](int s) { table.push_back(s); });
    return table;
}

}  // namespace ovf
