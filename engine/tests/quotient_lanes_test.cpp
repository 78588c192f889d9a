// The window sums' quotients from a reciprocal and two fused corrections must be the division's,
// bit for bit: on the sums' own operands and on quotients that lie next to a rounding midpoint.
#include "filters/quotient_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#if defined(OVFC_QUOTIENT_LANES)

namespace ovfc {
namespace {

struct Operands {
    std::vector<double> a, b;
};

// Number of operand pairs whose lane quotient differs from a / b in any bit.
__attribute__((target("avx2,fma"))) long mismatches(const Operands& ops) {
    long bad = 0;
    for (std::size_t i = 0; i + 4 <= ops.a.size(); i += 4) {
        const __m256d a = _mm256_loadu_pd(&ops.a[i]), b = _mm256_loadu_pd(&ops.b[i]);
        const __m256d y = _mm256_div_pd(_mm256_set1_pd(1.0), b);
        double q[4];
        _mm256_storeu_pd(q, detail::QuotientLanes(a, b, y));
        for (int k = 0; k < 4; ++k) {
            const double want = ops.a[i + k] / ops.b[i + k];
            if (std::memcmp(&want, &q[k], sizeof want) != 0) ++bad;
        }
    }
    return bad;
}

bool hasFma() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

TEST(QuotientLanes, WindowSumOperands) {
    if (!hasFma()) GTEST_SKIP() << "no AVX2 and FMA on this CPU";
    // (grey level - window mean) / window deviation, means and deviations as the integral
    // images give them: sums over n pixels divided by n, and square roots of variances.
    std::mt19937_64 rng(7);
    Operands ops;
    for (int k = 0; k < 1 << 21; ++k) {
        const int n = 1 + static_cast<int>(rng() % 4000);
        const double mean = static_cast<double>(rng() % (255 * n + 1)) / n;
        const double variance =
            static_cast<double>(rng() % (16384 * n + 1)) / n + std::ldexp(1.0, -30);
        ops.a.push_back(static_cast<double>(rng() % 256) - mean);
        ops.b.push_back(std::sqrt(variance));
    }
    EXPECT_EQ(mismatches(ops), 0);
}

TEST(QuotientLanes, QuotientsNextToMidpoints) {
    if (!hasFma()) GTEST_SKIP() << "no AVX2 and FMA on this CPU";
    // a = b m rounded, m halfway between two doubles: a / b falls within an ulp or so of
    // the midpoint, where a correction that is off by a hair rounds the wrong way.
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::uint64_t> significand(0, (1ull << 52) - 1);
    std::uniform_int_distribution<int> exponent(-60, 60);
    Operands ops;
    for (int k = 0; k < 1 << 21; ++k) {
        double b, q;
        const std::uint64_t bb = (1023ull << 52) | significand(rng);
        const std::uint64_t qq = (1023ull << 52) | significand(rng);
        std::memcpy(&b, &bb, sizeof b);
        std::memcpy(&q, &qq, sizeof q);
        // b m for the midpoint m = q + ulp/2: b q + b ulp/2, rounded once by the fused add.
        const double a = std::fma(b, q, b * std::ldexp(1.0, -53));
        const int e = exponent(rng);
        const double sign = (k & 1) ? -1.0 : 1.0;
        ops.a.push_back(sign * std::ldexp(a, e));
        ops.b.push_back(std::ldexp(b, e / 2));
    }
    // The largest significands, where the reciprocal's error is widest, and +0 (-0 gives +0).
    for (int k = 0; k < 4096; ++k) {
        ops.a.push_back(std::ldexp(static_cast<double>((1ull << 53) - 1 - k), -52));
        ops.b.push_back(
            std::ldexp(static_cast<double>((1ull << 53) - 1 - (k * 7919) % 65536), -52));
    }
    ops.a.insert(ops.a.end(), {0.0, 0.0, 1.0, -1.0});
    ops.b.insert(ops.b.end(), {1.0, 3.0, 7.0, 3.0});
    EXPECT_EQ(mismatches(ops), 0);
}

}  // namespace
}  // namespace ovfc

#endif
