#include "settings/app_settings.h"

namespace settings {

std::optional<std::uint16_t> parseThreshold(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t digits = i;
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value <= kMaxThreshold) value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    if (i == digits) return std::nullopt;
    if (negative) return std::uint16_t{0};
    return static_cast<std::uint16_t>(value > kMaxThreshold ? kMaxThreshold : value);
}

void loadThresholds(AppSettings& s, const ParamReader& read) {
    // Each read gets a buffer of its own, so a reader that fails cannot leave text behind.
    auto threshold = [&](const char* key) -> std::optional<std::uint16_t> {
        std::string text;
        if (!read || !read("library", key, text)) return std::nullopt;
        return parseThreshold(text);
    };
    if (const auto own = threshold("OwnScoreTreshold")) s.ownThreshold = *own;
    s.searchThreshold = threshold("SearchScoreTreshold").value_or(s.ownThreshold);
}

}  // namespace settings
