// The built-in functions and the value conversions they share with the evaluator. Every function
// reads its arguments from args[0..n-1] and leaves its result in args[0]; it reports a failure by
// returning false with a reason, never by throwing.

#include "core/date.h"
#include "core/picture.h"
#include "core/text.h"
#include "core/utf8.h"
#include "expr/detail.h"
#include "expr/ini.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <unistd.h>

namespace hk::expr::detail {

namespace {

bool isBlank(std::string_view s) {
    return s.find_first_not_of(' ') == std::string_view::npos;
}

std::string_view clipView(std::string_view s) {
    std::size_t n = s.size();
    while (n && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

} // namespace

bool toNumber(const Value& v, Number& out, std::string& err) {
    if (!v.isText()) {
        out = v.num;
        return true;
    }
    if (isBlank(v.text)) {
        out = Number();
        return true;
    }
    if (Number::parse(v.text, out)) return true;
    err = "not a number: '" + v.text.substr(0, 40) + "'";
    return false;
}

std::string_view toText(const Value& v, std::string& scratch) {
    if (v.isText()) return v.text;
    scratch.clear();
    v.num.appendTo(scratch);
    return scratch;
}

bool truth(const Value& v) {
    if (!v.isText()) return !v.num.isZero();
    Number n;
    if (Number::parse(v.text, n)) return !n.isZero();
    return !isBlank(v.text);
}

int compare(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) {
        const std::string_view x = clipView(a.text), y = clipView(b.text);
        if (x == y) return 0;
        return core::text::compare(x, y);
    }
    Number x, y;
    std::string ignored;
    if (toNumber(a, x, ignored) && toNumber(b, y, ignored)) return x < y ? -1 : (y < x ? 1 : 0);
    std::string sa, sb;
    return core::text::compare(clipView(toText(a, sa)), clipView(toText(b, sb)));
}

bool equal(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return clipView(a.text) == clipView(b.text);
    if (!a.isText() && !b.isText()) return a.num == b.num;
    return compare(a, b) == 0;
}

namespace {

// ---- argument helpers ----

bool num(const Value& v, Number& out, std::string& err) {
    return toNumber(v, out, err);
}

bool integer(const Value& v, std::int64_t& out, std::string& err) {
    Number n;
    if (!toNumber(v, n, err)) return false;
    if (!n.truncated().toInt64(out)) {
        err = "whole number out of range";
        return false;
    }
    return true;
}

bool width(const Value& v, std::size_t& out, std::string& err) {
    std::int64_t w;
    if (!integer(v, w, err)) return false;
    if (w < 0 || static_cast<std::size_t>(w) > kMaxText) {
        err = "width out of range";
        return false;
    }
    out = static_cast<std::size_t>(w);
    return true;
}

std::string text(const Value& v) {
    std::string s;
    return std::string(toText(v, s));
}

bool setReal(Value& out, double d, std::string& err) {
    Number n;
    if (!Number::fromDouble(d, n)) {
        err = "result is not a finite number in range";
        return false;
    }
    out.setNumber(n);
    return true;
}

void setInt(Value& out, std::int64_t v) {
    out.setNumber(Number::fromInt(v));
}

// ---- mathematics ----

template <double (*F)(double)> bool real1(Value* a, int, std::string& err) {
    Number x;
    if (!num(a[0], x, err)) return false;
    return setReal(a[0], F(x.toDouble()), err);
}
double dsin(double x) { return std::sin(x); }
double dcos(double x) { return std::cos(x); }
double dtan(double x) { return std::tan(x); }
double datan(double x) { return std::atan(x); }
double dasin(double x) { return std::asin(x); }
double dacos(double x) { return std::acos(x); }
double dsqrt(double x) { return x < 0 ? NAN : std::sqrt(x); }
double dlog10(double x) { return x <= 0 ? NAN : std::log10(x); }
double dloge(double x) { return x <= 0 ? NAN : std::log(x); }

bool fAbs(Value* a, int, std::string& err) {
    Number x;
    if (!num(a[0], x, err)) return false;
    a[0].setNumber(x.abs());
    return true;
}

bool fInt(Value* a, int, std::string& err) {
    Number x;
    if (!num(a[0], x, err)) return false;
    a[0].setNumber(x.truncated());
    return true;
}

bool fRound(Value* a, int, std::string& err) {
    Number x, step, r;
    if (!num(a[0], x, err) || !num(a[1], step, err)) return false;
    if (!Number::roundToStep(x, step, r)) {
        err = "arithmetic overflow";
        return false;
    }
    a[0].setNumber(r);
    return true;
}

template <int Kind> bool bitwise(Value* a, int, std::string& err) {
    std::int64_t x, y;
    if (!integer(a[0], x, err) || !integer(a[1], y, err)) return false;
    std::int64_t r = 0;
    if constexpr (Kind == 0) r = x & y;
    if constexpr (Kind == 1) r = x | y;
    if constexpr (Kind == 2) r = x ^ y;
    if constexpr (Kind == 3) {
        // BSHIFT(value, count): a positive count shifts left, a negative one right.
        if (y > 63 || y < -63) r = (y < 0 && x < 0) ? -1 : 0;
        else if (y >= 0) r = static_cast<std::int64_t>(static_cast<std::uint64_t>(x) << y);
        else r = x >> (-y);
    }
    setInt(a[0], r);
    return true;
}

thread_local std::mt19937_64 randomEngine{std::random_device{}()};

bool fRandom(Value* a, int, std::string& err) {
    std::int64_t lo, hi;
    if (!integer(a[0], lo, err) || !integer(a[1], hi, err)) return false;
    if (lo > hi) std::swap(lo, hi);
    setInt(a[0], std::uniform_int_distribution<std::int64_t>(lo, hi)(randomEngine));
    return true;
}

// ---- logic and choice ----

template <int Kind> bool logic(Value* a, int n, std::string&) {
    bool r;
    if constexpr (Kind == 0) r = !truth(a[0]);
    else {
        r = truth(a[0]);
        for (int i = 1; i < n; ++i) {
            if constexpr (Kind == 1) r = r && truth(a[i]);
            if constexpr (Kind == 2) r = r || truth(a[i]);
            if constexpr (Kind == 3) r = r != truth(a[i]);
        }
    }
    setInt(a[0], r ? 1 : 0);
    return true;
}

// CHOOSE(n, v1, ...): the n-th value; an n outside 1..count gives the last value.
bool fChoose(Value* a, int n, std::string& err) {
    std::int64_t k;
    if (!integer(a[0], k, err)) return false;
    const int count = n - 1;
    const int pick = (k >= 1 && k <= count) ? static_cast<int>(k) : count;
    std::swap(a[0], a[pick]);
    return true;
}

bool fInList(Value* a, int n, std::string&) {
    int pos = 0;
    for (int i = 1; i < n && !pos; ++i)
        if (equal(a[0], a[i])) pos = i;
    setInt(a[0], pos);
    return true;
}

bool fInRange(Value* a, int, std::string&) {
    setInt(a[0], compare(a[0], a[1]) >= 0 && compare(a[0], a[2]) <= 0 ? 1 : 0);
    return true;
}

bool fNull(Value* a, int, std::string&) {
    // Bound variables always hold a value; nothing the expressions see is null.
    setInt(a[0], 0);
    return true;
}

bool fNumeric(Value* a, int, std::string&) {
    Number n;
    setInt(a[0], !a[0].isText() || Number::parse(a[0].text, n) ? 1 : 0);
    return true;
}

// ---- texts ----

bool fClip(Value* a, int, std::string&) {
    a[0].setText(core::text::clip(text(a[0])));
    return true;
}
bool fUpper(Value* a, int, std::string&) {
    a[0].setText(core::text::upperTr(text(a[0])));
    return true;
}
bool fLower(Value* a, int, std::string&) {
    a[0].setText(core::text::lowerTr(text(a[0])));
    return true;
}
bool fLen(Value* a, int, std::string&) {
    setInt(a[0], static_cast<std::int64_t>(core::text::length(text(a[0]))));
    return true;
}

bool fLeft(Value* a, int, std::string& err) {
    std::size_t w;
    if (!width(a[1], w, err)) return false;
    const std::string s = text(a[0]);
    a[0].setText(core::text::pad(s.substr(std::min(s.find_first_not_of(' '), s.size())), w));
    return true;
}

// RIGHT keeps the rightmost characters when the text is wider than the width.
bool fRight(Value* a, int, std::string& err) {
    std::size_t w;
    if (!width(a[1], w, err)) return false;
    const std::string s = core::text::clip(text(a[0]));
    const std::size_t len = core::text::length(s);
    a[0].setText(len > w ? core::text::sub(s, len - w + 1, w) : core::text::padLeft(s, w));
    return true;
}

bool fCenter(Value* a, int, std::string& err) {
    std::size_t w;
    if (!width(a[1], w, err)) return false;
    const std::string s = core::text::trim(text(a[0]));
    const std::size_t len = core::text::length(s);
    if (len >= w) {
        a[0].setText(core::text::left(s, w));
        return true;
    }
    const std::size_t before = (w - len) / 2;
    a[0].setText(std::string(before, ' ') + core::text::pad(s, w - before));
    return true;
}

bool fAll(Value* a, int, std::string& err) {
    std::size_t w;
    if (!width(a[1], w, err)) return false;
    const std::string s = text(a[0]);
    const std::size_t len = core::text::length(s);
    if (len == 0) {
        err = "ALL of an empty text";
        return false;
    }
    std::string r;
    for (std::size_t have = 0; have < w; have += len) r += s;
    a[0].setText(core::text::left(r, w));
    return true;
}

// SUB(text, start, length): start counts from 1; a negative start counts from the end.
bool fSub(Value* a, int, std::string& err) {
    std::int64_t start, count;
    if (!integer(a[1], start, err) || !integer(a[2], count, err)) return false;
    if (count < 0) {
        err = "SUB with a negative length";
        return false;
    }
    const std::string s = text(a[0]);
    const auto len = static_cast<std::int64_t>(core::text::length(s));
    if (start < 0) start = len + start + 1;
    if (start < 1 || start > len) {
        a[0].setText("");
        return true;
    }
    a[0].setText(core::text::sub(s, static_cast<std::size_t>(start), static_cast<std::size_t>(std::min(count, len))));
    return true;
}

std::u32string codepoints(std::string_view s) {
    std::u32string r;
    for (std::size_t i = 0; i < s.size();) {
        const auto st = core::utf8::decode(s, i);
        r.push_back(st.cp);
        i += st.len;
    }
    return r;
}

// INSTRING(part, text, step, start): tries the positions start, start+step, ... (backwards for
// a negative step) and returns the step number of the first match counted from position 1,
// (position - 1) / |step| + 1, which is the position itself for a step of 1; 0 when absent.
bool fInString(Value* a, int, std::string& err) {
    std::int64_t step, start;
    if (!integer(a[2], step, err) || !integer(a[3], start, err)) return false;
    if (step == 0) {
        err = "INSTRING with a step of 0";
        return false;
    }
    const std::u32string part = codepoints(text(a[0])), s = codepoints(text(a[1]));
    const auto len = static_cast<std::int64_t>(s.size()), plen = static_cast<std::int64_t>(part.size());
    std::int64_t found = 0;
    if (plen > 0)
        for (std::int64_t p = start; p >= 1 && p + plen - 1 <= len; p += step)
            if (s.compare(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(plen), part) == 0) {
                found = (p - 1) / (step < 0 ? -step : step) + 1;
                break;
            }
    setInt(a[0], found);
    return true;
}

// CHR and VAL work on the Windows Turkish code page, the character set of every record.
bool fChr(Value* a, int, std::string& err) {
    std::int64_t c;
    if (!integer(a[0], c, err)) return false;
    if (c < 1 || c > 255) {
        err = "CHR code out of range";
        return false;
    }
    a[0].setText(core::text::fromCp1254(std::string(1, static_cast<char>(c))));
    return true;
}

bool fVal(Value* a, int, std::string&) {
    const std::string s = text(a[0]);
    std::int64_t code = 0;
    if (!s.empty()) {
        const auto cp = core::text::toCp1254(core::text::left(s, 1));
        code = cp ? static_cast<unsigned char>(cp->at(0)) : 0;
    }
    setInt(a[0], code);
    return true;
}

bool wildMatch(const std::u32string& s, const std::u32string& p) {
    // Iterative '*' / '?' matching: backtracks only to the last star, so it stays linear-ish and
    // never recurses.
    std::size_t i = 0, j = 0, star = std::u32string::npos, mark = 0;
    while (i < s.size()) {
        if (j < p.size() && (p[j] == U'?' || p[j] == s[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == U'*') {
            star = j++;
            mark = i;
        } else if (star != std::u32string::npos) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == U'*') ++j;
    return j == p.size();
}

std::string soundex(std::string_view s) {
    static const char* codes = "01230120022455012623010202"; // A..Z
    std::string r;
    char last = 0;
    for (char c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') continue;
        const char code = codes[c - 'A'];
        if (r.empty()) r.push_back(c);
        else if (code != '0' && code != last) r.push_back(code);
        last = code;
        if (r.size() == 4) break;
    }
    if (!r.empty()) r.resize(4, '0');
    return r;
}

// MATCH(value, pattern, mode): mode 0 wildcards ('*', '?'), 2 soundex, 3 plain equality; adding
// 16 ignores case. Regular expressions (mode 1) are refused: a hostile pattern must not be able to
// stall or overflow the evaluator.
bool fMatch(Value* a, int, std::string& err) {
    std::int64_t mode;
    if (!integer(a[2], mode, err)) return false;
    std::string v = core::text::clip(text(a[0])), p = core::text::clip(text(a[1]));
    if (mode & 16) {
        v = core::text::upperTr(v);
        p = core::text::upperTr(p);
    }
    bool r;
    switch (mode & ~std::int64_t(16)) {
    case 0: r = wildMatch(codepoints(v), codepoints(p)); break;
    case 2: r = soundex(v) == soundex(p); break;
    case 3: r = v == p; break;
    default: err = "MATCH mode not supported"; return false;
    }
    setInt(a[0], r ? 1 : 0);
    return true;
}

bool fMemory(Value* a, int, std::string&) {
    // The free physical memory in kilobytes, whatever the argument.
    const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    setInt(a[0], pages > 0 && size > 0 ? static_cast<std::int64_t>(pages) * (size / 1024) : 0);
    return true;
}

// ---- pictures ----

bool fFormat(Value* a, int, std::string& err) {
    const std::string picture = text(a[1]);
    core::Result<std::string> r = a[0].isText() ? core::picture::formatChecked(a[0].text, picture)
                                                : core::picture::formatChecked(a[0].num.toDouble(), picture);
    if (!r) {
        err = r.error().text;
        return false;
    }
    a[0].setText(*r);
    return true;
}

bool fDeformat(Value* a, int, std::string& err) {
    auto r = core::picture::deformat(text(a[0]), text(a[1]));
    if (!r) {
        err = r.error().text;
        return false;
    }
    a[0].setText(*r);
    return true;
}

// ---- dates and times: day numbers ----

bool fDate(Value* a, int, std::string& err) {
    std::int64_t m, d, y;
    if (!integer(a[0], m, err) || !integer(a[1], d, err) || !integer(a[2], y, err)) return false;
    if (m < -120000 || m > 120000 || d < -4000000 || d > 4000000 || y < 1 || y > 9999) {
        err = "DATE out of range";
        return false;
    }
    const std::int32_t n = core::Date::make(static_cast<int>(m), static_cast<int>(d), static_cast<int>(y)).dayNumber();
    if (n < 1 || n > core::kLastDayNumber) {
        err = "DATE out of range";
        return false;
    }
    setInt(a[0], n);
    return true;
}

template <int Part> bool datePart(Value* a, int, std::string& err) {
    std::int64_t n;
    if (!integer(a[0], n, err)) return false;
    if (n > core::kLastDayNumber) {
        err = "day number out of range";
        return false;
    }
    const core::Date d = core::Date::fromDayNumber(static_cast<std::int32_t>(n < 0 ? 0 : n));
    setInt(a[0], Part == 0 ? d.day : Part == 1 ? d.month : d.year);
    return true;
}

bool fToday(Value* a, int, std::string&) {
    setInt(a[0], core::Date::today().dayNumber());
    return true;
}

bool fClock(Value* a, int, std::string&) {
    setInt(a[0], core::Time::now().clockValue());
    return true;
}

// AGE(birth, base): "n DAYS" below 60 days, "n MOS" below two years, "n YRS" otherwise.
bool fAge(Value* a, int, std::string& err) {
    std::int64_t b, e;
    if (!integer(a[0], b, err) || !integer(a[1], e, err)) return false;
    if (b < 1 || e < b || e > core::kLastDayNumber) {
        err = "AGE of dates out of order or range";
        return false;
    }
    if (e - b < 60) {
        a[0].setText(std::to_string(e - b) + " DAYS");
        return true;
    }
    const core::Date x = core::Date::fromDayNumber(static_cast<std::int32_t>(b));
    const core::Date y = core::Date::fromDayNumber(static_cast<std::int32_t>(e));
    int months = (y.year - x.year) * 12 + (y.month - x.month) - (y.day < x.day ? 1 : 0);
    if (months < 24) a[0].setText(std::to_string(months) + " MOS");
    else a[0].setText(std::to_string(months / 12) + " YRS");
    return true;
}

bool fGetIni(Value* a, int, std::string& err) {
    auto r = readIniValue(text(a[3]), text(a[0]), text(a[1]), text(a[2]));
    if (!r) {
        err = r.error().text;
        return false;
    }
    a[0].setText(*r);
    return true;
}

// Sorted by name for the binary search below.
const FunctionDef kFunctions[] = {
    {"ABS", 1, 1, fAbs},
    {"ACOS", 1, 1, real1<dacos>},
    {"AGE", 2, 2, fAge},
    {"ALL", 2, 2, fAll},
    {"AND", 2, kMaxArgs, logic<1>},
    {"ASIN", 1, 1, real1<dasin>},
    {"ATAN", 1, 1, real1<datan>},
    {"BAND", 2, 2, bitwise<0>},
    {"BOR", 2, 2, bitwise<1>},
    {"BSHIFT", 2, 2, bitwise<3>},
    {"BXOR", 2, 2, bitwise<2>},
    {"CENTER", 2, 2, fCenter},
    {"CHOOSE", 2, kMaxArgs, fChoose},
    {"CHR", 1, 1, fChr},
    {"CLIP", 1, 1, fClip},
    {"CLOCK", 0, 0, fClock},
    {"COS", 1, 1, real1<dcos>},
    {"DATE", 3, 3, fDate},
    {"DAY", 1, 1, datePart<0>},
    {"DEFORMAT", 2, 2, fDeformat},
    {"FORMAT", 2, 2, fFormat},
    {"GETINI", 4, 4, fGetIni},
    {"INLIST", 2, kMaxArgs, fInList},
    {"INRANGE", 3, 3, fInRange},
    {"INSTRING", 4, 4, fInString},
    {"INT", 1, 1, fInt},
    {"LEFT", 2, 2, fLeft},
    {"LEN", 1, 1, fLen},
    {"LOG10", 1, 1, real1<dlog10>},
    {"LOGE", 1, 1, real1<dloge>},
    {"LOWER", 1, 1, fLower},
    {"MATCH", 3, 3, fMatch},
    {"MEMORY", 1, 1, fMemory},
    {"MONTH", 1, 1, datePart<1>},
    {"NOT", 1, 1, logic<0>},
    {"NULL", 1, 1, fNull},
    {"NUMERIC", 1, 1, fNumeric},
    {"OR", 2, kMaxArgs, logic<2>},
    {"RANDOM", 2, 2, fRandom},
    {"RIGHT", 2, 2, fRight},
    {"ROUND", 2, 2, fRound},
    {"SIN", 1, 1, real1<dsin>},
    {"SQRT", 1, 1, real1<dsqrt>},
    {"SUB", 3, 3, fSub},
    {"TAN", 1, 1, real1<dtan>},
    {"TODAY", 0, 0, fToday},
    {"UPPER", 1, 1, fUpper},
    {"VAL", 1, 1, fVal},
    {"XOR", 2, kMaxArgs, logic<3>},
    {"YEAR", 1, 1, datePart<2>},
};

} // namespace

const FunctionDef* findFunction(std::string_view upperName, int& index) {
    const auto* b = std::begin(kFunctions);
    const auto* e = std::end(kFunctions);
    const auto* it = std::lower_bound(b, e, upperName, [](const FunctionDef& f, std::string_view n) { return std::string_view(f.name) < n; });
    if (it == e || std::string_view(it->name) != upperName) return nullptr;
    index = static_cast<int>(it - b);
    return it;
}

const FunctionDef& functionAt(int index) {
    return kFunctions[index];
}

} // namespace hk::expr::detail
