// Recursive-descent reader; every failure path returns false and leaves no partial value.
#include "json.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace ovem {

const JsonValue* JsonValue::find(std::string_view key) const {
    if (type_ != Type::kObject) return nullptr;
    auto it = object_.find(key);
    return it == object_.end() ? nullptr : &it->second;
}

class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    bool parseDocument(JsonValue& out) {
        skipSpace();
        if (!parseValue(out, 0)) return false;
        skipSpace();
        return pos_ == text_.size();
    }

  private:
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }

    void skipSpace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++pos_;
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    bool parseValue(JsonValue& out, int depth) {
        if (depth > kMaxJsonDepth || atEnd()) return false;
        switch (peek()) {
            case '{':
                return parseObject(out, depth);
            case '[':
                return parseArray(out, depth);
            case '"':
                out.type_ = JsonValue::Type::kString;
                return parseString(out.string_);
            case 't':
                out.type_ = JsonValue::Type::kBool;
                out.boolean_ = true;
                return literal("true");
            case 'f':
                out.type_ = JsonValue::Type::kBool;
                return literal("false");
            case 'n':
                out.type_ = JsonValue::Type::kNull;
                return literal("null");
            default:
                out.type_ = JsonValue::Type::kNumber;
                return parseNumber(out.number_);
        }
    }

    bool parseObject(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::kObject;
        ++pos_;
        skipSpace();
        if (!atEnd() && peek() == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            if (atEnd() || peek() != '"') return false;
            std::string key;
            if (!parseString(key)) return false;
            skipSpace();
            if (atEnd() || peek() != ':') return false;
            ++pos_;
            skipSpace();
            JsonValue value;
            if (!parseValue(value, depth + 1)) return false;
            if (!out.object_.emplace(std::move(key), std::move(value)).second) return false;
            skipSpace();
            if (atEnd()) return false;
            if (peek() == '}') {
                ++pos_;
                return true;
            }
            if (peek() != ',') return false;
            ++pos_;
        }
    }

    bool parseArray(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::kArray;
        ++pos_;
        skipSpace();
        if (!atEnd() && peek() == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            JsonValue value;
            if (!parseValue(value, depth + 1)) return false;
            out.array_.push_back(std::move(value));
            skipSpace();
            if (atEnd()) return false;
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            if (peek() != ',') return false;
            ++pos_;
        }
    }

    bool hex4(uint32_t& value) {
        if (text_.size() - pos_ < 4) return false;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        value = v;
        return true;
    }

    static void appendUtf8(uint32_t cp, std::string& out) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One UTF-8 sequence of raw text, checked for overlong forms and surrogates.
    bool copyUtf8(std::string& out) {
        auto lead = static_cast<unsigned char>(text_[pos_]);
        int extra;
        uint32_t cp;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos_;
            return true;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (text_.size() - pos_ <= static_cast<size_t>(extra)) return false;
        for (int i = 1; i <= extra; ++i) {
            auto c = static_cast<unsigned char>(text_[pos_ + static_cast<size_t>(i)]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.append(text_.substr(pos_, static_cast<size_t>(extra) + 1));
        pos_ += static_cast<size_t>(extra) + 1;
        return true;
    }

    bool parseString(std::string& out) {
        ++pos_;  // opening quote
        for (;;) {
            if (atEnd()) return false;
            char c = peek();
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                if (!copyUtf8(out)) return false;
                continue;
            }
            ++pos_;
            if (atEnd()) return false;
            char e = text_[pos_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    uint32_t cp;
                    if (!hex4(cp)) return false;
                    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        uint32_t low;
                        if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF)
                            return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(cp, out);
                    break;
                }
                default:
                    return false;
            }
        }
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool parseNumber(double& out) {
        size_t start = pos_;
        if (!atEnd() && peek() == '-') ++pos_;
        if (atEnd() || !isDigit(peek())) return false;
        if (peek() == '0') {
            ++pos_;
        } else {
            while (!atEnd() && isDigit(peek())) ++pos_;
        }
        if (!atEnd() && peek() == '.') {
            ++pos_;
            if (atEnd() || !isDigit(peek())) return false;
            while (!atEnd() && isDigit(peek())) ++pos_;
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            ++pos_;
            if (!atEnd() && (peek() == '+' || peek() == '-')) ++pos_;
            if (atEnd() || !isDigit(peek())) return false;
            while (!atEnd() && isDigit(peek())) ++pos_;
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        auto [end, ec] = std::from_chars(first, last, out);
        return ec == std::errc() && end == last && std::isfinite(out);
    }

    std::string_view text_;
    size_t pos_ = 0;
};

std::optional<JsonValue> parseJson(std::string_view text) {
    JsonValue value;
    JsonParser parser(text);
    if (!parser.parseDocument(value)) return std::nullopt;
    return value;
}

}  // namespace ovem
