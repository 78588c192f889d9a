#pragma once
// The option parser of the ovfc commands. A command declares its options, each bound to a
// variable of its type; parse() takes "--name VALUE" and "--name=VALUE" out of the argument
// list wherever they stand and leaves the other arguments, in order, as the positional ones.
// An argument "--" ends the options: everything after it is positional. A single "-" and
// arguments with one leading dash (such as "-5") are positional unless declared as an alias.
//
// Refused, with a message naming the option: an unknown option, a missing value (none
// left, or the next argument starts with "--"), a number with junk or nothing in it ("4x",
// "1.5.2", ""), a number out of range, a value given to a flag, an option given twice
// (other than a repeated one) and a required option that is not given.
//
// A parser is used on one thread; the bound variables must outlive it.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "command.h"

namespace ovfc_tool {

class OptionParser {
  public:
    // command names the messages: "ovfc eval: --threads ...".
    explicit OptionParser(const char* command);

    OptionParser(const OptionParser&) = delete;
    OptionParser& operator=(const OptionParser&) = delete;

    // Any text, also empty.
    OptionParser& text(const char* name, std::string& value);
    // A whole decimal number in [low, high]; with prefixed true also 0x.. (hexadecimal) and
    // 0.. (octal) as C writes them.
    OptionParser& integer(const char* name, int& value, int low, int high, bool prefixed = false);
    OptionParser& integer(const char* name, long& value, long low, long high,
                          bool prefixed = false);
    // An unsigned whole decimal number in [low, high], no sign.
    OptionParser& unsignedInteger(const char* name, std::uint64_t& value, std::uint64_t low,
                                  std::uint64_t high);
    // A finite decimal number in [low, high].
    OptionParser& real(const char* name, double& value, double low, double high);
    // values.size() whole decimal numbers in [low, high], one argument each, after the name
    // ("--eyes XL YL XR YR"); the "=" form is refused.
    OptionParser& integers(const char* name, std::span<int> values, int low, int high);
    // "--name" alone: value becomes true.
    OptionParser& flag(const char* name, bool& value);
    // Text that may be given any number of times; each value is appended.
    OptionParser& repeated(const char* name, std::vector<std::string>& values);

    // Modify the option declared last.
    OptionParser& required();                 // missing: refused
    OptionParser& alias(const char* spelling);  // another spelling, such as "-o"

    // True when the command line gave the option (after a successful parse).
    bool given(const char* name) const;

    // Parses args into the bound variables and positional. False on a bad command line, with
    // problem holding the reason ("--threads takes a whole number in 1..64, not '4x'");
    // the bound variables may then be partly set.
    bool parse(const Args& args, Args& positional, std::string& problem);

    // As parse, printing "ovfc COMMAND: PROBLEM" and the command's usage line to stderr on a
    // bad command line. Returns 0, or 2 (the usage-error exit status).
    int parseOrUsage(const Args& args, Args& positional);

  private:
    enum class Kind { kValue, kFlag, kRepeated, kList };
    struct Option {
        std::string name;   // without "--"
        std::string alias;  // complete spelling, or empty
        Kind kind = Kind::kValue;
        std::size_t count = 1;  // values after the name
        bool isRequired = false;
        bool seen = false;
        // Takes the values; false with the reason's tail ("takes ..., not 'x'").
        std::function<bool(std::span<const std::string>, std::string&)> take;
    };

    OptionParser& add(Option option);
    // The option that reads a whole number of type T in low..high into value.
    template <typename T>
    static Option integerOption(const char* name, T& value, T low, T high, bool prefixed);
    Option* find(const std::string& name);
    const Option* find(const std::string& name) const;
    Option* findAlias(const std::string& spelling);

    const char* command_;
    std::vector<Option> options_;
};

// The texts a number option accepts. False when text is not wholly such a number or lies
// outside [low, high].
bool parseInteger(const std::string& text, long long low, long long high, bool prefixed,
                  long long& value);
bool parseUnsigned(const std::string& text, std::uint64_t low, std::uint64_t high,
                   std::uint64_t& value);
bool parseReal(const std::string& text, double low, double high, double& value);

}  // namespace ovfc_tool
