#pragma once
// Turkish text. In memory every text is UTF-8; every length, position, cut and pad counts
// characters (code points), never bytes. Only characters of the Windows Turkish code page
// (cp1254) may enter a record; cp857 (DOS Turkish) appears only in text files read at start and
// in raw printer output.

#include "core/result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace hk::core::text {

// Number of characters (code points) in a UTF-8 text.
std::size_t length(std::string_view s);
// Characters [start, start+count) counted from 1 as in SUB(text, start, length); out of range
// parts are simply absent.
std::string sub(std::string_view s, std::size_t start, std::size_t count);
// First n characters.
std::string left(std::string_view s, std::size_t n);
// Text without trailing blanks (CLIP).
std::string clip(std::string_view s);
// Text without leading and trailing blanks.
std::string trim(std::string_view s);
// Cut or pad with blanks on the right to exactly n characters.
std::string pad(std::string_view s, std::size_t n);
// Cut or pad with blanks on the left to exactly n characters (right-aligned).
std::string padLeft(std::string_view s, std::size_t n);
// Position (1-based) of part in s counted in characters, 0 when absent (INSTRING).
std::size_t find(std::string_view part, std::string_view s, std::size_t from = 1);

// Turkish case pairs: upper("i") = "İ", upper("ı") = "I", lower("I") = "ı", lower("İ") = "i".
std::string upperTr(std::string_view s);
std::string lowerTr(std::string_view s);

// True when every character of the UTF-8 text has a cp1254 code (and the text is valid UTF-8).
bool isCp1254(std::string_view utf8);
// Refuses text with characters outside cp1254 with a clear error naming the first such character.
Result<std::string> toCp1254(std::string_view utf8);
std::string fromCp1254(std::string_view bytes);
// DOS Turkish code page 857. Characters without a cp857 code become '?' in toCp857Lossy.
Result<std::string> toCp857(std::string_view utf8);
std::string toCp857Lossy(std::string_view utf8);
std::string fromCp857(std::string_view bytes);
// True when the bytes are valid UTF-8.
bool isValidUtf8(std::string_view s);

// Turkish collation: "AaBbCcÇçDdEeFfGgĞğHhIıİiJjKkLlMmNnOoÖöPpQqRrSsŞşTtUuÜüVvWwXxYyZz"; every
// other character sorts by its cp1254 code around them (digits and blanks before letters).
// sortKey returns bytes whose memcmp order is that collation; trailing blanks are ignored, so
// "AB" and "AB  " give the same key. caseInsensitive upper-cases (Turkish pairs) first.
std::string sortKey(std::string_view utf8, bool caseInsensitive);
// <0, 0, >0 in that order.
int compare(std::string_view a, std::string_view b, bool caseInsensitive = false);

} // namespace hk::core::text
