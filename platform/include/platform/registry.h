#pragma once
// The registry store: typed values under '\'-separated key paths, kept in a REGEDIT4 text
// file.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SoftWare\Orvane Technology\OVFC Test Application]
//   "Video"="Live"
//   "Search timeout"=hex(4):3c
//   "Count"=dword:0000000a
//   "Blob"=hex:01,02,03
//
// Strings are written as "text" with \\ and \" escapes (as hex(1): when they hold a line
// break or a zero byte), 4-byte DWORDs as dword:XXXXXXXX, DWORD-typed values of another
// length as hex(4):.., binary values as hex:.. and values of any other type as hex(N):..;
// long hex data continues on the next line after a '\'. Key paths and value names compare
// without regard to ASCII case and keep the spelling they were first stored with.
//
// Reading is lenient: lines that do not parse (garbage, cut-off values, lines longer than
// kMaxLineLength) are skipped, so a missing, empty or damaged file reads as whatever could
// be parsed. Reads take no lock: a file is only ever replaced whole.
//
// Every change is a read-modify-write of the whole file under an exclusive flock() on the
// sibling file PATH + ".lock", written to PATH + ".tmp", fsync'd and renamed over PATH, so
// concurrent writers (threads or processes) never lose each other's values and a writer
// killed at any point leaves either the old or the new file. Keys and values of the file
// that a write does not concern are kept; lines that did not parse are dropped. The
// folder of the file is created when missing.
//
// Thread-safety: a RegistryFile holds only its path; every call may run on any thread and
// concurrently with other objects or processes using the same file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Value types; a value read from a file may carry another number (hex(N): of a foreign
// type), which is kept as it is.
enum class RegType : std::uint32_t { String = 1, Binary = 3, Dword = 4 };

// data holds the value's bytes: for String the characters without a terminating zero, for
// Dword the little-endian bytes (usually 4, but any length is kept).
struct RegValue {
    RegType type = RegType::String;
    std::vector<std::uint8_t> data;
    bool operator==(const RegValue&) const = default;
};

// A string value of the text.
RegValue stringValue(std::string_view text);
// The text of a String value (trailing zero bytes dropped); nothing for other types.
std::optional<std::string> stringOf(const RegValue& value);

// Physical lines longer than this are skipped when reading.
inline constexpr std::size_t kMaxLineLength = std::size_t{1} << 16;
// Largest value data a write accepts (longer data: write returns false).
inline constexpr std::size_t kMaxValueSize = std::size_t{1} << 20;

// Path of the user's registry file: $OVFC_REGISTRY when set and not empty, else
// $XDG_CONFIG_HOME/ovfc/registry.reg (XDG_CONFIG_HOME when absolute, else ~/.config, the
// home folder from $HOME or else the password database).
std::string userRegistryPath();

class RegistryFile {
  public:
    explicit RegistryFile(std::string path);
    const std::string& path() const;

    // Key paths use '\' between parts, compared without case, e.g.
    // "HKEY_LOCAL_MACHINE\\SoftWare\\Orvane Technology\\OVFC Test Application".
    // The value, or nothing when the file, the key or the value is absent.
    std::optional<RegValue> read(std::string_view key, std::string_view name) const;
    // True when the key or a key below it is stored.
    bool keyExists(std::string_view key) const;

    // Creates the key when missing. false when the file cannot be written (the old file is
    // then left as it was).
    bool createKey(std::string_view key);
    // Sets one value, creating the key when missing. false when the file cannot be written
    // or the data is longer than kMaxValueSize; the old file is then left as it was.
    bool write(std::string_view key, std::string_view name, const RegValue& value);
    // Sets several values of one key (created when missing) in a single replacement of the
    // file: after a crash either all or none of them are stored. false as for write().
    bool writeValues(std::string_view key,
                     const std::vector<std::pair<std::string, RegValue>>& values);

  private:
    std::string path_;
};

}  // namespace platform
