#include "core/text.h"

#include "core/codepages.h"
#include "core/utf8.h"

#include <cstdio>

namespace hk::core::text {

std::size_t length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += utf8::decode(s, i).len)
        ++n;
    return n;
}

std::string sub(std::string_view s, std::size_t start, std::size_t count) {
    // Position 0 lies before the text: it takes up one place of the count but yields nothing.
    if (start == 0) {
        if (count == 0) return {};
        start = 1;
        --count;
    }
    const std::size_t b = utf8::offsetOf(s, start - 1);
    const std::size_t e = b + utf8::offsetOf(s.substr(b), count);
    return std::string(s.substr(b, e - b));
}

std::string left(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, utf8::offsetOf(s, n)));
}

std::string clip(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ')
        --e;
    return std::string(s.substr(0, e));
}

std::string trim(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && s[b] == ' ')
        ++b;
    return clip(s.substr(b));
}

std::string pad(std::string_view s, std::size_t n) {
    std::string out = left(s, n);
    const std::size_t len = length(out);
    if (len < n) out.append(n - len, ' ');
    return out;
}

std::string padLeft(std::string_view s, std::size_t n) {
    // A text longer than the width keeps its first n characters, as pad does: a right-aligned
    // column never shows a different tail of the same value than a left-aligned one.
    std::string cut = left(s, n);
    const std::size_t len = length(cut);
    return len < n ? std::string(n - len, ' ') + cut : cut;
}

std::size_t find(std::string_view part, std::string_view s, std::size_t from) {
    if (part.empty()) return 0;
    if (from == 0) from = 1;
    std::size_t pos = from;
    for (std::size_t i = utf8::offsetOf(s, from - 1); i < s.size();
         i += utf8::decode(s, i).len, ++pos) {
        if (s.substr(i, part.size()) == part) return pos;
    }
    return 0;
}

namespace {

// Case pairs. The Turkish dotted/dotless i pairs differ from every other language, so they are
// handled first; the other letters of cp1254 (Latin-1 accents, Š Œ Ÿ) follow their usual pairs.
char32_t upperChar(char32_t c) {
    switch (c) {
    case U'i':
        return U'İ';
    case U'ı':
        return U'I';
    case U'ğ':
        return U'Ğ';
    case U'ş':
        return U'Ş';
    case U'š':
        return U'Š';
    case U'œ':
        return U'Œ';
    case U'ÿ':
        return U'Ÿ';
    default:
        break;
    }
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    return c;
}

char32_t lowerChar(char32_t c) {
    switch (c) {
    case U'I':
        return U'ı';
    case U'İ':
        return U'i';
    case U'Ğ':
        return U'ğ';
    case U'Ş':
        return U'ş';
    case U'Š':
        return U'š';
    case U'Œ':
        return U'œ';
    case U'Ÿ':
        return U'ÿ';
    default:
        break;
    }
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    return c;
}

template <typename F> std::string mapChars(std::string_view s, F f) {
    std::string out;
    out.reserve(s.size() + 4);
    for (std::size_t i = 0; i < s.size();) {
        const auto st = utf8::decode(s, i);
        if (st.cp == utf8::kInvalid)
            out.push_back(s[i]); // malformed bytes pass unchanged
        else
            utf8::append(out, f(st.cp));
        i += st.len;
    }
    return out;
}

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

Result<std::string> encode(std::string_view utf8Text, int (*toByte)(char32_t),
                           const char* pageName) {
    std::string out;
    out.reserve(utf8Text.size());
    std::size_t pos = 1;
    for (std::size_t i = 0; i < utf8Text.size(); ++pos) {
        const auto st = utf8::decode(utf8Text, i);
        if (st.cp == utf8::kInvalid) {
            return Error::of(0, "Metin geçerli UTF-8 değil: " + std::to_string(pos) +
                                    ". karakterde bozuk bayt dizisi.");
        }
        const int b = toByte(st.cp);
        if (b < 0) {
            return Error::of(0, std::string("Metin ") + pageName +
                                    " kod sayfasında olmayan bir karakter içeriyor: \"" +
                                    std::string(utf8Text.substr(i, st.len)) + "\" (" +
                                    codePointName(st.cp) + ", " + std::to_string(pos) +
                                    ". karakter).");
        }
        out.push_back(static_cast<char>(b));
        i += st.len;
    }
    return out;
}

std::string decode(std::string_view bytes, char32_t (*fromByte)(unsigned char)) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes)
        utf8::append(out, fromByte(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string upperTr(std::string_view s) {
    return mapChars(s, upperChar);
}
std::string lowerTr(std::string_view s) {
    return mapChars(s, lowerChar);
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto st = utf8::decode(s, i);
        if (st.cp == utf8::kInvalid) return false;
        i += st.len;
    }
    return true;
}

bool isCp1254(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto st = utf8::decode(s, i);
        if (st.cp == utf8::kInvalid || codepages::toCp1254Byte(st.cp) < 0) return false;
        i += st.len;
    }
    return true;
}

Result<std::string> toCp1254(std::string_view s) {
    return encode(s, codepages::toCp1254Byte, "Windows Türkçe (1254)");
}
std::string fromCp1254(std::string_view bytes) {
    return decode(bytes, codepages::fromCp1254Byte);
}
Result<std::string> toCp857(std::string_view s) {
    return encode(s, codepages::toCp857Byte, "DOS Türkçe (857)");
}
std::string fromCp857(std::string_view bytes) {
    return decode(bytes, codepages::fromCp857Byte);
}

std::string toCp857Lossy(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto st = utf8::decode(s, i);
        const int b = st.cp == utf8::kInvalid ? -1 : codepages::toCp857Byte(st.cp);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
        i += st.len;
    }
    return out;
}

} // namespace hk::core::text
