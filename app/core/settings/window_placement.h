#pragma once
// The main window's placement, stored as registry value "Placement" of the application key:
// a DWORD-typed value holding the 44-byte record (little-endian 32-bit words: length 44,
// flags, showCmd, minimum position x, y, maximum position x, y, normal rectangle left, top,
// right, bottom).
//
// No state; as thread-safe as the RegistryFile given. The caller owns every object.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/registry.h"

namespace settings {

inline constexpr std::size_t kPlacementSize = 44;
inline constexpr const char* kPlacementValue = "Placement";

struct WindowPlacement {
    std::uint32_t flags = 0, showCmd = 1;
    std::int32_t minX = -1, minY = -1, maxX = -1, maxY = -1, left = 0, top = 0, right = 0,
                 bottom = 0;
    bool operator==(const WindowPlacement&) const = default;
};

std::array<std::uint8_t, kPlacementSize> encodePlacement(const WindowPlacement& p);
// Nothing unless the data is 44 bytes long and its length word says 44.
std::optional<WindowPlacement> decodePlacement(std::span<const std::uint8_t> data);

// Nothing when the value is absent, not DWORD-typed or not a valid record.
std::optional<WindowPlacement> readPlacement(const platform::RegistryFile& reg);
// false when the file cannot be written.
bool writePlacement(platform::RegistryFile& reg, const WindowPlacement& p);

}  // namespace settings
