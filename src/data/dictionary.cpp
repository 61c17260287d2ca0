#include "data/dictionary.h"

#include "core/text.h"

#include <cassert>
#include <stdexcept>

namespace hk::data {

std::string_view typeName(FieldType t) {
    switch (t) {
    case FieldType::BYTE:
        return "BYTE";
    case FieldType::SHORT:
        return "SHORT";
    case FieldType::LONG:
        return "LONG";
    case FieldType::REAL:
        return "REAL";
    case FieldType::DATE:
        return "DATE";
    case FieldType::TIME:
        return "TIME";
    case FieldType::STRING:
        return "STRING";
    case FieldType::CSTRING:
        return "CSTRING";
    case FieldType::GROUP:
        return "GROUP";
    }
    return "?";
}

bool isText(FieldType t) {
    return t == FieldType::STRING || t == FieldType::CSTRING;
}
bool isNumber(FieldType t) {
    return t == FieldType::BYTE || t == FieldType::SHORT || t == FieldType::LONG ||
           t == FieldType::REAL;
}

namespace {

struct RawField {
    const char* name;
    FieldType type;
    std::uint32_t size, count, groupCount;
};
struct RawKey {
    const char* name;
    const char* parts;
    bool primary, unique, nocase, optional;
};

std::vector<std::string> splitComma(std::string_view s) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t e = s.find(',', start);
        const std::size_t end = e == std::string_view::npos ? s.size() : e;
        if (end > start) out.emplace_back(s.substr(start, end - start));
        if (e == std::string_view::npos) break;
        start = e + 1;
    }
    return out;
}

FileDef build(Layout l, const char* layoutName, const char* file, const char* prefix,
              std::vector<RawField> raw, std::vector<RawKey> rawKeys) {
    FileDef d;
    d.layout = l;
    d.layoutName = layoutName;
    d.file = file;
    d.prefix = prefix;
    std::uint32_t offset = 0, slot = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const RawField& r = raw[i];
        FieldDef f{r.name, r.type, offset, r.size, r.count, r.groupCount, slot};
        if (r.type == FieldType::GROUP) {
            std::uint32_t sz = 0;
            for (std::size_t k = 1; k <= r.groupCount; ++k)
                sz += raw[i + k].size * raw[i + k].count;
            f.size = sz;
            f.count = 1;
        } else {
            offset += r.size * r.count;
            slot += r.count;
        }
        d.fields.push_back(std::move(f));
    }
    d.recordLength = offset;
    d.slotCount = slot;
    for (const RawKey& rk : rawKeys) {
        KeyDef k{rk.name, {}, rk.primary, rk.unique, rk.nocase, rk.optional};
        for (const std::string& p : splitComma(rk.parts)) {
            const bool desc = p[0] == '-';
            auto idx = d.field(desc ? std::string_view(p).substr(1) : std::string_view(p));
            if (!idx) throw std::logic_error("key component not in layout: " + p);
            k.parts.push_back({*idx, desc});
        }
        d.keys.push_back(std::move(k));
    }
    return d;
}

std::vector<FileDef> buildAll() {
    std::vector<FileDef> all;
#define HK_RAW_F(NAME, TYPE, SIZE, COUNT) RawField{#NAME, FieldType::TYPE, SIZE, COUNT, 0},
#define HK_RAW_G(NAME, N) RawField{#NAME, FieldType::GROUP, 0, 1, N},
#define HK_RAW_K(NAME, PARTS, P, U, C, O) RawKey{NAME, PARTS, P, U, C, O},
#define HK_BUILD(L, FIELDS, KEYS, FILE, PREFIX)                                                    \
    all.push_back(build(Layout::L, #L, FILE, PREFIX,                                               \
                        std::vector<RawField>{HK_FIELDS_##FIELDS(HK_RAW_F, HK_RAW_G)},             \
                        std::vector<RawKey>{HK_KEYS_##KEYS(HK_RAW_K)}));
    HK_LAYOUTS(HK_BUILD)
#undef HK_BUILD
#undef HK_RAW_F
#undef HK_RAW_G
#undef HK_RAW_K
    return all;
}

const std::vector<FileDef>& tables() {
    static const std::vector<FileDef> all = buildAll();
    return all;
}

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

} // namespace

std::optional<std::uint32_t> FileDef::field(std::string_view name) const {
    if (const auto colon = name.find(':'); colon != std::string_view::npos) {
        if (upperAscii(name.substr(0, colon)) != upperAscii(prefix)) return std::nullopt;
        name = name.substr(colon + 1);
    }
    for (std::uint32_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return i;
    return std::nullopt;
}

std::optional<std::uint32_t> FileDef::key(std::string_view name) const {
    const std::string want = upperAscii(name);
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const std::string full = upperAscii(keys[i].name);
        if (full == want) return i;
        const auto colon = full.find(':');
        if (colon != std::string::npos && full.substr(colon + 1) == want) return i;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> FileDef::primaryKey() const {
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        if (keys[i].primary) return i;
    return std::nullopt;
}

std::string FileDef::label(std::uint32_t f) const {
    return prefix + ":" + fields[f].name;
}

std::string FileDef::signature() const {
    std::string s;
    for (const FieldDef& f : fields) {
        s += f.name;
        s += ' ';
        s += typeName(f.type);
        s += ' ' + std::to_string(f.size) + ' ' + std::to_string(f.count) + ' ' +
             std::to_string(f.groupCount) + ';';
    }
    s += '|';
    for (const KeyDef& k : keys) {
        s += k.name + ' ';
        for (const KeyPart& p : k.parts)
            s += (p.descending ? "-" : "") + fields[p.field].name + ',';
        s += k.primary ? 'P' : '-';
        s += k.unique ? 'U' : '-';
        s += k.caseInsensitive ? 'C' : '-';
        s += k.optional ? 'O' : '-';
        s += ';';
    }
    return s;
}

bool FileDef::sameFields(const FileDef& o) const {
    if (this == &o) return true;
    if (fields.size() != o.fields.size()) return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& a = fields[i];
        const FieldDef& b = o.fields[i];
        if (a.name != b.name || a.type != b.type || a.size != b.size || a.count != b.count ||
            a.groupCount != b.groupCount)
            return false;
    }
    return true;
}

const FileDef& fileDef(Layout l) {
    return tables()[static_cast<std::size_t>(l)];
}

std::span<const FileDef> allLayouts() {
    return tables();
}

const FileDef* currentLayout(std::string_view file) {
    const std::string want = upperAscii(file);
    for (const FileDef& d : tables()) {
        if (d.layout == Layout::FisDetA || d.layout == Layout::FisDetB ||
            d.layout == Layout::FisBasOld || d.layout == Layout::YasalOld)
            continue;
        if (upperAscii(d.file) == want || upperAscii(d.layoutName) == want) return &d;
    }
    return nullptr;
}

std::span<const RelationDef> relations() {
    static const std::vector<RelationDef> all = {
        {Layout::FisBas,
         Layout::FisDet,
         "MFD:KeyFisDet",
         {{"KEYSTR", "KEYSTR"}},
         OnChange::Cascade,
         OnDelete::Refuse},
        {Layout::Doviz,
         Layout::DDoviz,
         "DDO:KyDoviz",
         {{"DOVIZKODU", "DOVIZKODU"}},
         OnChange::Cascade,
         OnDelete::Refuse},
        {Layout::Rapor,
         Layout::DRapor,
         "DRP:RapNoKey",
         {{"RAPKOD", "RAPKOD"}, {"RAPNO", "RAPNO"}},
         OnChange::Cascade,
         OnDelete::Cascade},
        {Layout::ORapor,
         Layout::DORapor,
         "DOR:RapNoKey",
         {{"RAPKOD", "RAPKOD"}, {"RAPNO", "RAPNO"}},
         OnChange::Cascade,
         OnDelete::Cascade},
        // The statement number is a SHORT in the header and its text form in the lines.
        {Layout::Tablo,
         Layout::DTablo,
         "BDRP:RapNoKey",
         {{"RAPNO", "RAPNO"}},
         OnChange::Cascade,
         OnDelete::Cascade},
        {Layout::KLUsers,
         Layout::KLGUsers,
         "Gusr:IdKey",
         {{"ID", "ID"}},
         OnChange::None,
         OnDelete::None},
        {Layout::KLUsers,
         Layout::KLDUsers,
         "Dusr:IdKey",
         {{"ID", "ID"}},
         OnChange::None,
         OnDelete::None},
        {Layout::KLGrups,
         Layout::KLDGrups,
         "Dgrp:GrpKey",
         {{"GRUPNO", "GRUPNO"}},
         OnChange::None,
         OnDelete::None},
    };
    return all;
}

std::vector<CatalogueField> catalogueFields(Layout l) {
    const FileDef& d = fileDef(l);
    std::vector<CatalogueField> out;
    for (std::uint32_t i = 0; i < d.fields.size(); ++i) {
        const FieldDef& f = d.fields[i];
        if (f.type == FieldType::GROUP) continue;
        out.push_back({d.label(i), std::string(typeName(f.type)), f.size, f.isArray()});
    }
    return out;
}

} // namespace hk::data
