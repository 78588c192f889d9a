#pragma once
// The in-memory configuration: up to 16 sections of up to 160 key/value pairs,
// keys and section names compared without regard to case.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovfc {

struct ConfigEntry {
    std::string key;
    std::string value;
};

struct ConfigSection {
    std::string name;
    std::vector<ConfigEntry> entries;
    bool sorted = false;
};

// Where and why a load stopped short of the end of a file (or dropped part of it).
struct LoadProblem {
    std::string file;
    int line = 0;  // 1-based
    std::string reason;
};

// Why a value cannot be stored and written back unchanged.
enum class ValueFault { kNone, kTooLong, kLineBreak };

// Case-insensitive ordering of 7-bit text: <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);

// Not thread-safe: one thread at a time per store. save() is safe against other stores and
// processes writing the same file.
class ConfigStore {
  public:
    static constexpr int kMaxSections = 16;
    static constexpr int kMaxEntries = 160;
    static constexpr std::size_t kMaxValue = 32;
    static constexpr int kLineChars = 79;
    static constexpr int kMaxIncludeDepth = 16;

    // Empties the store and reads the file (with its includes); every section is sorted
    // afterwards. 0, 3 or 25. A file that stops the reading early (a header without ']',
    // binary data, a 17th section) still gives 0, but loadProblem() then names the line and
    // save() refuses to write.
    int load(const std::string& path);
    // Writes the store to the file, holding an exclusive flock on "<path>.lock" meanwhile.
    // An existing file keeps its lines (comments, blank lines, order, spelling, trailing
    // comments); only values that differ are changed, new keys go to the end of their
    // section, new sections to the end of the file. Saved over the file it was loaded from,
    // only the keys set since the load are applied to the file as it is now, so concurrent
    // writers keep each other's changes. A missing file is written whole, with a header.
    // The text goes to a fresh temporary file (no link is followed), is synced and renamed
    // over the target. 0; 25 when the file cannot be read, locked or written; 28 when the
    // store or the existing file did not load whole (nothing is written).
    int save(const std::string& path) const;
    // Sets or adds a key, creating the section when missing; 0, 3, or 28 when the section,
    // key or value holds a line break. A value longer than kMaxValue is cut.
    int set(std::string_view section, std::string_view key, std::string_view value);
    void clear();

    // Set when the last load did not read its files whole.
    const std::optional<LoadProblem>& loadProblem() const { return problem_; }
    // kTooLong beyond kMaxValue characters, kLineBreak for '\n' or '\r'.
    static ValueFault valueFault(std::string_view value);
    static bool hasLineBreak(std::string_view text);

    // The value of the key in the first section of that name, or nullptr.
    const std::string* find(std::string_view section, std::string_view key) const;
    // Both raise XERRORINI when the key is missing.
    std::int32_t readInt(std::string_view section, std::string_view key) const;
    double readReal(std::string_view section, std::string_view key) const;

    // Changes whenever the content may have changed (load, set, clear).
    std::uint64_t generation() const { return generation_; }
    int sectionCount() const { return static_cast<int>(sections_.size()); }
    const std::vector<ConfigSection>& sections() const { return sections_; }

    // Conversions used by the reads.
    static std::int32_t toInt(const std::string& text);
    static double toReal(const std::string& text);

  private:
    friend class ConfigFileReader;
    ConfigSection* findSection(std::string_view name);
    const ConfigSection* findSection(std::string_view name) const;
    static int setIn(ConfigSection& s, std::string_view key, std::string_view value);
    int readFile(const std::string& path, int depth);
    // The path with links and dots resolved; empty when the file does not exist.
    static std::string resolvedPath(const std::string& path);
    void noteProblem(const std::string& file, int line, std::string reason);

    struct ChangedKey {
        std::string section;
        std::string key;
    };

    std::vector<ConfigSection> sections_;
    std::uint64_t generation_ = 0;
    std::optional<LoadProblem> problem_;
    std::vector<ChangedKey> changes_;  // keys set since the load, in order
    std::string origin_;               // the resolved path of the file last loaded
};

}  // namespace ovfc
