#include "data/record.h"

#include "core/codepages.h"
#include "core/text.h"
#include "core/utf8.h"
#include "data/errors.h"
#include "data/records.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace hk::data {

namespace text = core::text;

namespace {

// Control characters (C0, DEL, C1) have no place in record text: a field is shown on screens,
// printed on forms and written to terminals, where such a character would move the cursor or
// the print head, or start an escape sequence, behind the program's back. They are refused as
// characters outside the code page are.
bool isControl(char32_t cp) {
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F);
}

// True when checkText accepts the text: valid UTF-8, cp1254 characters only, no wider than the
// field (trailing blanks of a STRING not counted, they are clipped). One pass instead of the four
// of checkText; a NUL byte or a trailing blank when `clipped` is wanted (the text must be stored
// as it is) answers false, and the caller then takes the full check, which has the error texts.
bool acceptedAsIs(const FieldDef& fd, std::string_view s, bool clipped) {
    std::size_t width = fd.type == FieldType::CSTRING ? fd.size - 1 : fd.size;
    std::size_t e = s.size();
    if (fd.type == FieldType::STRING)
        while (e > 0 && s[e - 1] == ' ')
            --e;
    if (clipped && e != s.size()) return false;
    if (s.size() - e > 0) width += s.size() - e; // the blanks counted below but clipped
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        const auto st = core::utf8::decode(s, i);
        if (st.cp == core::utf8::kInvalid || isControl(st.cp) ||
            core::codepages::toCp1254Byte(st.cp) < 0)
            return false;
        i += st.len;
    }
    return n <= width;
}

} // namespace

std::int64_t packDate(core::Date d) {
    return d.year * 10000LL + d.month * 100LL + d.day;
}
core::Date unpackDate(std::int64_t v) {
    if (v <= 0) return {};
    core::Date d;
    d.day = static_cast<std::uint8_t>(v % 100);
    d.month = static_cast<std::uint8_t>((v / 100) % 100);
    d.year = static_cast<std::uint16_t>(v / 10000);
    return d;
}
std::int64_t packTime(core::Time t) {
    return t.hour * 1000000LL + t.minute * 10000LL + t.second * 100LL + t.hundredth;
}
core::Time unpackTime(std::int64_t v) {
    if (v <= 0) return {};
    core::Time t;
    t.hundredth = static_cast<std::uint8_t>(v % 100);
    t.second = static_cast<std::uint8_t>((v / 100) % 100);
    t.minute = static_cast<std::uint8_t>((v / 10000) % 100);
    t.hour = static_cast<std::uint8_t>(v / 1000000);
    return t;
}

namespace {

core::Error badValue(const FileDef& d, std::uint32_t field, const std::string& why) {
    return engineError(ErrorCode::BadValue, d.file, d.label(field) + ": " + why);
}

std::string formatReal(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string two(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string formatDate(core::Date d) {
    if (!d.isSet()) return {};
    std::string y = std::to_string(d.year);
    while (y.size() < 4)
        y = "0" + y;
    return two(d.day) + "." + two(d.month) + "." + y;
}

std::string formatTime(core::Time t) {
    if (!t.isSet()) return {};
    return two(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
}

bool parseInt(std::string_view s, int& out) {
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc{} && r.ptr == s.data() + s.size();
}

std::optional<core::Date> parseDate(std::string_view s) {
    const std::string t = text::trim(s);
    if (t.empty()) return core::Date{};
    const auto p1 = t.find('.');
    const auto p2 = p1 == std::string::npos ? p1 : t.find('.', p1 + 1);
    if (p2 == std::string::npos) return std::nullopt;
    int d = 0, m = 0, y = 0;
    if (!parseInt(std::string_view(t).substr(0, p1), d) ||
        !parseInt(std::string_view(t).substr(p1 + 1, p2 - p1 - 1), m) ||
        !parseInt(std::string_view(t).substr(p2 + 1), y))
        return std::nullopt;
    if (d < 1 || d > 31 || m < 1 || m > 12 || y < 1 || y > 9999) return std::nullopt;
    core::Date r{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                 static_cast<std::uint16_t>(y)};
    if (!r.isValid()) return std::nullopt;
    return r;
}

std::optional<core::Time> parseTime(std::string_view s) {
    const std::string t = text::trim(s);
    if (t.empty()) return core::Time{};
    int parts[4] = {0, 0, 0, 0};
    std::size_t start = 0;
    int n = 0;
    while (n < 4) {
        const std::size_t e = t.find_first_of(":.", start);
        const std::string_view piece = std::string_view(t).substr(
            start, e == std::string::npos ? std::string::npos : e - start);
        if (!parseInt(piece, parts[n])) return std::nullopt;
        ++n;
        if (e == std::string::npos) break;
        start = e + 1;
    }
    if (n < 2 || parts[0] < 0 || parts[0] > 23 || parts[1] < 0 || parts[1] > 59 || parts[2] < 0 ||
        parts[2] > 59 || parts[3] < 0 || parts[3] > 99)
        return std::nullopt;
    return core::Time{static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
                      static_cast<std::uint8_t>(parts[2]), static_cast<std::uint8_t>(parts[3])};
}

core::Status setNumberSlot(const FileDef& d, std::uint32_t f, Value& v, double x) {
    const FieldDef& fd = d.fields[f];
    if (!std::isfinite(x)) return badValue(d, f, "sayı değil");
    if (fd.type == FieldType::REAL) {
        v.real = x;
        return {};
    }
    double lo = 0, hi = 0;
    switch (fd.type) {
    case FieldType::BYTE:
        lo = 0;
        hi = 255;
        break;
    case FieldType::SHORT:
        lo = -32768;
        hi = 32767;
        break;
    case FieldType::LONG:
        lo = -2147483648.0;
        hi = 2147483647.0;
        break;
    default:
        return badValue(d, f, "sayı alanı değil");
    }
    if (x != std::floor(x)) return badValue(d, f, "tam sayı olmalı");
    if (x < lo || x > hi) return badValue(d, f, "değer alanın sınırları dışında");
    v.integer = static_cast<std::int64_t>(x);
    return {};
}

template <typename T> void putLE(char* p, T v) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    U u = static_cast<U>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}
template <typename T> T getLE(const char* p) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u = static_cast<U>(u | (static_cast<U>(static_cast<unsigned char>(p[i])) << (8 * i)));
    return static_cast<T>(u);
}

} // namespace

Record::Record(const FileDef& def) : def_(&def), values_(def.slotCount) {}

void Record::clear() {
    for (Value& v : values_) {
        v.integer = 0;
        v.real = 0;
        v.text.clear();
    }
}

std::uint32_t Record::slotOf(std::uint32_t field, std::uint32_t element) const {
    return def_->fields[field].slot + element - 1;
}

std::uint32_t Record::fieldOfSlot(std::uint32_t slot) const {
    const auto& fs = def_->fields;
    for (std::uint32_t i = 0; i < fs.size(); ++i)
        if (fs[i].type != FieldType::GROUP && slot >= fs[i].slot && slot < fs[i].slot + fs[i].count)
            return i;
    return 0;
}

core::Result<std::uint32_t> Record::slotFor(std::string_view field, std::uint32_t element) const {
    const auto f = def_->field(field);
    if (!f) return engineError(ErrorCode::BadValue, def_->file, "alan yok: " + std::string(field));
    const FieldDef& fd = def_->fields[*f];
    if (fd.type == FieldType::GROUP)
        return engineError(ErrorCode::BadValue, def_->file, "grup alanı: " + def_->label(*f));
    if (element < 1 || element > fd.count)
        return engineError(ErrorCode::BadValue, def_->file,
                           def_->label(*f) + ": eleman " + std::to_string(element) + " yok");
    return fd.slot + element - 1;
}

core::Result<std::string> Record::text(std::string_view field, std::uint32_t element) const {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const Value& v = values_[*s];
    switch (def_->fields[fieldOfSlot(*s)].type) {
    case FieldType::STRING:
    case FieldType::CSTRING:
        return v.text;
    case FieldType::REAL:
        return formatReal(v.real);
    case FieldType::DATE:
        return formatDate(unpackDate(v.integer));
    case FieldType::TIME:
        return formatTime(unpackTime(v.integer));
    default:
        return std::to_string(v.integer);
    }
}

core::Result<double> Record::number(std::string_view field, std::uint32_t element) const {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const Value& v = values_[*s];
    switch (def_->fields[fieldOfSlot(*s)].type) {
    case FieldType::REAL:
        return v.real;
    case FieldType::STRING:
    case FieldType::CSTRING: {
        const std::string t = text::trim(v.text);
        if (t.empty()) return 0.0;
        double x = 0;
        auto r = std::from_chars(t.data(), t.data() + t.size(), x);
        if (r.ec != std::errc{} || r.ptr != t.data() + t.size())
            return engineError(ErrorCode::BadValue, def_->file,
                               std::string(field) + ": sayı değil");
        return x;
    }
    case FieldType::DATE:
        return static_cast<double>(unpackDate(v.integer).dayNumber());
    case FieldType::TIME:
        return static_cast<double>(unpackTime(v.integer).clockValue());
    default:
        return static_cast<double>(v.integer);
    }
}

core::Result<core::Date> Record::date(std::string_view field, std::uint32_t element) const {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const FieldType t = def_->fields[fieldOfSlot(*s)].type;
    if (t == FieldType::DATE) return unpackDate(values_[*s].integer);
    if (isText(t)) {
        auto d = parseDate(values_[*s].text);
        if (!d)
            return engineError(ErrorCode::BadValue, def_->file,
                               std::string(field) + ": tarih değil");
        return *d;
    }
    if (isNumber(t))
        return core::Date::fromDayNumber(static_cast<std::int32_t>(*number(field, element)));
    return engineError(ErrorCode::BadValue, def_->file, std::string(field) + ": tarih değil");
}

core::Result<core::Time> Record::time(std::string_view field, std::uint32_t element) const {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const FieldType t = def_->fields[fieldOfSlot(*s)].type;
    if (t == FieldType::TIME) return unpackTime(values_[*s].integer);
    if (isText(t)) {
        auto d = parseTime(values_[*s].text);
        if (!d)
            return engineError(ErrorCode::BadValue, def_->file,
                               std::string(field) + ": saat değil");
        return *d;
    }
    return engineError(ErrorCode::BadValue, def_->file, std::string(field) + ": saat değil");
}

core::Result<std::string> Record::checkText(const FileDef& d, std::uint32_t f,
                                            std::string_view utf8, bool cut) {
    const FieldDef& fd = d.fields[f];
    if (!text::isValidUtf8(utf8)) return badValue(d, f, "geçersiz UTF-8 metin");
    if (!text::isCp1254(utf8)) {
        auto e = text::toCp1254(utf8);
        return badValue(d, f,
                        e ? std::string("Windows Türkçe (1254) dışı karakter") : e.error().text);
    }
    std::string s = fd.type == FieldType::STRING ? text::clip(utf8) : std::string(utf8);
    const std::size_t width = fd.type == FieldType::CSTRING ? fd.size - 1 : fd.size;
    if (fd.type == FieldType::CSTRING && s.find('\0') != std::string::npos)
        return badValue(d, f, "metinde sıfır karakteri");
    std::size_t position = 1;
    for (std::size_t i = 0; i < s.size(); ++position) {
        const auto st = core::utf8::decode(s, i);
        if (isControl(st.cp))
            return badValue(d, f,
                            "metinde kontrol karakteri (konum " + std::to_string(position) + ")");
        i += st.len;
    }
    if (text::length(s) > width) {
        if (!cut) return badValue(d, f, "metin " + std::to_string(width) + " karakterden uzun");
        s = text::left(s, width);
        if (fd.type == FieldType::STRING) s = text::clip(s);
    }
    return s;
}

core::Status Record::setText(std::string_view field, std::string_view value, std::uint32_t element,
                             bool cut) {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const std::uint32_t f = fieldOfSlot(*s);
    Value& v = values_[*s];
    switch (def_->fields[f].type) {
    case FieldType::STRING:
    case FieldType::CSTRING: {
        auto t = checkText(*def_, f, value, cut);
        if (!t) return t.error();
        v.text = std::move(*t);
        return {};
    }
    case FieldType::DATE: {
        auto d = parseDate(value);
        if (!d)
            return badValue(*def_, f, "tarih gg.aa.yyyy biçiminde olmalı: " + std::string(value));
        v.integer = packDate(*d);
        return {};
    }
    case FieldType::TIME: {
        auto t = parseTime(value);
        if (!t) return badValue(*def_, f, "saat ss:dd:sn biçiminde olmalı: " + std::string(value));
        v.integer = packTime(*t);
        return {};
    }
    default: {
        const std::string t = text::trim(value);
        double x = 0;
        if (!t.empty()) {
            auto r = std::from_chars(t.data(), t.data() + t.size(), x);
            if (r.ec != std::errc{} || r.ptr != t.data() + t.size())
                return badValue(*def_, f, "sayı değil: " + std::string(value));
        }
        return setNumberSlot(*def_, f, v, x);
    }
    }
}

core::Status Record::setNumber(std::string_view field, double value, std::uint32_t element) {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const std::uint32_t f = fieldOfSlot(*s);
    const FieldType t = def_->fields[f].type;
    if (isText(t)) {
        const double w = std::floor(value);
        if (w == value && std::fabs(value) < 1e15)
            return setText(field, std::to_string(static_cast<long long>(value)), element);
        return setText(field, formatReal(value), element);
    }
    if (t == FieldType::DATE) {
        values_[*s].integer = packDate(core::Date::fromDayNumber(static_cast<std::int32_t>(value)));
        return {};
    }
    if (t == FieldType::TIME) {
        values_[*s].integer =
            packTime(core::Time::fromClockValue(static_cast<std::int32_t>(value)));
        return {};
    }
    return setNumberSlot(*def_, f, values_[*s], value);
}

core::Status Record::setDate(std::string_view field, core::Date value, std::uint32_t element) {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const std::uint32_t f = fieldOfSlot(*s);
    const FieldType t = def_->fields[f].type;
    if (t == FieldType::DATE) {
        values_[*s].integer = packDate(value);
        return {};
    }
    if (isText(t)) return setText(field, formatDate(value), element);
    return badValue(*def_, f, "tarih alanı değil");
}

core::Status Record::setTime(std::string_view field, core::Time value, std::uint32_t element) {
    auto s = slotFor(field, element);
    if (!s) return s.error();
    const std::uint32_t f = fieldOfSlot(*s);
    const FieldType t = def_->fields[f].type;
    if (t == FieldType::TIME) {
        values_[*s].integer = packTime(value);
        return {};
    }
    if (isText(t)) return setText(field, formatTime(value), element);
    return badValue(*def_, f, "saat alanı değil");
}

namespace {
core::Error noField(const FileDef& d, std::uint32_t field) {
    return engineError(ErrorCode::BadValue, d.file, "alan yok: " + std::to_string(field));
}
} // namespace

core::Result<std::string> Record::textAt(std::uint32_t f, std::uint32_t e) const {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return text(def_->label(f), e);
}
core::Result<double> Record::numberAt(std::uint32_t f, std::uint32_t e) const {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return number(def_->label(f), e);
}
core::Result<core::Date> Record::dateAt(std::uint32_t f, std::uint32_t e) const {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return date(def_->label(f), e);
}
core::Status Record::setTextAt(std::uint32_t f, std::string_view v, std::uint32_t e, bool cut) {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return setText(def_->label(f), v, e, cut);
}
core::Status Record::setNumberAt(std::uint32_t f, double v, std::uint32_t e) {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return setNumber(def_->label(f), v, e);
}
core::Status Record::setDateAt(std::uint32_t f, core::Date v, std::uint32_t e) {
    if (f >= def_->fields.size()) return noField(*def_, f);
    return setDate(def_->label(f), v, e);
}

core::Status Record::validate() const {
    const auto& fs = def_->fields;
    for (std::uint32_t f = 0; f < fs.size(); ++f) {
        if (!isText(fs[f].type)) continue;
        for (std::uint32_t e = 0; e < fs[f].count; ++e) {
            const std::string& t = values_[fs[f].slot + e].text;
            // The common case on every write needs one pass only.
            if (acceptedAsIs(fs[f], t, false)) continue;
            auto r = checkText(*def_, f, t);
            if (!r) return r.error();
        }
    }
    return {};
}

core::Result<std::string> Record::toImage() const {
    std::string img(def_->recordLength, '\0');
    for (std::uint32_t f = 0; f < def_->fields.size(); ++f) {
        const FieldDef& fd = def_->fields[f];
        if (fd.type == FieldType::GROUP) continue;
        for (std::uint32_t e = 0; e < fd.count; ++e) {
            const Value& v = values_[fd.slot + e];
            char* p = img.data() + fd.offset + e * fd.size;
            switch (fd.type) {
            case FieldType::BYTE:
                p[0] = static_cast<char>(static_cast<std::uint8_t>(v.integer));
                break;
            case FieldType::SHORT:
                putLE<std::int16_t>(p, static_cast<std::int16_t>(v.integer));
                break;
            case FieldType::LONG:
                putLE<std::int32_t>(p, static_cast<std::int32_t>(v.integer));
                break;
            case FieldType::REAL: {
                std::uint64_t bits = 0;
                std::memcpy(&bits, &v.real, 8);
                putLE<std::uint64_t>(p, bits);
                break;
            }
            case FieldType::DATE:
                unpackDate(v.integer).toBytes(reinterpret_cast<unsigned char*>(p));
                break;
            case FieldType::TIME:
                unpackTime(v.integer).toBytes(reinterpret_cast<unsigned char*>(p));
                break;
            case FieldType::STRING:
            case FieldType::CSTRING: {
                auto checked = checkText(*def_, f, v.text);
                if (!checked) return checked.error();
                auto bytes = text::toCp1254(*checked);
                if (!bytes) return badValue(*def_, f, bytes.error().text);
                if (fd.type == FieldType::STRING) {
                    std::memset(p, ' ', fd.size);
                    std::memcpy(p, bytes->data(), bytes->size());
                } else {
                    std::memcpy(p, bytes->data(), bytes->size()); // the rest stays zero
                }
                break;
            }
            case FieldType::GROUP:
                break;
            }
        }
    }
    return img;
}

core::Result<Record> Record::fromImage(const FileDef& def, std::string_view img) {
    if (img.size() != def.recordLength)
        return engineError(ErrorCode::BadValue, def.file,
                           "kayıt uzunluğu " + std::to_string(img.size()) + ", beklenen " +
                               std::to_string(def.recordLength));
    Record r(def);
    for (const FieldDef& fd : def.fields) {
        if (fd.type == FieldType::GROUP) continue;
        for (std::uint32_t e = 0; e < fd.count; ++e) {
            Value& v = r.values_[fd.slot + e];
            const char* p = img.data() + fd.offset + e * fd.size;
            switch (fd.type) {
            case FieldType::BYTE:
                v.integer = static_cast<unsigned char>(p[0]);
                break;
            case FieldType::SHORT:
                v.integer = getLE<std::int16_t>(p);
                break;
            case FieldType::LONG:
                v.integer = getLE<std::int32_t>(p);
                break;
            case FieldType::REAL: {
                const std::uint64_t bits = getLE<std::uint64_t>(p);
                std::memcpy(&v.real, &bits, 8);
                break;
            }
            case FieldType::DATE:
                v.integer =
                    packDate(core::Date::fromBytes(reinterpret_cast<const unsigned char*>(p)));
                break;
            case FieldType::TIME:
                v.integer =
                    packTime(core::Time::fromBytes(reinterpret_cast<const unsigned char*>(p)));
                break;
            case FieldType::STRING: {
                std::size_t n = fd.size;
                while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
                    --n;
                v.text = text::fromCp1254(std::string_view(p, n));
                break;
            }
            case FieldType::CSTRING: {
                const std::size_t n = ::strnlen(p, fd.size);
                v.text = text::fromCp1254(std::string_view(p, n));
                break;
            }
            case FieldType::GROUP:
                break;
            }
        }
    }
    return r;
}

void Record::copyMatchingFields(const Record& from) {
    const FileDef& src = from.def();
    for (std::uint32_t f = 0; f < def_->fields.size(); ++f) {
        const FieldDef& to = def_->fields[f];
        if (to.type == FieldType::GROUP) continue;
        const auto sf = src.field(to.name);
        if (!sf) continue;
        const FieldDef& fr = src.fields[*sf];
        if (fr.type == FieldType::GROUP) continue;
        const std::uint32_t n = std::min(to.count, fr.count);
        for (std::uint32_t e = 0; e < n; ++e) {
            const Value& sv = from.values_[fr.slot + e];
            Value& dv = values_[to.slot + e];
            if (to.type == fr.type && !isText(to.type)) {
                dv = sv;
            } else if (isText(to.type) && isText(fr.type)) {
                auto t = checkText(*def_, f, sv.text, true);
                dv.text = t ? *t : std::string();
            } else {
                // Different types: through the text form, as an assignment would convert.
                auto t = from.text(src.label(*sf), e + 1);
                if (t) (void)setText(def_->label(f), *t, e + 1, true);
            }
        }
    }
}

namespace detail {
core::Status putText(const FileDef& d, std::uint32_t field, Value& slot, const std::string& s) {
    // Fast path for the usual text that fits as it is; anything else goes through the full
    // check, which also clips trailing blanks.
    if (acceptedAsIs(d.fields[field], s, true) && (s.empty() || s.back() != ' ')) {
        slot.text = s;
        return {};
    }
    auto t = Record::checkText(d, field, s);
    if (!t) return t.error();
    slot.text = std::move(*t);
    return {};
}
} // namespace detail

} // namespace hk::data
