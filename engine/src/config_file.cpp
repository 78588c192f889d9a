// Reading and writing the configuration file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "config_store.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "status.h"

namespace ovfc {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Skips white space, then reads one word; false at the end of the file.
bool readWord(std::FILE* f, std::string& word) {
    word.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF && isSpace(c)) {
    }
    if (c == EOF) return false;
    while (c != EOF && !isSpace(c)) {
        word += static_cast<char>(c);
        c = std::fgetc(f);
    }
    if (c != EOF) std::ungetc(c, f);
    return true;
}

// The rest of the line, at most kLineChars characters (the newline included when it fits).
std::string readLine(std::FILE* f) {
    char buf[ConfigStore::kLineChars + 1];
    if (std::fgets(buf, sizeof buf, f) == nullptr) return {};
    return std::string(buf);
}

// The first white-space-delimited word of the text; empty when there is none.
std::string firstWord(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && isSpace(static_cast<unsigned char>(text[b]))) ++b;
    std::size_t e = b;
    while (e < text.size() && !isSpace(static_cast<unsigned char>(text[e]))) ++e;
    return std::string(text.substr(b, e - b));
}

}  // namespace

int ConfigStore::readFile(const std::string& path, int depth) {
    if (depth > kMaxIncludeDepth) return kFileError;
    File file(std::fopen(path.c_str(), "r"));
    if (!file) return kFileError;
    std::FILE* f = file.get();
    bool comment = false;
    std::string word1, word2;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            comment = false;
            continue;
        }
        if (c == ';') comment = true;
        if (comment || isSpace(c)) continue;
        if (c == '#') {
            const bool both = readWord(f, word1) && readWord(f, word2);
            if (both && equalNoCase(word1, "include")) {
                std::string target = word2;
                if (!platform::hasSeparator(word2) && platform::hasSeparator(path))
                    target = platform::directoryPart(path) + word2;
                const int rc = readFile(target, depth + 1);
                if (rc != kOk) return rc;
            }
            continue;
        }
        if (c == '[') {
            if (sectionCount() >= kMaxSections) break;
            const std::string line = readLine(f);
            const auto close = line.find(']');
            if (close == std::string::npos) break;
            sections_.push_back(
                ConfigSection{firstWord(std::string_view(line).substr(0, close)), {}, false});
            continue;
        }
        if (sections_.empty()) continue;
        std::ungetc(c, f);
        const std::string line = readLine(f);
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = firstWord(std::string_view(line).substr(0, eq));
        const std::string value = firstWord(std::string_view(line).substr(eq + 1));
        if (key.empty() || value.empty()) continue;
        ConfigSection& s = sections_.back();
        if (static_cast<int>(s.entries.size()) < kMaxEntries)
            s.entries.push_back(ConfigEntry{key, value.substr(0, kMaxValue)});
    }
    return kOk;
}

int ConfigStore::save(const std::string& path) const {
    // Written beside the target and renamed over it, so a failed write keeps the old file.
    const std::string temp = path + ".tmp";
    File file(std::fopen(temp.c_str(), "w"));
    if (!file) return kFileError;
    std::FILE* f = file.get();
    const std::string rule = std::string(78, '-');
    std::fprintf(f, ";%s\n; Facial Recognition Library INI file created by OVFC %s;%s\n",
                 rule.c_str(), platform::ctimeNow().c_str(), rule.c_str());
    for (const auto& s : sections_) {
        std::fprintf(f, "\n[%s]\n", s.name.c_str());
        for (const auto& e : s.entries) std::fprintf(f, "%s = %s\n", e.key.c_str(), e.value.c_str());
    }
    const bool failed = std::ferror(f) != 0;
    if (std::fclose(file.release()) != 0 || failed) {
        std::remove(temp.c_str());
        return kFileError;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return kFileError;
    }
    return kOk;
}

}  // namespace ovfc
