#include "statements/json.h"

#include "core/utf8.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace hk::statements {

namespace {

class Parser {
  public:
    explicit Parser(std::string_view s) : s_(s) {}

    core::Result<Json> document() {
        Json v;
        if (!value(v, 0)) return error();
        skip();
        if (i_ != s_.size()) {
            why_ = "unexpected text after the end";
            return error();
        }
        return v;
    }

  private:
    core::Error error() const {
        return core::Error::badInput("JSON: " + why_ + " at byte " + std::to_string(i_ + 1));
    }
    void skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
    }
    bool literal(const char* word) {
        const std::string_view w(word);
        if (s_.substr(i_, w.size()) != w) {
            why_ = "unknown word";
            return false;
        }
        i_ += w.size();
        return true;
    }
    bool hex4(unsigned& out) {
        if (i_ + 4 > s_.size()) return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s_[i_++];
            out <<= 4;
            if (c >= '0' && c <= '9') out |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') out |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') out |= static_cast<unsigned>(c - 'A' + 10);
            else return false;
        }
        return true;
    }
    bool string(std::string& out) {
        ++i_; // opening quote
        for (;;) {
            if (i_ >= s_.size()) {
                why_ = "unterminated string";
                return false;
            }
            const char c = s_[i_];
            if (c == '"') {
                ++i_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                why_ = "control character in a string";
                return false;
            }
            if (c != '\\') {
                out.push_back(c);
                ++i_;
                continue;
            }
            if (++i_ >= s_.size()) {
                why_ = "unterminated string";
                return false;
            }
            const char e = s_[i_++];
            switch (e) {
            case '"': out.push_back('"'); break;
            case '\\': out.push_back('\\'); break;
            case '/': out.push_back('/'); break;
            case 'b': out.push_back('\b'); break;
            case 'f': out.push_back('\f'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'u': {
                unsigned cp;
                if (!hex4(cp)) {
                    why_ = "bad \\u escape";
                    return false;
                }
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    unsigned lo;
                    if (i_ + 2 > s_.size() || s_[i_] != '\\' || s_[i_ + 1] != 'u') {
                        why_ = "lone surrogate";
                        return false;
                    }
                    i_ += 2;
                    if (!hex4(lo) || lo < 0xDC00 || lo > 0xDFFF) {
                        why_ = "lone surrogate";
                        return false;
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    why_ = "lone surrogate";
                    return false;
                }
                core::utf8::append(out, cp);
                break;
            }
            default: why_ = "bad escape"; return false;
            }
        }
    }
    bool number(Json& v) {
        const std::size_t b = i_;
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.' || s_[i_] == 'e' ||
                                  s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-'))
            ++i_;
        const std::string t(s_.substr(b, i_ - b));
        char* end = nullptr;
        v.type = Json::Type::Number;
        v.number = std::strtod(t.c_str(), &end);
        if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(v.number)) {
            why_ = "bad number";
            return false;
        }
        return true;
    }
    bool value(Json& v, int depth) {
        if (depth > kMaxJsonDepth) {
            why_ = "nested too deeply";
            return false;
        }
        skip();
        if (i_ >= s_.size()) {
            why_ = "value expected";
            return false;
        }
        const char c = s_[i_];
        if (c == '"') {
            v.type = Json::Type::String;
            return string(v.text);
        }
        if (c == '{') {
            v.type = Json::Type::Object;
            ++i_;
            skip();
            if (i_ < s_.size() && s_[i_] == '}') {
                ++i_;
                return true;
            }
            for (;;) {
                skip();
                if (i_ >= s_.size() || s_[i_] != '"') {
                    why_ = "member name expected";
                    return false;
                }
                std::string key;
                if (!string(key)) return false;
                skip();
                if (i_ >= s_.size() || s_[i_] != ':') {
                    why_ = "':' expected";
                    return false;
                }
                ++i_;
                Json member;
                if (!value(member, depth + 1)) return false;
                v.members.emplace_back(std::move(key), std::move(member));
                skip();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < s_.size() && s_[i_] == '}') {
                    ++i_;
                    return true;
                }
                why_ = "',' or '}' expected";
                return false;
            }
        }
        if (c == '[') {
            v.type = Json::Type::Array;
            ++i_;
            skip();
            if (i_ < s_.size() && s_[i_] == ']') {
                ++i_;
                return true;
            }
            for (;;) {
                Json item;
                if (!value(item, depth + 1)) return false;
                v.items.push_back(std::move(item));
                skip();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < s_.size() && s_[i_] == ']') {
                    ++i_;
                    return true;
                }
                why_ = "',' or ']' expected";
                return false;
            }
        }
        if (c == 't') {
            v.type = Json::Type::Bool;
            v.boolean = true;
            return literal("true");
        }
        if (c == 'f') {
            v.type = Json::Type::Bool;
            return literal("false");
        }
        if (c == 'n') {
            v.type = Json::Type::Null;
            return literal("null");
        }
        return number(v);
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::string why_;
};

void quote(std::string& out, const std::string& s) {
    out.push_back('"');
    for (const char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                out += buf;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void write(std::string& out, const Json& v, int indent) {
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    switch (v.type) {
    case Json::Type::Null: out += "null"; break;
    case Json::Type::Bool: out += v.boolean ? "true" : "false"; break;
    case Json::Type::Number: {
        char buf[32];
        if (v.number == std::floor(v.number) && std::fabs(v.number) < 1e15)
            std::snprintf(buf, sizeof buf, "%.0f", v.number);
        else
            std::snprintf(buf, sizeof buf, "%.17g", v.number);
        out += buf;
        break;
    }
    case Json::Type::String: quote(out, v.text); break;
    case Json::Type::Array:
        if (v.items.empty()) {
            out += "[]";
            break;
        }
        out += "[\n";
        for (std::size_t k = 0; k < v.items.size(); ++k) {
            out += pad;
            write(out, v.items[k], indent + 2);
            out += k + 1 < v.items.size() ? ",\n" : "\n";
        }
        out += std::string(static_cast<std::size_t>(indent), ' ') + "]";
        break;
    case Json::Type::Object:
        if (v.members.empty()) {
            out += "{}";
            break;
        }
        out += "{\n";
        for (std::size_t k = 0; k < v.members.size(); ++k) {
            out += pad;
            quote(out, v.members[k].first);
            out += ": ";
            write(out, v.members[k].second, indent + 2);
            out += k + 1 < v.members.size() ? ",\n" : "\n";
        }
        out += std::string(static_cast<std::size_t>(indent), ' ') + "}";
        break;
    }
}

} // namespace

core::Result<Json> parseJson(std::string_view text) {
    return Parser(text).document();
}

std::string writeJson(const Json& value) {
    std::string out;
    write(out, value, 0);
    out.push_back('\n');
    return out;
}

} // namespace hk::statements
