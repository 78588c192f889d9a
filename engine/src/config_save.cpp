// Writing the configuration back to its file: the existing lines are kept and only the
// values that differ are changed, under a lock, through a fresh temporary file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "config_store.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/unique_fd.h"
#include "status.h"

namespace ovfc {

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// One line of the file being updated, with its terminator, and what the reader sees in it.
struct DocLine {
    std::string text;
    int section = -1;            // index into Document::sections; -1 before the first header
    bool entry = false;          // a key = value line
    std::string key;             // for an entry
    std::size_t valueBegin = 0;  // the value's place in text, for an entry
    std::size_t valueEnd = 0;
};

struct DocSection {
    std::string name;
    std::size_t lastLine = 0;  // its last line that is not blank (the header at least)
    std::vector<std::string> added;
};

struct Document {
    std::vector<DocLine> lines;
    std::vector<DocSection> sections;
    std::vector<DocSection> newSections;
};

std::size_t skipSpace(const std::string& t, std::size_t i, std::size_t end) {
    while (i < end && isSpace(t[i])) ++i;
    return i;
}

std::size_t skipWord(const std::string& t, std::size_t i, std::size_t end) {
    while (i < end && !isSpace(t[i])) ++i;
    return i;
}

bool isBlank(const std::string& t) {
    return skipSpace(t, 0, t.size()) == t.size();
}

Document parse(const std::string& text) {
    Document doc;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        DocLine line;
        line.text = text.substr(start, end - start);
        start = end;
        line.section = static_cast<int>(doc.sections.size()) - 1;
        const std::string& t = line.text;
        const std::size_t first = skipSpace(t, 0, t.size());
        if (first < t.size() && t[first] == '[') {
            const std::size_t close = t.find(']', first);
            if (close != std::string::npos) {
                const std::size_t b = skipSpace(t, first + 1, close);
                doc.sections.push_back(
                    DocSection{t.substr(b, skipWord(t, b, close) - b), doc.lines.size(), {}});
                line.section = static_cast<int>(doc.sections.size()) - 1;
            }
        } else if (first < t.size() && t[first] != ';' && t[first] != '#' && line.section >= 0) {
            const std::size_t eq = t.find('=', first);
            if (eq != std::string::npos) {
                const std::size_t kb = skipSpace(t, first, eq);
                line.key = t.substr(kb, skipWord(t, kb, eq) - kb);
                line.valueBegin = skipSpace(t, eq + 1, t.size());
                line.valueEnd = skipWord(t, line.valueBegin, t.size());
                line.entry = !line.key.empty() && line.valueEnd > line.valueBegin;
            }
        }
        if (line.section >= 0 && !isBlank(t))
            doc.sections[static_cast<std::size_t>(line.section)].lastLine = doc.lines.size();
        doc.lines.push_back(std::move(line));
    }
    return doc;
}

// The index of the n-th (0-based) section of that name, or -1.
int nthSection(const std::vector<DocSection>& list, const std::string& name, int n) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (equalNoCase(list[i].name, name) && n-- == 0) return static_cast<int>(i);
    return -1;
}

// The n-th section of that name among those the file lacks, made when missing.
DocSection& newSection(Document& doc, const std::string& section, int n) {
    int inFile = 0;
    for (const auto& s : doc.sections) inFile += equalNoCase(s.name, section);
    const int k = nthSection(doc.newSections, section, n - inFile);
    if (k >= 0) return doc.newSections[static_cast<std::size_t>(k)];
    doc.newSections.push_back(DocSection{section, 0, {}});
    return doc.newSections.back();
}

// Makes the key of the n-th section of that name hold the value.
void apply(Document& doc, const std::string& section, int n, const std::string& key,
           const std::string& value) {
    const int s = nthSection(doc.sections, section, n);
    if (s >= 0) {
        for (auto& line : doc.lines) {
            if (line.section != s || !line.entry || !equalNoCase(line.key, key)) continue;
            if (line.text.compare(line.valueBegin, line.valueEnd - line.valueBegin, value) != 0) {
                line.text.replace(line.valueBegin, line.valueEnd - line.valueBegin, value);
                line.valueEnd = line.valueBegin + value.size();
            }
            return;
        }
        doc.sections[static_cast<std::size_t>(s)].added.push_back(key + " = " + value + "\n");
        return;
    }
    newSection(doc, section, n).added.push_back(key + " = " + value + "\n");
}

std::string render(const Document& doc) {
    std::string out;
    auto endLine = [&out]() {
        if (!out.empty() && out.back() != '\n') out += '\n';
    };
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        out += doc.lines[i].text;
        for (const auto& s : doc.sections) {
            if (s.lastLine != i || s.added.empty()) continue;
            endLine();
            for (const auto& a : s.added) out += a;
        }
    }
    for (const auto& s : doc.newSections) {
        endLine();
        out += "\n[" + s.name + "]\n";
        for (const auto& a : s.added) out += a;
    }
    return out;
}

std::string header() {
    const std::string rule(78, '-');
    return ";" + rule + "\n; Facial Recognition Library INI file created by OVFC " +
           platform::ctimeNow() + ";" + rule + "\n";
}

// The whole file into text; false on a read error.
bool readAll(int fd, std::string& text) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace

int ConfigStore::save(const std::string& path) const {
    // A store that did not read its file whole would write back only what it kept.
    if (problem_) return kConfigError;

    // Writers of the same file take turns on a lock file beside it (the file itself is
    // replaced by the rename, so it cannot carry the lock).
    const std::string lockName = path + ".lock";
    platform::UniqueFd lock(::open(lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (lock.get() < 0) return kFileError;
    while (::flock(lock.get(), LOCK_EX) != 0)
        if (errno != EINTR) return kFileError;

    platform::removeStaleTemporaries(path);

    // The file as it is now, under the lock.
    std::string text;
    struct stat st {};
    bool exists = false;
    platform::UniqueFd current(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (current.get() >= 0) {
        if (::fstat(current.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kFileError;
        if (!readAll(current.get(), text)) return kFileError;
        exists = true;
        ConfigStore check;
        check.load(path);
        if (check.problem_) return kConfigError;
    } else if (errno != ENOENT) {
        return kFileError;
    }
    current.close();

    Document doc = parse(exists ? text : header());
    const bool sameFile = exists && !origin_.empty() && resolvedPath(path) == origin_;
    if (sameFile) {
        // Only what was set here; the rest may have been changed by another writer.
        for (const auto& c : changes_) {
            const std::string* value = find(c.section, c.key);
            if (value != nullptr) apply(doc, c.section, 0, c.key, *value);
        }
    } else {
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            int n = 0;
            for (std::size_t j = 0; j < i; ++j)
                n += equalNoCase(sections_[j].name, sections_[i].name);
            if (sections_[i].entries.empty() && nthSection(doc.sections, sections_[i].name, n) < 0)
                newSection(doc, sections_[i].name, n);
            for (const auto& e : sections_[i].entries)
                apply(doc, sections_[i].name, n, e.key, e.value);
        }
    }
    const std::string out = render(doc);
    if (exists && out == text) return kOk;  // nothing to change: the file is left alone

    return platform::replaceFileContents(path, out).ok() ? kOk : kFileError;
}

}  // namespace ovfc
