#pragma once
// The registry file's contents in memory, its lenient parser and its writer (the text
// format is described in platform/registry.h). Not thread-safe; a Document is a value.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace platform::regfmt {

bool equalNoCase(std::string_view a, std::string_view b);

struct Entry {
    std::string name;
    RegValue value;
};

struct Section {
    std::string key;  // as first stored
    std::vector<Entry> entries;

    const Entry* find(std::string_view name) const;
    // Replaces the value of the entry of this name or appends one; true when that changed
    // anything.
    bool set(std::string_view name, const RegValue& value);

  private:
    std::unordered_map<std::string, std::size_t> index_;  // folded name -> entry
};

class Document {
  public:
    const Section* find(std::string_view key) const;
    // True when the key or a key below it is present.
    bool hasKeyOrBelow(std::string_view key) const;
    // The section of the key, appended when missing (created tells which).
    Section& ensure(std::string_view key, bool& created);
    const std::vector<Section>& sections() const { return sections_; }

  private:
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_;  // folded key -> section
};

// Delivers the lines of a file descriptor without their '\n', reading in blocks. A line
// longer than kMaxLineLength is delivered empty with tooLong set (memory stays bounded).
class LineReader {
  public:
    explicit LineReader(int fd);
    // false at the end of the input or on a read error (failed() tells).
    bool next(std::string& line, bool& tooLong);
    bool failed() const { return failed_; }

  private:
    bool fill();

    int fd_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    bool eof_ = false, failed_ = false;
};

// Feeds lines into a document; lines that do not parse are skipped and counted.
class Parser {
  public:
    explicit Parser(Document& doc) : doc_(doc) {}
    void line(std::string_view text, bool tooLong = false);
    // Ends the input (a value cut off by the end is dropped).
    void finish();
    std::size_t dropped() const { return dropped_; }

  private:
    void statement(std::string_view text);
    void continuation(std::string_view text);

    Document& doc_;
    // The section being read; only ensure() moves sections, and this is set from its result.
    Section* section_ = nullptr;
    bool pending_ = false;  // a hex value continues on the next line
    std::string pendingName_;
    RegValue pendingValue_;
    std::size_t dropped_ = 0;
};

// Whether a key path or value name can be stored (and read back) in the file.
bool storableKey(std::string_view key);
bool storableName(std::string_view name);

// The whole file text of the document.
std::string serialise(const Document& doc);

}  // namespace platform::regfmt
