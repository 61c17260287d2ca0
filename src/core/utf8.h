#pragma once
// Code-point level UTF-8 reading and writing shared by the text, code-page and collation code.

#include <cstddef>
#include <string>
#include <string_view>

namespace hk::core::utf8 {

inline constexpr char32_t kInvalid = 0xFFFFFFFF;

struct Step {
    char32_t cp;     // kInvalid for a malformed sequence
    std::size_t len; // bytes consumed (1 for a malformed byte, so scanning always advances)
};

// Decodes the character starting at s[i] (i < s.size()). Overlong forms, surrogates and values
// above U+10FFFF count as malformed.
Step decode(std::string_view s, std::size_t i);
void append(std::string& out, char32_t cp);
// Byte offset of character number n (0-based); s.size() when the text has fewer characters.
std::size_t offsetOf(std::string_view s, std::size_t n);

} // namespace hk::core::utf8
