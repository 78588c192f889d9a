#pragma once
// a / b for four lanes without a division per quotient. From y = 1 / b, rounded once, two
// fused corrections give the quotient as the division rounds it, bit for bit:
//   q0 = a y, q1 = q0 + (a - b q0) y, q = q1 + (a - b q1) y   (each step rounded once).
// q1 is the rounded quotient or its neighbour across the nearest midpoint, so a - b q1 is
// exact, and the last step lands (a/b - q1)(b y - 1) off a/b: with B < 2^53 the divisor's
// significand, |b y - 1| <= B 2^-106, and a/b lies farther than that from every midpoint (at
// least ulp / 2B). Holds while no step overflows or leaves the normal range: a zero, or |a| and b
// in [2^-400, 2^400]; a = -0 gives +0.
//
// For the AVX2 and FMA builds of the window sums; the division stays the reference.

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace ovfc::detail {

// y must be 1.0 / b as the division gives it.
__attribute__((target("avx2,fma"), always_inline)) inline __m256d QuotientLanes(__m256d a,
                                                                                __m256d b,
                                                                                __m256d y) {
    __m256d q = _mm256_mul_pd(a, y);
    __m256d r = _mm256_fnmadd_pd(q, b, a);
    q = _mm256_fmadd_pd(r, y, q);
    r = _mm256_fnmadd_pd(q, b, a);
    return _mm256_fmadd_pd(r, y, q);
}

}  // namespace ovfc::detail

#define OVFC_QUOTIENT_LANES 1
#endif
