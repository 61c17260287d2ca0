#pragma once
// Byte <-> code point tables of cp1254 (Windows Turkish) and cp857 (DOS Turkish).

#include <string>
#include <string_view>

namespace hk::core::codepages {

// The byte for a code point, -1 when the code page has none.
int toCp1254Byte(char32_t cp);
int toCp857Byte(char32_t cp);
char32_t fromCp1254Byte(unsigned char b);
char32_t fromCp857Byte(unsigned char b);

// Appends the bytes of UTF-8 text in a code page (`toByte`: toCp1254Byte or toCp857Byte), plain
// ASCII, the same in both, copied as it stands. A character the code page lacks, or a byte that
// is no UTF-8, becomes `missing`; with `missing` 0 the append stops there instead and says false
// (what was appended before it stays).
bool appendEncoded(std::string& out, std::string_view utf8, int (*toByte)(char32_t),
                   char missing);

} // namespace hk::core::codepages
