#pragma once
// Independent reader of the uncompressed 8-bit grey TIFF files the generator writes, for
// checking them in tests.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace facegen_test {

struct GreyTiff {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// Reads the first image; false for anything but uncompressed 8-bit single-sample grey.
inline bool readGreyTiff(const std::string& path, GreyTiff& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> f((std::istreambuf_iterator<char>(in)), {});
    if (f.size() < 8) return false;
    const bool le = f[0] == 'I' && f[1] == 'I';
    if (!le && !(f[0] == 'M' && f[1] == 'M')) return false;
    const auto u16 = [&](std::size_t o) -> std::uint32_t {
        if (o + 2 > f.size()) return 0;
        return le ? f[o] | f[o + 1] << 8 : f[o] << 8 | f[o + 1];
    };
    const auto u32 = [&](std::size_t o) -> std::uint32_t {
        if (o + 4 > f.size()) return 0;
        return le ? u16(o) | u16(o + 2) << 16 : u16(o) << 16 | u16(o + 2);
    };
    if (u16(2) != 42) return false;
    const std::uint32_t ifd = u32(4);
    const std::uint32_t count = u16(ifd);
    std::uint32_t bits = 1, compression = 1, samples = 1, photometric = 9;
    std::vector<std::uint32_t> offsets, sizes;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        const std::uint32_t tag = u16(e), type = u16(e + 2), n = u32(e + 4);
        const auto value = [&](std::uint32_t k) -> std::uint32_t {
            const std::size_t unit = type == 3 ? 2 : 4;
            const std::size_t at = n * unit <= 4 ? e + 8 + k * unit : u32(e + 8) + k * unit;
            return type == 3 ? u16(at) : u32(at);
        };
        std::vector<std::uint32_t> all;
        for (std::uint32_t k = 0; k < n && k < 100000; ++k) all.push_back(value(k));
        if (all.empty()) continue;
        if (tag == 256) out.width = static_cast<int>(all[0]);
        if (tag == 257) out.height = static_cast<int>(all[0]);
        if (tag == 258) bits = all[0];
        if (tag == 259) compression = all[0];
        if (tag == 262) photometric = all[0];
        if (tag == 273) offsets = all;
        if (tag == 277) samples = all[0];
        if (tag == 279) sizes = all;
    }
    if (bits != 8 || compression != 1 || samples != 1 || photometric > 1) return false;
    if (offsets.empty() || offsets.size() != sizes.size()) return false;
    for (std::size_t s = 0; s < offsets.size(); ++s) {
        if (offsets[s] + static_cast<std::size_t>(sizes[s]) > f.size()) return false;
        out.pixels.insert(out.pixels.end(), f.begin() + offsets[s],
                          f.begin() + offsets[s] + sizes[s]);
    }
    if (photometric == 0)
        for (auto& p : out.pixels) p = static_cast<std::uint8_t>(255 - p);
    return out.pixels.size() == static_cast<std::size_t>(out.width) * out.height;
}

}  // namespace facegen_test
