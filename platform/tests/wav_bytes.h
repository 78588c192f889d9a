#pragma once
// Builds WAV files byte by byte for the tests, with every header field under control.

#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

struct Fmt {
    unsigned tag = 1;
    unsigned channels = 1;
    std::uint32_t rate = 22050;
    unsigned bits = 16;
    // Derived from the above unless set.
    std::uint32_t byteRate = 0;
    unsigned blockAlign = 0;
};

inline Bytes fmtChunk(const Fmt& f) {
    Bytes b;
    const unsigned align = f.blockAlign ? f.blockAlign : f.channels * f.bits / 8;
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, f.tag);
    put16(b, f.channels);
    put32(b, f.rate);
    put32(b, f.byteRate ? f.byteRate : f.rate * align);
    put16(b, align);
    put16(b, f.bits);
    return b;
}

inline Bytes chunk(const char* tag, const Bytes& body) {
    Bytes b;
    putTag(b, tag);
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

// RIFF/WAVE around the given chunks, with the RIFF size that fits them.
inline Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes body;
    putTag(body, "WAVE");
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putTag(b, "RIFF");
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// Distinct sample bytes (a ramp), so that a copy can be told from other data.
inline Bytes ramp(std::size_t n, unsigned seed = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return b;
}

inline Bytes simpleWav(const Fmt& f, const Bytes& data) {
    return riff({fmtChunk(f), chunk("data", data)});
}

}  // namespace wavtest
