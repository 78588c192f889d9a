#include "options.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ovfc_tool {

namespace {

// strto* skip leading blanks; a number option does not.
bool startsBlank(const std::string& text) {
    return !text.empty() && std::isspace(static_cast<unsigned char>(text[0]));
}

std::string quoted(const std::string& text) {
    std::string s = "'";
    s += text;
    s += "'";
    return s;
}

template <typename T>
std::string rangeText(T low, T high) {
    std::string s = std::to_string(low);
    s += "..";
    s += std::to_string(high);
    return s;
}

std::string realText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

bool parseInteger(const std::string& text, long long low, long long high, bool prefixed,
                  long long& value) {
    if (text.empty() || startsBlank(text)) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, prefixed ? 0 : 10);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || v < low || v > high)
        return false;
    value = v;
    return true;
}

bool parseUnsigned(const std::string& text, std::uint64_t low, std::uint64_t high,
                   std::uint64_t& value) {
    const char* end = text.data() + text.size();
    std::uint64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, v, 10);
    if (text.empty() || ec != std::errc() || ptr != end || v < low || v > high) return false;
    value = v;
    return true;
}

bool parseReal(const std::string& text, double low, double high, double& value) {
    if (text.empty() || startsBlank(text)) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(v) || v < low ||
        v > high)
        return false;
    value = v;
    return true;
}

OptionParser::OptionParser(const char* command) : command_(command) {}

OptionParser& OptionParser::add(Option option) {
    options_.push_back(std::move(option));
    return *this;
}

OptionParser& OptionParser::text(const char* name, std::string& value) {
    Option o;
    o.name = name;
    o.take = [&value](std::span<const std::string> v, std::string&) {
        value = v[0];
        return true;
    };
    return add(std::move(o));
}

template <typename T>
OptionParser::Option OptionParser::integerOption(const char* name, T& value, T low, T high,
                                                 bool prefixed) {
    Option o;
    o.name = name;
    o.take = [&value, low, high, prefixed](std::span<const std::string> v, std::string& why) {
        long long n = 0;
        if (!parseInteger(v[0], low, high, prefixed, n)) {
            why = "takes a whole number in " + rangeText(low, high) + ", not " + quoted(v[0]);
            return false;
        }
        value = static_cast<T>(n);
        return true;
    };
    return o;
}

OptionParser& OptionParser::integer(const char* name, int& value, int low, int high,
                                    bool prefixed) {
    return add(integerOption(name, value, low, high, prefixed));
}

OptionParser& OptionParser::integer(const char* name, long& value, long low, long high,
                                    bool prefixed) {
    return add(integerOption(name, value, low, high, prefixed));
}

OptionParser& OptionParser::unsignedInteger(const char* name, std::uint64_t& value,
                                            std::uint64_t low, std::uint64_t high) {
    Option o;
    o.name = name;
    o.take = [&value, low, high](std::span<const std::string> v, std::string& why) {
        if (!parseUnsigned(v[0], low, high, value)) {
            why = high == std::numeric_limits<std::uint64_t>::max() && low == 0
                      ? "takes an unsigned decimal number"
                      : "takes an unsigned decimal number in " + rangeText(low, high);
            why += ", not " + quoted(v[0]);
            return false;
        }
        return true;
    };
    return add(std::move(o));
}

OptionParser& OptionParser::real(const char* name, double& value, double low, double high) {
    Option o;
    o.name = name;
    o.take = [&value, low, high](std::span<const std::string> v, std::string& why) {
        if (!parseReal(v[0], low, high, value)) {
            why = "takes a number";
            if (std::isfinite(low) && low > -std::numeric_limits<double>::max())
                why += " from " + realText(low);
            if (std::isfinite(high) && high < std::numeric_limits<double>::max())
                why += " up to " + realText(high);
            why += ", not " + quoted(v[0]);
            return false;
        }
        return true;
    };
    return add(std::move(o));
}

OptionParser& OptionParser::integers(const char* name, std::span<int> values, int low,
                                     int high) {
    Option o;
    o.name = name;
    o.kind = Kind::kList;
    o.count = values.size();
    o.take = [values, low, high](std::span<const std::string> v, std::string& why) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            long long n = 0;
            if (!parseInteger(v[i], low, high, false, n)) {
                why = "takes " + std::to_string(values.size()) + " whole numbers in " +
                      rangeText(low, high) + ", not " + quoted(v[i]);
                return false;
            }
            values[i] = static_cast<int>(n);
        }
        return true;
    };
    return add(std::move(o));
}

OptionParser& OptionParser::flag(const char* name, bool& value) {
    Option o;
    o.name = name;
    o.kind = Kind::kFlag;
    o.count = 0;
    o.take = [&value](std::span<const std::string>, std::string&) {
        value = true;
        return true;
    };
    return add(std::move(o));
}

OptionParser& OptionParser::repeated(const char* name, std::vector<std::string>& values) {
    Option o;
    o.name = name;
    o.kind = Kind::kRepeated;
    o.take = [&values](std::span<const std::string> v, std::string&) {
        values.push_back(v[0]);
        return true;
    };
    return add(std::move(o));
}

OptionParser& OptionParser::required() {
    if (!options_.empty()) options_.back().isRequired = true;
    return *this;
}

OptionParser& OptionParser::alias(const char* spelling) {
    if (!options_.empty()) options_.back().alias = spelling;
    return *this;
}

OptionParser::Option* OptionParser::find(const std::string& name) {
    for (Option& o : options_)
        if (o.name == name) return &o;
    return nullptr;
}

const OptionParser::Option* OptionParser::find(const std::string& name) const {
    for (const Option& o : options_)
        if (o.name == name) return &o;
    return nullptr;
}

OptionParser::Option* OptionParser::findAlias(const std::string& spelling) {
    for (Option& o : options_)
        if (!o.alias.empty() && o.alias == spelling) return &o;
    return nullptr;
}

bool OptionParser::given(const char* name) const {
    const Option* o = find(name);
    return o != nullptr && o->seen;
}

bool OptionParser::parse(const Args& args, Args& positional, std::string& problem) {
    positional.clear();
    for (Option& o : options_) o.seen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              args.end());
            break;
        }
        Option* o = findAlias(a);
        std::string spelling = a;  // as the messages name the option
        std::string inlineValue;
        bool hasInline = false;
        if (o == nullptr) {
            if (a.rfind("--", 0) != 0) {
                positional.push_back(a);
                continue;
            }
            const std::size_t eq = a.find('=');
            spelling = a.substr(0, eq);
            if (eq != std::string::npos) {
                hasInline = true;
                inlineValue = a.substr(eq + 1);
            }
            o = find(spelling.substr(2));
            if (o == nullptr) {
                problem = "unknown option " + spelling;
                return false;
            }
        }
        if (o->seen && o->kind != Kind::kRepeated) {
            problem = spelling + " is given more than once";
            return false;
        }
        o->seen = true;
        std::vector<std::string> values;
        if (o->kind == Kind::kFlag) {
            if (hasInline) {
                problem = spelling + " takes no value";
                return false;
            }
        } else if (hasInline) {
            if (o->kind == Kind::kList) {
                problem = spelling + " takes its " + std::to_string(o->count) +
                          " values as separate arguments";
                return false;
            }
            values.push_back(inlineValue);
        } else {
            for (std::size_t k = 0; k < o->count; ++k) {
                const std::size_t at = i + 1 + k;
                if (at >= args.size() || args[at].rfind("--", 0) == 0) {
                    problem = spelling + (o->count == 1 ? " needs a value"
                                                        : " needs " + std::to_string(o->count) +
                                                              " values");
                    return false;
                }
                values.push_back(args[at]);
            }
            i += o->count;
        }
        std::string why;
        if (!o->take(values, why)) {
            problem = spelling + " " + why;
            return false;
        }
    }
    for (const Option& o : options_)
        if (o.isRequired && !o.seen) {
            problem = "--" + o.name + " is required";
            return false;
        }
    return true;
}

int OptionParser::parseOrUsage(const Args& args, Args& positional) {
    std::string problem;
    if (parse(args, positional, problem)) return 0;
    std::fprintf(stderr, "ovfc %s: %s\n", command_, problem.c_str());
    return usageError(command_);
}

}  // namespace ovfc_tool
