#include "json_checker.h"

#include <cstdlib>

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonValue> Document() {
        JsonValue value;
        SkipSpace();
        if (!Value(value, 0)) return std::nullopt;
        SkipSpace();
        if (position_ != text_.size()) return std::nullopt;
        return value;
    }

private:
    bool Value(JsonValue& value, int depth) {
        if (depth > 64 || position_ >= text_.size()) return false;
        switch (text_[position_]) {
            case '{': return Object(value, depth);
            case '[': return Array(value, depth);
            case '"': value.kind = JsonValue::Kind::String; return String(value.text);
            case 't': value.kind = JsonValue::Kind::Bool; value.boolean = true; return Literal("true");
            case 'f': value.kind = JsonValue::Kind::Bool; return Literal("false");
            case 'n': value.kind = JsonValue::Kind::Null; return Literal("null");
            default: value.kind = JsonValue::Kind::Number; return Number(value.number);
        }
    }

    bool Object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++position_;
        SkipSpace();
        if (Take('}')) return true;
        do {
            SkipSpace();
            std::string key;
            if (!String(key)) return false;
            SkipSpace();
            if (!Take(':')) return false;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            if (!value.members.emplace(key, std::move(member)).second) return false;  // duplicate key
            SkipSpace();
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++position_;
        SkipSpace();
        if (Take(']')) return true;
        do {
            SkipSpace();
            JsonValue element;
            if (!Value(element, depth + 1)) return false;
            value.elements.push_back(std::move(element));
            SkipSpace();
        } while (Take(','));
        return Take(']');
    }

    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (position_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[position_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (position_ >= text_.size()) return false;
            const char escape = text_[position_++];
            switch (escape) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned unit = 0;
                    if (!Hex4(unit)) return false;
                    if (unit >= 0xD800 && unit <= 0xDFFF) return false;  // the writer never needs pairs
                    AppendUtf8(out, unit);
                    break;
                }
                default: return false;
            }
        }
        return false;
    }

    bool Hex4(unsigned& unit) {
        if (position_ + 4 > text_.size()) return false;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[position_++];
            unit <<= 4;
            if (c >= '0' && c <= '9') unit |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') unit |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') unit |= static_cast<unsigned>(c - 'A' + 10);
            else return false;
        }
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned unit) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    bool Number(double& number) {
        const std::size_t start = position_;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        number = std::strtod(std::string(text_.substr(start, position_ - start)).c_str(), nullptr);
        return true;
    }

    bool Digits() {
        const std::size_t start = position_;
        while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9') ++position_;
        return position_ > start;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(position_, word.size()) != word) return false;
        position_ += word.size();
        return true;
    }

    bool Take(char c) {
        if (position_ < text_.size() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }

    void SkipSpace() {
        while (position_ < text_.size() &&
               (text_[position_] == ' ' || text_[position_] == '\t' || text_[position_] == '\n' ||
                text_[position_] == '\r')) {
            ++position_;
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) { return Reader(text).Document(); }
