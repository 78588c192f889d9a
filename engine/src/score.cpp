#include "score.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "config_store.h"
#include "face_context.h"
#include "status.h"

namespace ovfc {

namespace {

constexpr std::uint32_t kCoreElements = 4;

struct EntrySums {
    double sum = 0.0;
    int count = 0;
};

// Sum of the relative deviations (in units of 0.5 %) of element e's switched-on entries.
EntrySums elementSums(const ConfigStore& config, std::uint32_t e, std::uint32_t filterMask,
                      std::uint32_t filterCount, const std::int32_t* vector) {
    EntrySums out;
    char key[40];
    for (std::uint32_t k = 0; k < filterCount; ++k) {
        const int number = EntryKeyNumber(filterMask, static_cast<int>(k));
        std::snprintf(key, sizeof key, "%s%d_on", kElementNames[e], number);
        if (config.readInt("det", key) == 0) continue;
        std::snprintf(key, sizeof key, "%s%d_min", kElementNames[e], number);
        const std::int32_t m = config.readInt("det", key);
        if (m <= 0) throw XERRORINI();
        const long long diff = static_cast<long long>(vector[e * filterCount + k]) - m;
        out.sum += static_cast<double>(diff) * 200.0 / m;
        ++out.count;
    }
    return out;
}

}  // namespace

int EntryKeyNumber(std::uint32_t filterMask, int j) {
    if (j < 0) return 0;
    for (int bit = 0; bit < 16; ++bit) {
        if ((filterMask >> bit) & 1u) {
            if (j == 0) return bit + 1;
            --j;
        }
    }
    return 0;
}

std::int32_t SimilarityScore(const ConfigStore& config, std::uint32_t elementCount,
                             std::uint32_t filterMask, const std::int32_t* vector) {
    const std::uint32_t filterCount = filterCountOf(filterMask);
    // Eight element records and nine filters exist.
    if (elementCount > kElementCount || (filterMask & 0xFE00u) != 0) throw XERRORINI();
    const std::uint32_t core = std::min(elementCount, kCoreElements);
    EntrySums coreSums;
    for (std::uint32_t e = 0; e < core; ++e) {
        const EntrySums s = elementSums(config, e, filterMask, filterCount, vector);
        coreSums.sum += s.sum;
        coreSums.count += s.count;
    }
    // Nothing of the core group compared: there is no score to give.
    if (coreSums.count == 0) throw XERRORINI();
    const double w = config.readReal("det", "add_parm_weight");
    double best = coreSums.sum / coreSums.count;

    // Further elements with switched-on entries, in index order.
    EntrySums further[kElementCount - kCoreElements];
    int used = 0;
    for (std::uint32_t e = core; e < elementCount; ++e) {
        const EntrySums s = elementSums(config, e, filterMask, filterCount, vector);
        if (s.count != 0) further[used++] = s;
    }
    // Every non-empty subset of them; the core group always counts with weight w.
    for (unsigned subset = 1; subset < (1u << used); ++subset) {
        double num = w * coreSums.sum;
        double den = w * coreSums.count;
        for (int i = 0; i < used; ++i) {
            if ((subset >> i) & 1u) {
                num += further[i].sum;
                den += further[i].count;
            }
        }
        const double r = num / den;
        if (r < best) best = r;
    }
    const double score = 200.0 - best;
    if (!(score > static_cast<double>(INT_MIN))) return INT_MIN;
    if (score >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<std::int32_t>(score);
}

}  // namespace ovfc
