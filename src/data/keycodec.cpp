#include "data/keycodec.h"

#include "core/text.h"

#include <cstring>

namespace hk::data {

namespace {

void putText(std::string& out, const std::string& text, bool nocase) {
    const std::string k = core::text::sortKey(text, nocase);
    for (char c : k) {
        out.push_back(c);
        if (c == '\0') out.push_back('\xFF');
    }
    out.push_back('\0');
    out.push_back('\0');
}

void putBigEndian(std::string& out, std::uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putComponent(std::string& out, const Record& r, const FieldDef& f, bool nocase) {
    const Value& v = r.slot(f.slot);
    switch (f.type) {
    case FieldType::STRING:
    case FieldType::CSTRING: putText(out, v.text, nocase); break;
    case FieldType::BYTE: out.push_back(static_cast<char>(static_cast<std::uint8_t>(v.integer))); break;
    case FieldType::SHORT:
        putBigEndian(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(v.integer)) ^ 0x8000u, 2);
        break;
    case FieldType::LONG:
        putBigEndian(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v.integer)) ^ 0x80000000u, 4);
        break;
    case FieldType::REAL: {
        double d = v.real == 0 ? 0.0 : v.real;  // -0 and +0 are one value
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
    case FieldType::GROUP: break;
    }
}

bool isBlank(const Record& r, const FieldDef& f) {
    const Value& v = r.slot(f.slot);
    switch (f.type) {
    case FieldType::STRING:
        return v.text.find_first_not_of(' ') == std::string::npos;
    case FieldType::CSTRING: return v.text.empty();
    case FieldType::REAL: return v.real == 0;
    default: return v.integer == 0;
    }
}

} // namespace

std::string encodeKeyAlways(const Record& r, const KeyDef& key) {
    return encodeKeyPrefix(r, key, key.parts.size());
}

std::string prefixEnd(std::string prefix) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
    if (!prefix.empty()) prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

std::string encodeKeyPrefix(const Record& r, const KeyDef& key, std::size_t parts) {
    std::string out;
    out.reserve(48);
    const FileDef& d = r.def();
    for (std::size_t i = 0; i < parts && i < key.parts.size(); ++i) {
        const KeyPart& p = key.parts[i];
        const std::size_t start = out.size();
        putComponent(out, r, d.fields[p.field], key.caseInsensitive);
        if (p.descending)
            for (std::size_t j = start; j < out.size(); ++j) out[j] = static_cast<char>(~out[j]);
    }
    return out;
}

std::optional<std::string> encodeKey(const Record& r, const KeyDef& key) {
    if (key.optional) {
        bool blank = true;
        for (const KeyPart& p : key.parts)
            if (!isBlank(r, r.def().fields[p.field])) {
                blank = false;
                break;
            }
        if (blank) return std::nullopt;
    }
    return encodeKeyAlways(r, key);
}

} // namespace hk::data
