#include "registry_format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace platform::regfmt {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::size_t kWrapColumn = 77;  // hex data lines stay within 80 columns

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string folded(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && (isSpace(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1..8 hex digits, nothing else.
bool parseHex32(std::string_view s, std::uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    out = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        out = out << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

enum class HexList { Done, More, Bad };

// "xx,xx,...", optionally ending in '\' when the list continues on the next line.
HexList parseHexList(std::string_view s, std::vector<std::uint8_t>& out) {
    s = trim(s);
    bool more = false;
    if (!s.empty() && s.back() == '\\') {
        more = true;
        s = trim(s.substr(0, s.size() - 1));
    }
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        const std::string_view token = trim(s.substr(0, comma));
        if (token.empty() || token.size() > 2) return HexList::Bad;
        std::uint32_t byte = 0;
        if (!parseHex32(token, byte)) return HexList::Bad;
        if (out.size() >= kMaxValueSize) return HexList::Bad;
        out.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) break;
        s = trim(s.substr(comma + 1));
    }
    return more ? HexList::More : HexList::Done;
}

// A quoted text starting at s[0] == '"'; s is advanced past the closing quote.
bool parseQuoted(std::string_view& s, std::string& out) {
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out.push_back(s[++i]);
            continue;
        }
        out.push_back(c);
    }
    return false;  // no closing quote
}

void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

std::size_t quotedLength(std::string_view text) {
    std::size_t n = 2 + text.size();
    for (char c : text) n += (c == '\\' || c == '"') ? 1 : 0;
    return n;
}

bool hasLineBreakOrZero(const std::vector<std::uint8_t>& data) {
    for (std::uint8_t b : data)
        if (b == '\n' || b == '\r' || b == 0) return true;
    return false;
}

void appendHex(std::string& out, std::size_t lineStart, const std::vector<std::uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out.push_back(',');
            if (out.size() - lineStart + 3 > kWrapColumn) {
                out.append("\\\n  ");
                lineStart = out.size() - 2;
            }
        }
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 15]);
    }
}

void appendEntry(std::string& out, const Entry& e) {
    const std::size_t lineStart = out.size();
    if (e.name.empty())
        out.push_back('@');
    else
        appendQuoted(out, e.name);
    out.push_back('=');
    const RegValue& v = e.value;
    const std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size());
    if (v.type == RegType::String && !hasLineBreakOrZero(v.data) &&
        out.size() - lineStart + quotedLength(text) <= kMaxLineLength) {
        appendQuoted(out, text);
    } else if (v.type == RegType::Dword && v.data.size() == 4) {
        char word[16];
        std::snprintf(word, sizeof word, "dword:%08x",
                      unsigned(v.data[0]) | unsigned(v.data[1]) << 8 | unsigned(v.data[2]) << 16 |
                          unsigned(v.data[3]) << 24);
        out.append(word);
    } else {
        char prefix[24];
        if (v.type == RegType::Binary)
            std::snprintf(prefix, sizeof prefix, "hex:");
        else
            std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(v.type));
        out.append(prefix);
        appendHex(out, lineStart, v.data);
    }
    out.push_back('\n');
}

}  // namespace

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// ---- Section / Document ----

const Entry* Section::find(std::string_view name) const {
    const auto it = index_.find(folded(name));
    return it == index_.end() ? nullptr : &entries[it->second];
}

bool Section::set(std::string_view name, const RegValue& value) {
    const auto [it, added] = index_.try_emplace(folded(name), entries.size());
    if (added) {
        entries.push_back({std::string(name), value});
        return true;
    }
    Entry& e = entries[it->second];
    if (e.value == value) return false;
    e.value = value;
    return true;
}

const Section* Document::find(std::string_view key) const {
    const auto it = index_.find(folded(key));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

bool Document::hasKeyOrBelow(std::string_view key) const {
    if (find(key)) return true;
    for (const Section& s : sections_)
        if (s.key.size() > key.size() && s.key[key.size()] == '\\' &&
            equalNoCase(std::string_view(s.key).substr(0, key.size()), key))
            return true;
    return false;
}

Section& Document::ensure(std::string_view key, bool& created) {
    const auto [it, added] = index_.try_emplace(folded(key), sections_.size());
    created = added;
    if (added) {
        sections_.emplace_back();
        sections_.back().key = std::string(key);
    }
    return sections_[it->second];
}

// ---- LineReader ----

LineReader::LineReader(int fd) : fd_(fd), buffer_(std::size_t{1} << 16) {}

bool LineReader::fill() {
    while (true) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            pos_ = 0;
            end_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed_ = true;
        eof_ = true;
        return false;
    }
}

bool LineReader::next(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    bool any = false;
    while (true) {
        if (pos_ == end_ && (eof_ || !fill())) return any;
        any = true;
        const char* start = buffer_.data() + pos_;
        const std::size_t avail = end_ - pos_;
        const void* nl = std::memchr(start, '\n', avail);
        const std::size_t take =
            nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : avail;
        if (!tooLong) {
            if (line.size() + take > kMaxLineLength) {
                tooLong = true;
                line.clear();
                line.shrink_to_fit();
            } else {
                line.append(start, take);
            }
        }
        pos_ += take;
        if (nl) {
            ++pos_;
            return true;
        }
    }
}

// ---- Parser ----

void Parser::line(std::string_view text, bool tooLong) {
    if (tooLong) {
        finish();
        ++dropped_;
    } else if (pending_) {
        continuation(text);
    } else {
        statement(text);
    }
}

void Parser::finish() {
    if (pending_) pending_ = false, ++dropped_;
}

void Parser::continuation(std::string_view text) {
    std::vector<std::uint8_t>& data = pendingValue_.data;
    const std::size_t before = data.size();
    switch (parseHexList(text, data)) {
        case HexList::More:
            return;
        case HexList::Done:
            pending_ = false;
            if (section_) section_->set(pendingName_, pendingValue_);
            return;
        case HexList::Bad:
            data.resize(before);
            pending_ = false;
            ++dropped_;  // the value was cut off; the line may still be a statement
            statement(text);
            return;
    }
}

void Parser::statement(std::string_view text) {
    std::string_view t = trim(text);
    if (t.empty()) return;
    if (t.front() == ';' || t == kHeader) {
        if (t.front() == ';') ++dropped_;
        return;
    }
    if (t.front() == '[') {
        section_ = nullptr;
        if (t.back() != ']') return void(++dropped_);
        const std::string_view key = trim(t.substr(1, t.size() - 2));
        if (!storableKey(key)) return void(++dropped_);
        bool created = false;
        section_ = &doc_.ensure(key, created);
        return;
    }
    if (!section_) return void(++dropped_);

    std::string name;
    if (t.front() == '@') {
        t.remove_prefix(1);
    } else if (t.front() != '"' || !parseQuoted(t, name)) {
        return void(++dropped_);
    }
    t = trim(t);
    if (t.empty() || t.front() != '=') return void(++dropped_);
    t = trim(t.substr(1));

    RegValue value;
    if (!t.empty() && t.front() == '"') {
        std::string text;
        if (!parseQuoted(t, text) || !trim(t).empty()) return void(++dropped_);
        value.type = RegType::String;
        value.data.assign(text.begin(), text.end());
        section_->set(name, value);
        return;
    }
    if (t.substr(0, 6) == "dword:") {
        std::uint32_t word = 0;
        if (!parseHex32(trim(t.substr(6)), word)) return void(++dropped_);
        value.type = RegType::Dword;
        value.data = {std::uint8_t(word), std::uint8_t(word >> 8), std::uint8_t(word >> 16),
                      std::uint8_t(word >> 24)};
        section_->set(name, value);
        return;
    }
    if (t.substr(0, 4) != "hex:" && t.substr(0, 4) != "hex(") return void(++dropped_);
    value.type = RegType::Binary;
    if (t[3] == '(') {
        const std::size_t close = t.find("):");
        std::uint32_t type = 0;
        if (close == std::string_view::npos || !parseHex32(t.substr(4, close - 4), type))
            return void(++dropped_);
        value.type = static_cast<RegType>(type);
        t.remove_prefix(close + 2);
    } else {
        t.remove_prefix(4);
    }
    switch (parseHexList(t, value.data)) {
        case HexList::Bad:
            return void(++dropped_);
        case HexList::Done:
            section_->set(name, value);
            return;
        case HexList::More:
            pending_ = true;
            pendingName_ = std::move(name);
            pendingValue_ = std::move(value);
            return;
    }
}

// ---- writing ----

bool storableKey(std::string_view key) {
    if (key.empty() || key.size() + 2 > kMaxLineLength) return false;
    if (isSpace(key.front()) || isSpace(key.back()) || key.front() == '-') return false;
    for (char c : key)
        if (c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

bool storableName(std::string_view name) {
    if (quotedLength(name) + 64 > kMaxLineLength) return false;
    for (char c : name)
        if (c == '\n' || c == '\r') return false;
    return true;
}

std::string serialise(const Document& doc) {
    std::string out(kHeader);
    out.append("\n\n");
    for (const Section& s : doc.sections()) {
        out.append("[").append(s.key).append("]\n");
        for (const Entry& e : s.entries) appendEntry(out, e);
        out.push_back('\n');
    }
    return out;
}

}  // namespace platform::regfmt
