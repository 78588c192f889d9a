#include "checksum_list.h"

namespace ovem {
namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(char c) {
    return (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::optional<ChecksumList> parseChecksumList(std::string_view text) {
    ChecksumList list;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*'))
            return std::nullopt;
        std::string sum;
        for (size_t i = 0; i < 64; ++i) {
            if (!isHex(line[i])) return std::nullopt;
            sum += lower(line[i]);
        }
        if (!list.emplace(std::string(line.substr(66)), std::move(sum)).second) return std::nullopt;
    }
    return list;
}

}  // namespace ovem
