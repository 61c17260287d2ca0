#pragma once
// The small JSON the definition files are written in: objects (member order kept), arrays,
// strings, numbers, true/false/null. Reading is bounded for files that come from elsewhere:
// nesting depth, and the caller limits the size; malformed input is an error naming the position.

#include "core/result.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hk::statements {

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;                           // Array
    std::vector<std::pair<std::string, Json>> members; // Object

    static Json string(std::string s) {
        Json j;
        j.type = Type::String;
        j.text = std::move(s);
        return j;
    }
    static Json num(double n) {
        Json j;
        j.type = Type::Number;
        j.number = n;
        return j;
    }
    static Json array() {
        Json j;
        j.type = Type::Array;
        return j;
    }
    static Json object() {
        Json j;
        j.type = Type::Object;
        return j;
    }
    Json& add(std::string key, Json value) {
        members.emplace_back(std::move(key), std::move(value));
        return members.back().second;
    }
    const Json* find(std::string_view key) const {
        for (const auto& [k, v] : members)
            if (k == key) return &v;
        return nullptr;
    }
};

inline constexpr int kMaxJsonDepth = 32;

core::Result<Json> parseJson(std::string_view text);
// Two-space indentation, one member per line; texts as UTF-8 with the required escapes.
std::string writeJson(const Json& value);

} // namespace hk::statements
