// The five sounds, built from tones: a frequency glide with a few harmonics, shaped by
// linear fades (or a quadratic decay) that start and end at zero so nothing clicks.

#include <algorithm>
#include <array>

#include "wavgen.h"

namespace wavgen {

namespace {

constexpr std::int64_t kOne = 32767;  // 1.0 in Q15

struct Harmonic {
    unsigned multiple;
    std::int32_t weight;  // Q15; the weights of a tone add up to at most kOne
};

struct Tone {
    unsigned startHz;
    unsigned endHz;
    unsigned ms;
    std::int32_t level;  // Q15 peak
    std::vector<Harmonic> harmonics;
    unsigned fadeInMs;
    unsigned fadeOutMs;  // ignored when decay is set
    bool decay = false;  // fall as (1 - t)^2 over the whole tone
};

unsigned samplesFor(unsigned ms) {
    return ms * kSampleRate / 1000;
}

// Q15 envelope at sample i of n.
std::int64_t envelope(const Tone& tone, unsigned i, unsigned n) {
    const std::int64_t fadeIn = std::max(1u, samplesFor(tone.fadeInMs));
    std::int64_t env = kOne;
    if (i < fadeIn) env = kOne * i / fadeIn;
    const std::int64_t rest = n - 1 - i;  // samples to the end; zero at the last one
    if (tone.decay) {
        env = env * rest * rest / (std::int64_t{n - 1} * (n - 1));
    } else {
        const std::int64_t fadeOut = std::max(1u, samplesFor(tone.fadeOutMs));
        if (rest < fadeOut) env = env * rest / fadeOut;
    }
    return env;
}

void render(const Tone& tone, std::vector<std::int16_t>& out) {
    const unsigned n = samplesFor(tone.ms);
    std::uint32_t phase = 0;
    for (unsigned i = 0; i < n; ++i) {
        std::int64_t mix = 0;
        for (const Harmonic& h : tone.harmonics) {
            mix += std::int64_t{sineQ15(phase * h.multiple)} * h.weight;
        }
        mix >>= 15;
        const std::int64_t value = (((mix * envelope(tone, i, n)) >> 15) * tone.level) >> 15;
        out.push_back(static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -kOne, kOne)));
        // Instantaneous frequency glides linearly from start to end; phase step in 2^-32 turns.
        const std::uint64_t hzTimesN =
            std::uint64_t{tone.startHz} * n +
            static_cast<std::uint64_t>(
                (static_cast<std::int64_t>(tone.endHz) - static_cast<std::int64_t>(tone.startHz)) *
                static_cast<std::int64_t>(i));
        phase += static_cast<std::uint32_t>((hzTimesN << 32) / (std::uint64_t{n} * kSampleRate));
    }
}

void silence(unsigned ms, std::vector<std::int16_t>& out) {
    out.insert(out.end(), samplesFor(ms), 0);
}

std::vector<std::int16_t> click() {
    std::vector<std::int16_t> s;
    render({2600, 2600, 15, 24000, {{1, 26000}, {3, 6000}}, 1, 0, true}, s);
    return s;
}

std::vector<std::int16_t> access() {
    std::vector<std::int16_t> s;
    const std::vector<Harmonic> bell{{1, 24000}, {2, 6000}, {3, 2500}};
    render({660, 660, 160, 20000, bell, 4, 40}, s);
    render({990, 990, 320, 20000, bell, 4, 200}, s);
    return s;
}

std::vector<std::int16_t> deny() {
    std::vector<std::int16_t> s;
    // Odd harmonics falling as 1/k: a hollow, square-like buzz.
    render({140, 140, 450, 20000, {{1, 17000}, {3, 5700}, {5, 3400}, {7, 2400}}, 10, 50}, s);
    return s;
}

std::vector<std::int16_t> identic() {
    std::vector<std::int16_t> s;
    const std::vector<Harmonic> bright{{1, 24000}, {2, 7000}};
    render({1760, 1760, 90, 20000, bright, 4, 12}, s);
    silence(60, s);
    render({1760, 1760, 90, 20000, bright, 4, 12}, s);
    return s;
}

std::vector<std::int16_t> different() {
    std::vector<std::int16_t> s;
    render({880, 294, 420, 20000, {{1, 26000}, {2, 5000}}, 8, 80}, s);
    return s;
}

}  // namespace

std::int32_t sineQ15(std::uint32_t phase) {
    // Odd Taylor polynomial of sin(pi/2 x) to x^9 on a quarter wave, in Q30.
    constexpr std::int64_t kC1 = 1686629713, kC3 = 693598668, kC5 = 85569306, kC7 = 5026995,
                           kC9 = 172272;
    const unsigned quadrant = phase >> 30;
    std::int64_t x = phase & 0x3FFFFFFF;
    if (quadrant & 1) x = (std::int64_t{1} << 30) - x;
    const std::int64_t x2 = x * x >> 30;
    std::int64_t t = kC9;
    for (std::int64_t c : {kC7, kC5, kC3, kC1}) t = c - (x2 * t >> 30);
    const std::int64_t sinQ30 = (x * t) >> 30;
    const std::int64_t s = std::min<std::int64_t>((sinQ30 * kOne + (1 << 29)) >> 30, kOne);
    return static_cast<std::int32_t>(quadrant & 2 ? -s : s);
}

std::vector<Sound> programSounds() {
    return {{"click.wav", click()},
            {"access.wav", access()},
            {"deny.wav", deny()},
            {"identic.wav", identic()},
            {"differnt.wav", different()}};
}

}  // namespace wavgen
