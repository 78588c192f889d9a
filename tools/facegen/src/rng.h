#pragma once
// Random numbers that give the same sequence on every platform and standard library.

#include <cstdint>

namespace facegen {

// One step of splitmix64: also used to derive independent seeds.
constexpr std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Seed of one element of a family (a person of a set, a frame of a person).
constexpr std::uint64_t deriveSeed(std::uint64_t parent, std::uint64_t index) {
    std::uint64_t s = parent ^ (index * 0xD1B54A32D192ED03ull);
    splitmix64(s);
    return splitmix64(s);
}

// xoshiro256**, seeded through splitmix64.
class Rng {
  public:
    explicit constexpr Rng(std::uint64_t seed) {
        for (auto& w : s_) w = splitmix64(seed);
    }

    constexpr std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // Uniform in [0, 1) with 53 bits.
    constexpr double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform in [lo, hi).
    constexpr double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // True with probability p.
    constexpr bool chance(double p) { return unit() < p; }
    // Uniform integer in [0, n), n > 0 (bias below 2^-32 for the small n used here).
    constexpr int below(int n) {
        return static_cast<int>(((next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    }
    // Approximately normal, mean 0 and deviation 1 (sum of four uniforms).
    constexpr double normal() {
        const std::uint64_t r = next();
        const double sum = static_cast<double>((r & 0xFFFF) + ((r >> 16) & 0xFFFF) +
                                               ((r >> 32) & 0xFFFF) + (r >> 48)) +
                           2.0;
        // Each part is uniform over 0..65535; shifted to mean 0, scaled to deviation 1.
        return (sum / 65536.0 - 2.0) * 1.7320508075688772;
    }

  private:
    static constexpr std::uint64_t rotl(std::uint64_t x, int k) {
        return (x << k) | (x >> (64 - k));
    }
    std::uint64_t s_[4]{};
};

}  // namespace facegen
