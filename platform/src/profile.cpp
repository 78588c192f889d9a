#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "platform/atomic_file.h"

namespace platform {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lo = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lo(a[i]) != lo(b[i])) return false;
    }
    return true;
}

// "[name]" -> name; nothing for other lines.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// "key=value" -> key (trimmed); nothing for lines without '=' or comments.
std::optional<std::string_view> keyOf(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(t.substr(0, eq));
}

// Reads at most kMaxProfileBytes; whole is false when the file goes on beyond them (a
// device such as /dev/zero, or a file that is no profile): the lines read are then only a
// part of it.
std::vector<std::string> readLines(const std::string& file, bool& exists, bool& whole) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    exists = static_cast<bool>(in);
    whole = true;
    std::size_t total = 0;
    std::string line;
    char c;
    while (in.get(c)) {
        if (++total > kMaxProfileBytes) {
            whole = false;
            break;
        }
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    if (whole && !line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> readLines(const std::string& file, bool& exists) {
    bool whole = true;
    return readLines(file, exists, whole);
}

// Holds an exclusive lock on the profile's lock file while it lives.
class ProfileLock {
  public:
    explicit ProfileLock(const std::string& file) {
        do fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) return;
        int rc;
        do rc = ::flock(fd_, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        locked_ = rc == 0;
    }
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;
    ~ProfileLock() {
        if (fd_ >= 0) ::close(fd_);  // releases the lock
    }
    bool locked() const { return locked_; }

  private:
    int fd_ = -1;
    bool locked_ = false;
};

}  // namespace

int32_t parseProfileInt(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

std::optional<std::string> profileString(const std::string& file, std::string_view section,
                                         std::string_view key) {
    bool exists = false;
    const auto lines = readLines(file, exists);
    bool inSection = false;
    for (const auto& line : lines) {
        if (auto s = sectionOf(line)) {
            inSection = equalNoCase(*s, section);
            continue;
        }
        if (!inSection) continue;
        if (auto k = keyOf(line); k && equalNoCase(*k, key)) {
            const std::string_view t = trim(line);
            return std::string(trim(t.substr(t.find('=') + 1)));
        }
    }
    return std::nullopt;
}

int32_t profileInt(const std::string& file, std::string_view section, std::string_view key,
                   int32_t defaultValue) {
    const auto text = profileString(file, section, key);
    if (!text || text->empty()) return defaultValue;
    return parseProfileInt(*text);
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::optional<std::string_view> value) {
    const ProfileLock lock(file);
    if (!lock.locked()) return false;
    bool exists = false, whole = true;
    std::vector<std::string> lines = readLines(file, exists, whole);
    if (!whole) return false;  // never write back a part of a file
    const bool crlf = !lines.empty() && !lines.front().empty() && lines.front().back() == '\r';
    const std::string eol = crlf ? "\r" : "";

    // Locate the section and, inside it, the key and the last non-blank line.
    long sectionLine = -1, keyLine = -1, lastLine = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto s = sectionOf(lines[i])) {
            if (sectionLine >= 0) break;
            if (equalNoCase(*s, section)) sectionLine = lastLine = static_cast<long>(i);
            continue;
        }
        if (sectionLine < 0) continue;
        if (!trim(lines[i]).empty()) lastLine = static_cast<long>(i);
        if (auto k = keyOf(lines[i]); k && keyLine < 0 && equalNoCase(*k, key))
            keyLine = static_cast<long>(i);
    }

    std::string entry(key);
    entry.append("=").append(value.value_or("")).append(eol);
    if (keyLine >= 0) {
        if (value)
            lines[static_cast<size_t>(keyLine)] = entry;
        else
            lines.erase(lines.begin() + keyLine);
    } else if (value) {
        if (sectionLine < 0) {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back(eol);
            std::string header(1, '[');
            header.append(section).append("]").append(eol);
            lines.push_back(std::move(header));
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + lastLine + 1, entry);
        }
    } else {
        return true;  // nothing to remove
    }

    std::string text;
    for (const auto& line : lines) text.append(line).append("\n");
    removeStaleTemporaries(file);  // the lock is held: no writer is at work
    return replaceFileContents(file, text).ok();
}

}  // namespace platform
