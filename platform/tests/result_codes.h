#pragma once
// Checks of a library's code-to-text function against the result codes its public header
// names. The codes are read from the header itself, so a code added there without a text
// of its own fails the check.

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace testing_codes {

struct NamedCode {
    std::string name;
    long value;
};

// Every "NAME = number" line of the header whose name begins with one of the prefixes.
inline std::vector<NamedCode> namedCodes(const std::string& header,
                                         std::initializer_list<const char*> prefixes) {
    std::vector<NamedCode> codes;
    std::ifstream in(header);
    const std::regex line(R"(^\s*([A-Z][A-Z0-9_]*)\s*=\s*(-?[0-9]+)\b)");
    std::string text;
    while (std::getline(in, text)) {
        std::smatch m;
        if (!std::regex_search(text, m, line)) continue;
        for (const char* prefix : prefixes) {
            if (m[1].str().rfind(prefix, 0) == 0) {
                codes.push_back({m[1].str(), std::stol(m[2].str())});
                break;
            }
        }
    }
    return codes;
}

inline std::set<long> valuesOf(const std::vector<NamedCode>& codes) {
    std::set<long> values;
    for (const NamedCode& c : codes) values.insert(c.value);
    return values;
}

// Each named code has a non-empty text other than the generic one, codes of different
// values have different texts, and every code in `unknown` gives the generic text.
template <class TextOf>
void expectTextPerCode(const std::vector<NamedCode>& codes, TextOf textOf,
                       std::initializer_list<long> unknown) {
    ASSERT_FALSE(codes.empty()) << "the header names no result code";
    const char* generic = textOf(static_cast<int>(*unknown.begin()));
    ASSERT_NE(generic, nullptr);
    EXPECT_STRNE(generic, "");
    std::map<std::string, long> valueOfText;
    for (const NamedCode& c : codes) {
        const char* text = textOf(static_cast<int>(c.value));
        ASSERT_NE(text, nullptr) << c.name;
        EXPECT_STRNE(text, "") << c.name;
        EXPECT_STRNE(text, generic) << c.name << " has no text of its own";
        const auto [it, added] = valueOfText.emplace(text, c.value);
        EXPECT_TRUE(added || it->second == c.value)
            << c.name << " shares its text \"" << text << "\" with code " << it->second;
    }
    for (const long u : unknown) EXPECT_STREQ(textOf(static_cast<int>(u)), generic) << u;
}

}  // namespace testing_codes
