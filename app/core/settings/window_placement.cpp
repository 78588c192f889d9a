#include "settings/window_placement.h"

#include "settings/app_settings.h"

namespace settings {

namespace {

constexpr std::size_t kWords = kPlacementSize / 4;

}  // namespace

std::array<std::uint8_t, kPlacementSize> encodePlacement(const WindowPlacement& p) {
    const std::uint32_t words[kWords] = {kPlacementSize,
                                         p.flags,
                                         p.showCmd,
                                         static_cast<std::uint32_t>(p.minX),
                                         static_cast<std::uint32_t>(p.minY),
                                         static_cast<std::uint32_t>(p.maxX),
                                         static_cast<std::uint32_t>(p.maxY),
                                         static_cast<std::uint32_t>(p.left),
                                         static_cast<std::uint32_t>(p.top),
                                         static_cast<std::uint32_t>(p.right),
                                         static_cast<std::uint32_t>(p.bottom)};
    std::array<std::uint8_t, kPlacementSize> out{};
    for (std::size_t w = 0; w < kWords; ++w)
        for (std::size_t b = 0; b < 4; ++b)
            out[4 * w + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
    return out;
}

std::optional<WindowPlacement> decodePlacement(std::span<const std::uint8_t> data) {
    if (data.size() != kPlacementSize) return std::nullopt;
    std::uint32_t words[kWords];
    for (std::size_t w = 0; w < kWords; ++w)
        words[w] = std::uint32_t(data[4 * w]) | std::uint32_t(data[4 * w + 1]) << 8 |
                   std::uint32_t(data[4 * w + 2]) << 16 | std::uint32_t(data[4 * w + 3]) << 24;
    if (words[0] != kPlacementSize) return std::nullopt;
    auto signedWord = [&](std::size_t w) { return static_cast<std::int32_t>(words[w]); };
    WindowPlacement p;
    p.flags = words[1];
    p.showCmd = words[2];
    p.minX = signedWord(3);
    p.minY = signedWord(4);
    p.maxX = signedWord(5);
    p.maxY = signedWord(6);
    p.left = signedWord(7);
    p.top = signedWord(8);
    p.right = signedWord(9);
    p.bottom = signedWord(10);
    return p;
}

std::optional<WindowPlacement> readPlacement(const platform::RegistryFile& reg) {
    const auto value = reg.read(kAppKey, kPlacementValue);
    if (!value || value->type != platform::RegType::Dword) return std::nullopt;
    return decodePlacement(value->data);
}

bool writePlacement(platform::RegistryFile& reg, const WindowPlacement& p) {
    const auto bytes = encodePlacement(p);
    return reg.write(
        kAppKey, kPlacementValue,
        {platform::RegType::Dword, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
}

}  // namespace settings
