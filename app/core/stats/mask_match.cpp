#include "stats/mask_match.h"

#include <cstddef>

namespace stats {

namespace {

using Index = std::ptrdiff_t;

// The character at k, or the terminator past either end.
char at(std::string_view s, Index k) {
    return k >= 0 && k < static_cast<Index>(s.size()) ? s[static_cast<std::size_t>(k)] : '\0';
}

bool inside(std::string_view s, Index k) {
    return k >= 0 && k < static_cast<Index>(s.size());
}

}  // namespace

bool MaskMatch(std::string_view mask, std::string_view name, std::string_view other) {
    Index m = 0, n = 0, o = 0;
    const auto maskLen = static_cast<Index>(mask.size());
    const auto nameLen = static_cast<Index>(name.size());
    const auto otherLen = static_cast<Index>(other.size());
    for (;;) {
        const char c = at(mask, m);
        switch (c) {
            case '\0':
                return at(name, n) == '\0';
            case '?':
                if (at(name, n) == '\0') return false;
                ++n;
                ++m;
                break;
            case '^':
                if (!inside(other, o) || at(name, n) != at(other, o)) return false;
                ++n;
                ++m;
                ++o;
                break;
            case '*': {
                while (at(mask, m) == '*') ++m;
                if (at(mask, m) == '\0') return true;
                while (at(mask, m) == '?') {
                    if (at(name, n) == '\0') return false;
                    ++n;
                    ++m;
                }
                // Line the rest of the mask up with the end of the name (and of other).
                const Index rest = maskLen - m;
                const Index jump = nameLen - rest;
                if (jump < n) return false;  // fewer name characters left than mask
                n = jump;
                o = otherLen - rest;
                break;
            }
            case '#': {
                const char next = at(mask, m + 1);
                while (at(name, n) != '\0' && inside(other, o) && at(name, n) != next &&
                       at(name, n) == at(other, o)) {
                    ++n;
                    ++o;
                }
                const bool differs = at(name, n) != '\0' && inside(other, o) && at(name, n) != next;
                if (differs && next != '^' && next != '*' && next != '?') return false;
                ++m;
                break;
            }
            default:
                if (at(name, n) != c) return false;
                ++n;
                ++m;
                ++o;
                break;
        }
    }
}

std::string ownMaskPattern(std::string_view ownMask) {
    std::string pattern(ownMask);
    for (char& c : pattern) {
        if (c == '#')
            c = '*';
        else if (c == '^')
            c = '?';
    }
    return pattern;
}

}  // namespace stats
