#pragma once
// Profile files: text files of "[section]" headers and "key=value" lines. Sections and keys
// compare without regard to case; a write changes only the line it concerns and keeps every
// other line (comments, unknown sections, line endings) as it was.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A profile is read up to this many bytes; a longer file reads as far as that and is never
// written back.
inline constexpr std::size_t kMaxProfileBytes = 1 << 20;

// The value text of the key (spaces around it removed), or nothing when the file, the
// section or the key is absent.
std::optional<std::string> profileString(const std::string& file, std::string_view section,
                                         std::string_view key);

// The integer of the key: optional sign, then decimal digits, or "0x" and hexadecimal
// digits, up to the first other character (no digits: 0). The default when the key is
// absent or its value is empty.
int32_t profileInt(const std::string& file, std::string_view section, std::string_view key,
                   int32_t defaultValue);

// Sets key=value in the section, creating the file and the section when needed. A value
// of nullopt removes the key. The update holds a lock on "<file>.lock" and replaces the
// file atomically; false when it cannot be written or is longer than kMaxProfileBytes.
bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::optional<std::string_view> value);

// The integer rule of profileInt applied to a text.
int32_t parseProfileInt(std::string_view text);

}  // namespace platform
