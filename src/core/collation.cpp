#include "core/codepages.h"
#include "core/text.h"
#include "core/utf8.h"

#include <array>
#include <cstring>

namespace hk::core::text {

namespace {

constexpr const char* kLetters = "AaBbCcÇçDdEeFfGgĞğHhIıİiJjKkLlMmNnOoÖöPpQqRrSsŞşTtUuÜüVvWwXxYyZz";

// Rank of every cp1254 byte: the letters of the Turkish order form one block where 'A' stands in
// the code page; every other byte keeps its code-page place around that block, so blanks, digits
// and punctuation below 'A' sort before letters and the rest after them.
struct Ranks {
    std::array<unsigned char, 256> rank{};
    Ranks() {
        std::array<bool, 256> isLetter{};
        std::array<int, 64> letterBytes{}; // 26 Latin pairs, 6 Turkish ones
        std::string_view l(kLetters);
        std::size_t n = 0;
        for (std::size_t i = 0; i < l.size(); ++n) {
            const auto st = utf8::decode(l, i);
            letterBytes[n] = codepages::toCp1254Byte(st.cp);
            isLetter[static_cast<std::size_t>(letterBytes[n])] = true;
            i += st.len;
        }
        int next = 0;
        for (int b = 0; b < 256; ++b) {
            if (b == 'A') {
                for (int lb : letterBytes)
                    rank[static_cast<std::size_t>(lb)] = static_cast<unsigned char>(next++);
            }
            if (!isLetter[static_cast<std::size_t>(b)])
                rank[static_cast<std::size_t>(b)] = static_cast<unsigned char>(next++);
        }
    }
};

const Ranks& ranks() {
    static const Ranks r; // immutable once built
    return r;
}

} // namespace

// Each cp1254 character gives two bytes (0x00, rank). A character outside cp1254 gives 0x01 and
// its code point in three bytes, a malformed byte 0x02 and the byte: such texts never enter a
// record, but they still get a stable, distinct place after every cp1254 text.
std::string sortKey(std::string_view s, bool caseInsensitive) {
    std::string up;
    if (caseInsensitive) {
        up = upperTr(s);
        s = up;
    }
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ')
        --e;
    s = s.substr(0, e);
    const auto& r = ranks();
    std::string key;
    key.reserve(s.size() * 2);
    for (std::size_t i = 0; i < s.size();) {
        const auto st = utf8::decode(s, i);
        if (st.cp == utf8::kInvalid) {
            key.push_back('\x02');
            key.push_back(s[i]);
        } else if (const int b = codepages::toCp1254Byte(st.cp); b >= 0) {
            key.push_back('\x00');
            key.push_back(static_cast<char>(r.rank[static_cast<std::size_t>(b)]));
        } else {
            key.push_back('\x01');
            key.push_back(static_cast<char>((st.cp >> 16) & 0xFF));
            key.push_back(static_cast<char>((st.cp >> 8) & 0xFF));
            key.push_back(static_cast<char>(st.cp & 0xFF));
        }
        i += st.len;
    }
    return key;
}

int compare(std::string_view a, std::string_view b, bool caseInsensitive) {
    const std::string ka = sortKey(a, caseInsensitive);
    const std::string kb = sortKey(b, caseInsensitive);
    const int c = ka.compare(kb);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

} // namespace hk::core::text
