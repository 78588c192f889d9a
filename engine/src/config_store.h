#pragma once
// The in-memory configuration: up to 16 sections of up to 160 key/value pairs,
// keys and section names compared without regard to case.

#include <cstdint>
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

// Case-insensitive ordering of 7-bit text: <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);

class ConfigStore {
  public:
    static constexpr int kMaxSections = 16;
    static constexpr int kMaxEntries = 160;
    static constexpr std::size_t kMaxValue = 32;
    static constexpr int kLineChars = 79;
    static constexpr int kMaxIncludeDepth = 16;

    // Empties the store and reads the file (with its includes); every section is sorted
    // afterwards. 0, 3 or 25.
    int load(const std::string& path);
    // Writes the store as text; 0 or 25. The file is replaced only when fully written.
    int save(const std::string& path) const;
    // Sets or adds a key, creating the section when missing; 0 or 3.
    int set(std::string_view section, std::string_view key, std::string_view value);
    void empty();

    // The value of the key in the first section of that name, or nullptr.
    const std::string* find(std::string_view section, std::string_view key) const;
    // Both raise XERRORINI when the key is missing.
    std::int32_t readInt(std::string_view section, std::string_view key) const;
    double readReal(std::string_view section, std::string_view key) const;

    // Changes whenever the content may have changed (load, set, empty).
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

    std::vector<ConfigSection> sections_;
    std::uint64_t generation_ = 0;
};

}  // namespace ovfc
