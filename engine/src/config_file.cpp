// Reading the configuration file.
#include <cstdio>
#include <memory>
#include <string>

#include "config_store.h"
#include "platform/paths.h"
#include "status.h"

namespace ovfc {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Control bytes other than white space: the file is not text.
bool isBinary(std::string_view text) {
    for (const char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        if ((u < 0x20 && !isSpace(u)) || u == 0x7F) return true;
    }
    return false;
}

// The whole file; false when it cannot be read.
bool slurp(const std::string& path, std::string& text) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) text.append(buf, n);
    return std::ferror(file.get()) == 0;
}

// A read position in the text of one file.
class Cursor {
  public:
    explicit Cursor(const std::string& text) : text_(text) {}
    int get() { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : EOF; }
    void unget() { --pos_; }
    // Skips white space, then reads one word; false at the end of the text.
    bool word(std::string& out) {
        out.clear();
        while (pos_ < text_.size() && isSpace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        if (pos_ >= text_.size()) return false;
        while (pos_ < text_.size() && !isSpace(static_cast<unsigned char>(text_[pos_])))
            out += text_[pos_++];
        return true;
    }
    // The rest of the line, at most kLineChars characters (the newline included when it fits).
    std::string_view line() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && pos_ - start < ConfigStore::kLineChars)
            if (text_[pos_++] == '\n') break;
        return std::string_view(text_).substr(start, pos_ - start);
    }
    std::size_t pos() const { return pos_; }
    // The 1-based number of the line that holds the character at the offset.
    int lineAt(std::size_t at) const {
        int n = 1;
        for (std::size_t i = 0; i < at && i < text_.size(); ++i) n += text_[i] == '\n';
        return n;
    }

  private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

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
    // Only regular files: a directory or a device is not a configuration.
    if (depth > kMaxIncludeDepth || !platform::isReadableFile(path)) return kFileError;
    std::string text;
    if (!slurp(path, text)) return kFileError;
    Cursor in(text);
    bool comment = false;
    std::string word1, word2;
    int c;
    while ((c = in.get()) != EOF) {
        if (c == '\n') {
            comment = false;
            continue;
        }
        if (c == ';') comment = true;
        if (comment || isSpace(c)) continue;
        if (c == '#') {
            const std::size_t at = in.pos() - 1;
            const bool both = in.word(word1) && in.word(word2);
            if (both && equalNoCase(word1, "include")) {
                std::string target = word2;
                if (!platform::hasSeparator(word2) && platform::hasSeparator(path))
                    target = platform::directoryPart(path) + word2;
                const int rc = readFile(target, depth + 1);
                if (rc != kOk) {
                    noteProblem(path, in.lineAt(at), "cannot read the included " + target);
                    return rc;
                }
            }
            continue;
        }
        if (c == '[') {
            const int lineNo = in.lineAt(in.pos() - 1);
            if (sectionCount() >= kMaxSections) {
                noteProblem(path, lineNo, "more than 16 sections");
                break;
            }
            const std::string_view line = in.line();
            const auto close = line.find(']');
            if (close == std::string::npos) {
                noteProblem(path, lineNo, "section header without ']' in its first 79 characters");
                break;
            }
            if (isBinary(line.substr(0, close))) {
                noteProblem(path, lineNo, "binary data");
                break;
            }
            sections_.push_back(ConfigSection{firstWord(line.substr(0, close)), {}, false});
            continue;
        }
        if (sections_.empty()) continue;
        in.unget();
        const int lineNo = in.lineAt(in.pos());
        const std::string_view line = in.line();
        if (isBinary(line)) {
            noteProblem(path, lineNo, "binary data");
            break;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = firstWord(line.substr(0, eq));
        const std::string value = firstWord(line.substr(eq + 1));
        if (key.empty() || value.empty()) continue;
        ConfigSection& s = sections_.back();
        if (static_cast<int>(s.entries.size()) < kMaxEntries)
            s.entries.push_back(ConfigEntry{key, value.substr(0, kMaxValue)});
        else
            noteProblem(path, lineNo, "more than 160 keys in section [" + s.name + "]");
    }
    return kOk;
}

}  // namespace ovfc
