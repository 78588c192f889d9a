#include "config_store.h"

#include <locale.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <new>

#include <stdlib.h>

#include "status.h"

namespace ovfc {

namespace {
int lower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

std::string cutValue(std::string_view value) {
    return std::string(value.substr(0, ConfigStore::kMaxValue));
}
}  // namespace

int compareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = lower(a[i]) - lower(b[i]);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}

ConfigSection* ConfigStore::findSection(std::string_view name) {
    for (auto& s : sections_)
        if (equalNoCase(s.name, name)) return &s;
    return nullptr;
}

const ConfigSection* ConfigStore::findSection(std::string_view name) const {
    for (const auto& s : sections_)
        if (equalNoCase(s.name, name)) return &s;
    return nullptr;
}

const std::string* ConfigStore::find(std::string_view section, std::string_view key) const {
    const ConfigSection* s = findSection(section);
    if (s == nullptr) return nullptr;
    if (!s->sorted) {
        for (const auto& e : s->entries)
            if (equalNoCase(e.key, key)) return &e.value;
        return nullptr;
    }
    std::size_t lo = 0, hi = s->entries.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const int c = compareNoCase(s->entries[mid].key, key);
        if (c == 0) return &s->entries[mid].value;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return nullptr;
}

std::int32_t ConfigStore::toInt(const std::string& text) {
    // Leading white space, optional sign, digits up to the first non-digit.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    return static_cast<std::int32_t>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

double ConfigStore::toReal(const std::string& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (cLocale == static_cast<locale_t>(0)) return std::strtod(text.c_str(), nullptr);
    return strtod_l(text.c_str(), nullptr, cLocale);
}

std::int32_t ConfigStore::readInt(std::string_view section, std::string_view key) const {
    const std::string* v = find(section, key);
    if (v == nullptr) throw XERRORINI();
    return toInt(*v);
}

double ConfigStore::readReal(std::string_view section, std::string_view key) const {
    const std::string* v = find(section, key);
    if (v == nullptr) throw XERRORINI();
    return toReal(*v);
}

int ConfigStore::setIn(ConfigSection& s, std::string_view key, std::string_view value) {
    auto& list = s.entries;
    if (s.sorted) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const int c = compareNoCase(list[i].key, key);
            if (c == 0) {
                list[i] = ConfigEntry{std::string(key), cutValue(value)};
                return kOk;
            }
            if (c > 0) {
                if (list.size() >= kMaxEntries) return kNoMemory;
                list.insert(list.begin() + static_cast<std::ptrdiff_t>(i),
                            ConfigEntry{std::string(key), cutValue(value)});
                return kOk;
            }
        }
    }
    if (list.size() >= kMaxEntries) return kNoMemory;
    list.push_back(ConfigEntry{std::string(key), cutValue(value)});
    return kOk;
}

std::string ConfigStore::resolvedPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) != nullptr ? std::string(buf) : std::string();
}

bool ConfigStore::hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

ValueFault ConfigStore::valueFault(std::string_view value) {
    if (hasLineBreak(value)) return ValueFault::kLineBreak;
    if (value.size() > kMaxValue) return ValueFault::kTooLong;
    return ValueFault::kNone;
}

void ConfigStore::noteProblem(const std::string& file, int line, std::string reason) {
    if (!problem_) problem_ = LoadProblem{file, line, std::move(reason)};
}

int ConfigStore::set(std::string_view section, std::string_view key, std::string_view value) {
    // A line break would be written verbatim and read back as further keys or sections.
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) return kConfigError;
    ++generation_;
    const bool known = std::any_of(changes_.begin(), changes_.end(), [&](const ChangedKey& c) {
        return equalNoCase(c.section, section) && equalNoCase(c.key, key);
    });
    if (!known) changes_.push_back(ChangedKey{std::string(section), std::string(key)});
    ConfigSection* s = findSection(section);
    if (s == nullptr) {
        if (sectionCount() >= kMaxSections) return kNoMemory;
        sections_.reserve(kMaxSections);
        sections_.push_back(ConfigSection{std::string(section), {}, true});
        s = &sections_.back();
    }
    return setIn(*s, key, value);
}

void ConfigStore::clear() {
    ++generation_;
    sections_.clear();
    sections_.shrink_to_fit();
    problem_.reset();
    changes_.clear();
    origin_.clear();
}

int ConfigStore::load(const std::string& path) {
    clear();
    try {
        sections_.reserve(kMaxSections);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    const int rc = readFile(path, 0);
    origin_ = resolvedPath(path);
    if (rc != kOk) noteProblem(path, 0, "the file or a file it includes cannot be read");
    for (auto& s : sections_) {
        std::stable_sort(s.entries.begin(), s.entries.end(),
                         [](const ConfigEntry& a, const ConfigEntry& b) {
                             return compareNoCase(a.key, b.key) < 0;
                         });
        s.sorted = true;
    }
    return rc;
}

}  // namespace ovfc
