#pragma once
// Byte <-> code point tables of cp1254 (Windows Turkish) and cp857 (DOS Turkish).

namespace hk::core::codepages {

// The byte for a code point, -1 when the code page has none.
int toCp1254Byte(char32_t cp);
int toCp857Byte(char32_t cp);
char32_t fromCp1254Byte(unsigned char b);
char32_t fromCp857Byte(unsigned char b);

} // namespace hk::core::codepages
