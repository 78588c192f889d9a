#include <cmath>

#include "mask.h"
#include "status.h"

namespace ovfc {

int Mask::normalise(BlockPool& pool, const std::uint8_t* px) {
    const std::size_t n = area();
    double sum = 0.0, sumSq = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = px[i];
        sum += v;
        sumSq += v * v;
    }
    const double mean = sum / static_cast<double>(n);
    const double variance = sumSq / static_cast<double>(n) - mean * mean;
    if (!(variance >= 0.0)) return kBadDescriptor;
    values = pool.take(n * sizeof(double));
    if (!values) return kNoMemory;
    double* out = values.as<double>();
    if (variance == 0.0) {
        // A uniform patch carries no pattern: all values are 0.
        for (std::size_t i = 0; i < n; ++i) out[i] = 0.0;
        return kOk;
    }
    const double sd = std::sqrt(variance);
    for (std::size_t i = 0; i < n; ++i) out[i] = (px[i] - mean) / sd;
    return kOk;
}

}  // namespace ovfc
