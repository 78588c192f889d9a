// A strict JSON reader (RFC 8259) for the weights manifests: no comments, no trailing
// commas, no leading zeros, UTF-8 text; depth and size bounded.
#ifndef OVEM_JSON_H
#define OVEM_JSON_H

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovem {

class JsonValue {
  public:
    enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };

    Type type() const { return type_; }
    bool isNumber() const { return type_ == Type::kNumber; }
    bool isString() const { return type_ == Type::kString; }
    bool isArray() const { return type_ == Type::kArray; }
    bool isObject() const { return type_ == Type::kObject; }

    double number() const { return number_; }
    const std::string& string() const { return string_; }
    const std::vector<JsonValue>& array() const { return array_; }
    const std::map<std::string, JsonValue, std::less<>>& object() const { return object_; }
    // The member of an object, or nullptr when absent or not an object.
    const JsonValue* find(std::string_view key) const;

  private:
    friend class JsonParser;
    Type type_ = Type::kNull;
    bool boolean_ = false;
    double number_ = 0;
    std::string string_;
    std::vector<JsonValue> array_;
    std::map<std::string, JsonValue, std::less<>> object_;
};

// Nesting deeper than this is refused.
inline constexpr int kMaxJsonDepth = 64;

// Parses the whole text; nullopt when it is not one strict JSON value (duplicate object
// keys and numbers outside the double range are refused too).
std::optional<JsonValue> parseJson(std::string_view text);

}  // namespace ovem

#endif  // OVEM_JSON_H
