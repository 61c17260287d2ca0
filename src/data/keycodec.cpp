#include "data/keycodec.h"

#include "core/text.h"

#include <array>
#include <cstring>

namespace hk::data {

namespace {

// core::text::sortKey gives every cp1254 character the two bytes 0x00, rank (after Turkish
// upper-casing for a case-insensitive key) and drops trailing blanks. For the ASCII bytes the
// ranks are taken from it once, so the usual plain-ASCII key text is encoded without decoding,
// upper-casing and allocating; anything else goes through sortKey itself.
struct AsciiRanks {
    // rank + 1 of each ASCII byte, 0 where the fast path does not apply
    std::array<std::uint16_t, 128> exact{}, nocase{};
    AsciiRanks() {
        for (int b = 1; b < 128; ++b) {
            const std::string s{static_cast<char>(b), 'A'};
            const auto rank = [&](bool ci) -> std::uint16_t {
                const std::string k = core::text::sortKey(s, ci);
                if (k.size() != 4 || k[0] != '\0' || k[2] != '\0') return 0;
                return static_cast<std::uint16_t>(static_cast<unsigned char>(k[1]) + 1);
            };
            exact[static_cast<std::size_t>(b)] = rank(false);
            nocase[static_cast<std::size_t>(b)] = rank(true);
        }
    }
};

const AsciiRanks& asciiRanks() {
    static const AsciiRanks r; // immutable once built
    return r;
}

// A cp1254 character's rank in the compact form: one byte, or two for the three highest ranks.
constexpr unsigned kCompactOneByteRanks = 0xFD;

void putCompactRank(std::string& out, unsigned rank) {
    if (rank < kCompactOneByteRanks) {
        out.push_back(static_cast<char>(rank + 1));
    } else {
        out.push_back('\xFE');
        out.push_back(static_cast<char>(rank));
    }
}

// Appends the key text of a plain-ASCII text; false (nothing appended) otherwise.
bool putAsciiText(std::string& out, std::string_view text, bool nocase, KeyFormat f) {
    std::size_t e = text.size();
    while (e > 0 && text[e - 1] == ' ')
        --e;
    const auto& table = nocase ? asciiRanks().nocase : asciiRanks().exact;
    for (std::size_t i = 0; i < e; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || table[c] == 0) return false;
    }
    if (f == KeyFormat::Compact) {
        for (std::size_t i = 0; i < e; ++i)
            putCompactRank(out, table[static_cast<unsigned char>(text[i])] - 1u);
        out.push_back('\0');
        return true;
    }
    for (std::size_t i = 0; i < e; ++i) {
        const auto rank = static_cast<char>(table[static_cast<unsigned char>(text[i])] - 1);
        out.push_back('\0');
        out.push_back('\xFF');
        out.push_back(rank);
        if (rank == '\0') out.push_back('\xFF');
    }
    out.push_back('\0');
    out.push_back('\0');
    return true;
}

void putText(std::string& out, const std::string& text, bool nocase, KeyFormat f) {
    if (putAsciiText(out, text, nocase, f)) return;
    const std::string k = core::text::sortKey(text, nocase);
    if (f == KeyFormat::Compact) {
        // sortKey's groups: 0x00 rank (a cp1254 character), 0x01 and three bytes (another code
        // point), 0x02 and one byte (a byte that is no UTF-8), in that order of rank.
        for (std::size_t i = 0; i < k.size();) {
            const auto tag = static_cast<unsigned char>(k[i]);
            if (tag == 0x00 && i + 1 < k.size()) {
                putCompactRank(out, static_cast<unsigned char>(k[i + 1]));
                i += 2;
            } else {
                const std::size_t n = tag == 0x01 ? 4 : 2;
                out.push_back('\xFF');
                out.append(k, i, n);
                i += n;
            }
        }
        out.push_back('\0');
        return;
    }
    for (char c : k) {
        out.push_back(c);
        if (c == '\0') out.push_back('\xFF');
    }
    out.push_back('\0');
    out.push_back('\0');
}

void putBigEndian(std::string& out, std::uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putComponent(std::string& out, const Record& r, const FieldDef& f, bool nocase,
                  KeyFormat fmt) {
    const Value& v = r.slot(f.slot);
    switch (f.type) {
    case FieldType::STRING:
    case FieldType::CSTRING:
        putText(out, v.text, nocase, fmt);
        break;
    case FieldType::BYTE:
        out.push_back(static_cast<char>(static_cast<std::uint8_t>(v.integer)));
        break;
    case FieldType::SHORT:
        putBigEndian(out,
                     static_cast<std::uint16_t>(static_cast<std::int16_t>(v.integer)) ^ 0x8000u, 2);
        break;
    case FieldType::LONG:
        putBigEndian(
            out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v.integer)) ^ 0x80000000u, 4);
        break;
    case FieldType::REAL: {
        double d = v.real == 0 ? 0.0 : v.real; // -0 and +0 are one value
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, 8);
        bits = (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
        putBigEndian(out, bits, 8);
        break;
    }
    case FieldType::DATE: {
        const core::Date d = unpackDate(v.integer);
        putBigEndian(out, d.year, 2);
        out.push_back(static_cast<char>(d.month));
        out.push_back(static_cast<char>(d.day));
        break;
    }
    case FieldType::TIME: {
        const core::Time t = unpackTime(v.integer);
        out.push_back(static_cast<char>(t.hour));
        out.push_back(static_cast<char>(t.minute));
        out.push_back(static_cast<char>(t.second));
        out.push_back(static_cast<char>(t.hundredth));
        break;
    }
    case FieldType::GROUP:
        break;
    }
}

bool isBlank(const Record& r, const FieldDef& f) {
    const Value& v = r.slot(f.slot);
    switch (f.type) {
    case FieldType::STRING:
        return v.text.find_first_not_of(' ') == std::string::npos;
    case FieldType::CSTRING:
        return v.text.empty();
    case FieldType::REAL:
        return v.real == 0;
    default:
        return v.integer == 0;
    }
}

} // namespace

std::string encodeKeyAlways(const Record& r, const KeyDef& key, KeyFormat f) {
    return encodeKeyPrefix(r, key, key.parts.size(), f);
}

std::string prefixEnd(std::string prefix) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF)
        prefix.pop_back();
    if (!prefix.empty())
        prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

std::string encodeKeyPrefix(const Record& r, const KeyDef& key, std::size_t parts, KeyFormat f) {
    std::string out;
    out.reserve(48);
    const FileDef& d = r.def();
    for (std::size_t i = 0; i < parts && i < key.parts.size(); ++i) {
        const KeyPart& p = key.parts[i];
        const std::size_t start = out.size();
        putComponent(out, r, d.fields[p.field], key.caseInsensitive, f);
        if (p.descending)
            for (std::size_t j = start; j < out.size(); ++j)
                out[j] = static_cast<char>(~out[j]);
    }
    return out;
}

std::optional<std::string> encodeKey(const Record& r, const KeyDef& key, KeyFormat f) {
    if (key.optional) {
        bool blank = true;
        for (const KeyPart& p : key.parts)
            if (!isBlank(r, r.def().fields[p.field])) {
                blank = false;
                break;
            }
        if (blank) return std::nullopt;
    }
    return encodeKeyAlways(r, key, f);
}

} // namespace hk::data
