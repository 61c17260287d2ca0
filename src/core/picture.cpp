#include "core/picture.h"

#include "core/numeric.h"
#include "core/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace hk::core::picture {

namespace {

Error bad(std::string_view picture, const std::string& why) {
    return Error::of(0, "Geçersiz resim \"" + std::string(picture) + "\": " + why);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Reads a run of digits at s[i]; -1 when there is none.
int readInt(std::string_view s, std::size_t& i) {
    if (i >= s.size() || !isDigit(s[i])) return -1;
    int v = 0;
    while (i < s.size() && isDigit(s[i])) {
        v = v * 10 + (s[i++] - '0');
        if (v > 100000) return -1;
    }
    return v;
}

Result<Picture> parseNumber(std::string_view full, std::string_view r) {
    Picture p;
    p.kind = Kind::number;
    std::size_t i = 0;
    bool explicitSign = false;
    if (i < r.size() && (r[i] == '$' || r[i] == '~'))
        return bad(full, "para birimi işareti desteklenmiyor");
    if (i < r.size() && r[i] == '-') {
        p.sign = Picture::Sign::leading;
        explicitSign = true;
        ++i;
    } else if (i < r.size() && r[i] == '(') {
        p.sign = Picture::Sign::parentheses;
        explicitSign = true;
        ++i;
    }
    bool hasFill = false;
    // '0' is a fill only when a width follows it ("n05"); "n0" alone is a width of 0.
    if (i + 1 < r.size() && (r[i] == '_' || r[i] == '*' || (r[i] == '0' && isDigit(r[i + 1])))) {
        p.fill = r[i] == '_' ? ' ' : r[i];
        hasFill = true;
        ++i;
    }
    p.width = readInt(r, i);
    if (p.width < 1 || p.width > 255) return bad(full, "genişlik 1 ile 255 arasında olmalı");
    char grouping = hasFill ? 0 : ',';
    char mark = '.';
    auto isMark = [](char c) { return c == '.' || c == '`' || c == 'v' || c == 'V'; };
    if (i + 2 < r.size() && (r[i] == '.' || r[i] == ',' || r[i] == '-' || r[i] == '_') &&
        isMark(r[i + 1]) && isDigit(r[i + 2])) {
        grouping = r[i] == '_' ? ' ' : r[i];
        mark = r[i + 1];
        i += 2;
        p.decimals = readInt(r, i);
    } else if (i + 1 < r.size() && isMark(r[i]) && isDigit(r[i + 1])) {
        mark = r[i];
        ++i;
        p.decimals = readInt(r, i);
    } else if (i < r.size() && (r[i] == '.' || r[i] == ',' || r[i] == '_')) {
        grouping = r[i] == '_' ? ' ' : r[i];
        ++i;
    }
    if (p.decimals > 15) return bad(full, "en çok 15 ondalık olabilir");
    // An implied mark shows the bare digits; grouping them would only mislead.
    if ((mark == 'v' || mark == 'V') && grouping == ',' && !hasFill) grouping = 0;
    p.grouping = grouping;
    p.decimalMark = (mark == 'v' || mark == 'V') ? 0 : (mark == '`' || grouping == '.') ? ',' : '.';
    if (p.decimals == 0) p.decimalMark = '.';
    if (i < r.size() && r[i] == '-') {
        if (explicitSign) return bad(full, "iki işaret yeri var");
        p.sign = Picture::Sign::trailing;
        ++i;
    } else if (p.sign == Picture::Sign::parentheses) {
        if (i >= r.size() || r[i] != ')') return bad(full, "kapanmayan parantez");
        ++i;
    }
    if (i < r.size() && (r[i] == 'b' || r[i] == 'B')) {
        p.blankWhenZero = true;
        ++i;
    }
    if (i != r.size()) return bad(full, "tanınmayan \"" + std::string(r.substr(i)) + "\"");
    return p;
}

constexpr int kDateWidth[19] = {0, 8, 10, 0, 0, 8, 10, 0, 0, 8, 10, 6, 8, 5, 7, 5, 7, 10, 0};
constexpr int kTimeWidth[7] = {0, 5, 4, 7, 8, 6, 10};

Result<Picture> parseDateOrTime(std::string_view full, std::string_view r, Kind kind) {
    Picture p;
    p.kind = kind;
    std::size_t i = 0;
    if (i + 1 < r.size() && r[i] == '0' && isDigit(r[i + 1])) {
        p.zeroFilled = true;
        ++i;
    }
    p.style = readInt(r, i);
    if (kind == Kind::date) {
        // Styles 3, 4, 7 and 8 spell English month names; nothing here prints them.
        const bool known =
            p.style == 18 || (p.style >= 1 && p.style < 18 && kDateWidth[p.style] != 0);
        if (!known) return bad(full, "bu tarih biçimi desteklenmiyor");
        if (i < r.size() &&
            (r[i] == '.' || r[i] == '/' || r[i] == '-' || r[i] == ',' || r[i] == '_')) {
            p.separator = r[i] == '_' ? ' ' : r[i];
            ++i;
        }
        p.width = kDateWidth[p.style];
    } else {
        if (p.style < 1 || p.style > 6) return bad(full, "bu saat biçimi desteklenmiyor");
        p.width = kTimeWidth[p.style];
    }
    if (i < r.size() && (r[i] == 'b' || r[i] == 'B')) {
        p.blankWhenZero = true;
        ++i;
    }
    if (i != r.size()) return bad(full, "tanınmayan \"" + std::string(r.substr(i)) + "\"");
    return p;
}

Result<Picture> parseText(std::string_view full, std::string_view r) {
    Picture p;
    p.kind = Kind::text;
    std::size_t i = 0;
    p.width = readInt(r, i);
    if (p.width < 1 || p.width > 65535) return bad(full, "metin genişliği eksik");
    if (i < r.size() && (r[i] == 'b' || r[i] == 'B')) {
        p.blankWhenZero = true;
        ++i;
    }
    if (i != r.size()) return bad(full, "tanınmayan \"" + std::string(r.substr(i)) + "\"");
    return p;
}

Result<Picture> parsePattern(std::string_view full, std::string_view r) {
    Picture p;
    p.kind = Kind::pattern;
    std::string_view body = r;
    if (!body.empty() && (body.back() == 'b' || body.back() == 'B') && body.size() >= 2 &&
        (body[body.size() - 2] == 'p' || body[body.size() - 2] == 'P')) {
        p.blankWhenZero = true;
        body.remove_suffix(1);
    }
    if (body.empty() || (body.back() != 'p' && body.back() != 'P'))
        return bad(full, "desen \"P\" ile kapanmalı");
    body.remove_suffix(1);
    int places = 0;
    for (char c : body)
        places += (c == '#' || c == '<');
    if (places == 0) return bad(full, "desende rakam yeri (#) yok");
    p.pattern = std::string(body);
    p.width = static_cast<int>(text::length(body));
    return p;
}

std::string hashes(int width) {
    return std::string(static_cast<std::size_t>(width), '#');
}
std::string blanks(int width) {
    return std::string(static_cast<std::size_t>(width), ' ');
}

// Appends the layout of the magnitude `fixed` (plain digits with exactly the picture's decimals,
// as toFixed gives them) of a value that is negative when `negative`: exactly the picture's
// width of characters. Written piece by piece into `out`, as every amount of a report takes it.
void appendLaidOut(std::string& out, std::string_view fixed, bool negative, const Picture& p) {
    const auto width = static_cast<std::size_t>(std::max(p.width, 0));
    bool zero = true;
    for (char c : fixed)
        zero = zero && (c == '0' || c == '.');
    if (zero && p.blankWhenZero) {
        out.append(width, ' ');
        return;
    }
    const bool neg = negative && !zero;
    const std::size_t dot = fixed.find('.');
    const std::string_view intPart = fixed.substr(0, dot);
    const std::string_view frac =
        dot == std::string_view::npos ? std::string_view() : fixed.substr(dot + 1);
    const std::size_t n = intPart.size();
    const std::size_t groups = p.grouping && n > 0 ? (n - 1) / 3 : 0;
    const bool mark = p.decimals > 0 && p.decimalMark;
    const std::size_t body = n + groups + (p.decimals > 0 ? frac.size() + (mark ? 1 : 0) : 0);
    char lead = 0, trail = 0;
    switch (p.sign) {
    case Picture::Sign::leading:
        if (neg) lead = '-';
        break;
    case Picture::Sign::parentheses:
        if (neg) lead = '(';
        trail = neg ? ')' : ' ';
        break;
    case Picture::Sign::trailing:
        trail = neg ? '-' : ' ';
        break;
    }
    const std::size_t used = (lead ? 1 : 0) + body + (trail ? 1 : 0);
    if (used > width) {
        out.append(width, '#');
        return;
    }
    if (p.fill == ' ') out.append(width - used, ' ');
    if (lead) out += lead;
    if (p.fill != ' ') out.append(width - used, p.fill);
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && groups && (n - k) % 3 == 0) out += p.grouping;
        out += intPart[k];
    }
    if (p.decimals > 0) {
        if (mark) out += p.decimalMark;
        out.append(frac);
    }
    if (trail) out += trail;
}

std::string layOutNumber(const std::string& fixed, bool negative, const Picture& p) {
    std::string out;
    appendLaidOut(out, fixed, negative, p);
    return out;
}

std::string formatNumber(double v, const Picture& p) {
    if (!std::isfinite(v)) return hashes(p.width);
    return layOutNumber(numeric::toFixed(std::fabs(v), p.decimals), v < 0, p);
}

const std::array<const char*, 12> kMonthNames = {"Ocak",  "Şubat",   "Mart",   "Nisan",
                                                 "Mayıs", "Haziran", "Temmuz", "Ağustos",
                                                 "Eylül", "Ekim",    "Kasım",  "Aralık"};
const std::array<const char*, 7> kDayNames = {"Pazar",    "Pazartesi", "Salı",     "Çarşamba",
                                              "Perşembe", "Cuma",      "Cumartesi"};

std::string two(int v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}
std::string four(int v) {
    return two(v / 100) + two(v % 100);
}
// First element of a date or time: its leading zero becomes a blank unless zero-filled.
std::string firstTwo(int v, bool zeroFilled) {
    return (!zeroFilled && v < 10) ? " " + std::string(1, static_cast<char>('0' + v)) : two(v);
}

std::string formatDate(double v, const Picture& p) {
    const double n = std::floor(v);
    if (!std::isfinite(v) || n <= 0) return blanks(p.width);
    const Date d =
        Date::fromDayNumber(n > kLastDayNumber ? kLastDayNumber : static_cast<std::int32_t>(n));
    const std::string s(1, p.separator);
    const bool z = p.zeroFilled;
    switch (p.style) {
    case 1:
        return firstTwo(d.month, z) + s + two(d.day) + s + two(d.year % 100);
    case 2:
        return firstTwo(d.month, z) + s + two(d.day) + s + four(d.year);
    case 5:
        return firstTwo(d.day, z) + s + two(d.month) + s + two(d.year % 100);
    case 6:
        return firstTwo(d.day, z) + s + two(d.month) + s + four(d.year);
    case 9:
        return two(d.year % 100) + s + two(d.month) + s + two(d.day);
    case 10:
        return four(d.year) + s + two(d.month) + s + two(d.day);
    case 11:
        return two(d.year % 100) + two(d.month) + two(d.day);
    case 12:
        return four(d.year) + two(d.month) + two(d.day);
    case 13:
        return firstTwo(d.month, z) + s + two(d.year % 100);
    case 14:
        return firstTwo(d.month, z) + s + four(d.year);
    case 15:
        return two(d.year % 100) + s + two(d.month);
    case 16:
        return four(d.year) + s + two(d.month);
    case 17:
        return two(d.day) + "." + two(d.month) + "." + four(d.year);
    case 18:
        return std::to_string(d.day) + " " + kMonthNames[static_cast<std::size_t>(d.month - 1)] +
               " " + std::to_string(d.year) + " " +
               kDayNames[static_cast<std::size_t>(d.weekday())];
    default:
        return blanks(p.width);
    }
}

std::string formatTime(double v, const Picture& p) {
    if (!std::isfinite(v) || v < 1 || v > 8640000) return blanks(p.width);
    const Time t = Time::fromClockValue(static_cast<std::int32_t>(v));
    const bool z = p.zeroFilled;
    int h12 = t.hour % 12;
    if (h12 == 0) h12 = 12;
    const std::string xm = t.hour < 12 ? "AM" : "PM";
    switch (p.style) {
    case 1:
        return firstTwo(t.hour, z) + ":" + two(t.minute);
    case 2:
        return two(t.hour) + two(t.minute);
    case 3:
        return firstTwo(h12, z) + ":" + two(t.minute) + xm;
    case 4:
        return firstTwo(t.hour, z) + ":" + two(t.minute) + ":" + two(t.second);
    case 5:
        return two(t.hour) + two(t.minute) + two(t.second);
    case 6:
        return firstTwo(h12, z) + ":" + two(t.minute) + ":" + two(t.second) + xm;
    default:
        return blanks(p.width);
    }
}

std::string formatPattern(double v, const Picture& p) {
    if (!std::isfinite(v)) return hashes(p.width);
    const double r = numeric::round(v, 0);
    if (r == 0 && p.blankWhenZero) return blanks(p.width);
    if (r < 0 || r >= 1e18) return hashes(p.width);
    const std::string digits = numeric::toFixed(r, 0);
    // Characters of the pattern, right to left.
    std::vector<std::string> chars;
    for (std::size_t k = 1; k <= text::length(p.pattern); ++k)
        chars.push_back(text::sub(p.pattern, k, 1));
    std::size_t places = 0;
    for (const auto& c : chars)
        places += (c == "#" || c == "<");
    if (digits.size() > places && digits != "0") return hashes(p.width);
    std::string out;
    std::vector<std::string> rev;
    std::size_t used = 0;
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
        if (*it == "#" || *it == "<") {
            const bool have = used < digits.size();
            const char d = have ? digits[digits.size() - 1 - used] : '0';
            rev.push_back(*it == "<" && !have ? " " : std::string(1, d));
            ++used;
        } else {
            rev.push_back(*it);
        }
    }
    for (auto it = rev.rbegin(); it != rev.rend(); ++it)
        out += *it;
    return out;
}

Result<std::string> formatValue(double v, const Picture& p) {
    switch (p.kind) {
    case Kind::number:
        return formatNumber(v, p);
    case Kind::date:
        return formatDate(v, p);
    case Kind::time:
        return formatTime(v, p);
    case Kind::pattern:
        return formatPattern(v, p);
    case Kind::text:
        return text::pad(std::isfinite(v) ? numeric::shortest(v) : std::string(),
                         static_cast<std::size_t>(p.width));
    }
    return std::string();
}

// ---- DEFORMAT ----

Error notA(std::string_view text, const char* what) {
    return Error::of(0, "\"" + std::string(text) + "\" " + what);
}

Result<double> deformatNumberText(std::string_view text, const Picture& p) {
    std::string t = text::trim(text);
    if (t.empty()) return 0.0;
    bool neg = false;
    if (t.front() == '(' && t.back() == ')') {
        neg = true;
        t = text::trim(t.substr(1, t.size() - 2));
    } else if (t.front() == '-') {
        neg = true;
        t = text::trim(t.substr(1));
    } else if (t.back() == '-') {
        neg = true;
        t = text::trim(t.substr(0, t.size() - 1));
    }
    std::size_t b = 0;
    while (b < t.size() && t[b] == '*')
        ++b;
    t = t.substr(b);
    const char mark = p.decimalMark ? p.decimalMark : 0;
    const char grouping = p.grouping ? p.grouping : (mark == '.' ? ',' : 0);
    std::string intPart = t, frac;
    if (mark) {
        const std::size_t m = t.find(mark);
        if (m != std::string::npos) {
            intPart = t.substr(0, m);
            frac = t.substr(m + 1);
            if (frac.empty() && intPart.empty()) return notA(text, "bir sayı değil.");
        }
    }
    for (char c : frac) {
        if (!isDigit(c)) return notA(text, "bir sayı değil.");
    }
    std::string digits;
    std::vector<std::size_t> groups{0};
    for (char c : intPart) {
        if (isDigit(c)) {
            digits.push_back(c);
            ++groups.back();
        } else if (grouping && c == grouping)
            groups.push_back(0);
        else
            return notA(text, "bir sayı değil.");
    }
    if (groups.size() > 1) {
        if (groups.front() < 1 || groups.front() > 3)
            return notA(text, "bir sayı değil: basamak grupları hatalı.");
        for (std::size_t k = 1; k < groups.size(); ++k) {
            if (groups[k] != 3) return notA(text, "bir sayı değil: basamak grupları hatalı.");
        }
    }
    if (digits.empty() && frac.empty()) return notA(text, "bir sayı değil.");
    std::string plain = (neg ? "-" : "") + (digits.empty() ? std::string("0") : digits);
    if (!frac.empty()) plain += "." + frac;
    auto v = numeric::parse(plain);
    if (!v) return notA(text, "bir sayı değil.");
    double value = *v;
    if (p.kind == Kind::number && p.decimals > 0 && !p.decimalMark && frac.empty()) {
        value /= std::pow(10.0, p.decimals); // implied decimal mark: the last digits are decimals
        value = numeric::round(value, p.decimals);
    }
    return value == 0.0 ? 0.0 : value;
}

std::vector<std::string> splitDigits(std::string_view t) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : t) {
        if (isDigit(c))
            cur.push_back(c);
        else if (!cur.empty()) {
            parts.push_back(cur);
            cur.clear();
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

int yearOf(const std::string& s) {
    const int y = std::atoi(s.c_str());
    if (s.size() <= 2) return y < 50 ? 2000 + y : 1900 + y; // two-digit years: 1950..2049
    return y;
}

Result<Date> deformatDateText(std::string_view text, const Picture& p) {
    const std::string t = text::trim(text);
    if (t.empty()) return Date{};
    int d = 1, m = 0, y = 0;
    if (p.style == 18) {
        // "29 Şubat 2016 Pazartesi": day, month name, year; the weekday is not needed.
        const auto parts = splitDigits(t);
        const std::string up = text::upperTr(t);
        for (std::size_t k = 0; k < kMonthNames.size(); ++k) {
            if (text::find(text::upperTr(kMonthNames[k]), up) != 0) m = static_cast<int>(k) + 1;
        }
        if (parts.size() != 2 || m == 0) return notA(text, "geçerli bir tarih değil.");
        d = std::atoi(parts[0].c_str());
        y = yearOf(parts[1]);
    } else if (p.style == 11 || p.style == 12) {
        const std::size_t yl = p.style == 11 ? 2 : 4;
        if (t.size() != yl + 4 || splitDigits(t).size() != 1)
            return notA(text, "geçerli bir tarih değil.");
        y = yearOf(t.substr(0, yl));
        m = std::atoi(t.substr(yl, 2).c_str());
        d = std::atoi(t.substr(yl + 2, 2).c_str());
    } else {
        for (char c : t) {
            if (!isDigit(c) && c != '.' && c != '/' && c != '-' && c != ',' && c != ' ')
                return notA(text, "geçerli bir tarih değil.");
        }
        const auto parts = splitDigits(t);
        const bool withDay = p.style <= 12 || p.style == 17;
        if (parts.size() != (withDay ? 3u : 2u)) return notA(text, "geçerli bir tarih değil.");
        auto num = [&](std::size_t k) { return std::atoi(parts[k].c_str()); };
        switch (p.style) {
        case 1:
        case 2:
            m = num(0);
            d = num(1);
            y = yearOf(parts[2]);
            break;
        case 5:
        case 6:
        case 17:
            d = num(0);
            m = num(1);
            y = yearOf(parts[2]);
            break;
        case 9:
        case 10:
            y = yearOf(parts[0]);
            m = num(1);
            d = num(2);
            break;
        case 13:
        case 14:
            m = num(0);
            y = yearOf(parts[1]);
            break;
        case 15:
        case 16:
            y = yearOf(parts[0]);
            m = num(1);
            break;
        default:
            return notA(text, "geçerli bir tarih değil.");
        }
    }
    if (d < 1 || d > 31 || m < 1 || m > 12 || y < 1 || y > 9999)
        return notA(text, "geçerli bir tarih değil.");
    const Date out{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                   static_cast<std::uint16_t>(y)};
    if (!out.isValid()) return notA(text, "geçerli bir tarih değil.");
    return out;
}

Result<double> deformatTimeText(std::string_view text, const Picture& p) {
    std::string t = text::upperTr(text::trim(text));
    if (t.empty()) return 0.0;
    int pm = -1;
    if (t.size() >= 2 && (t.ends_with("AM") || t.ends_with("PM"))) {
        pm = t.ends_with("PM");
        t = text::trim(t.substr(0, t.size() - 2));
    }
    for (char c : t) {
        if (!isDigit(c) && c != ':' && c != '.' && c != ' ')
            return notA(text, "geçerli bir saat değil.");
    }
    auto parts = splitDigits(t);
    if (parts.size() == 1 && (p.style == 2 || p.style == 5) &&
        (parts[0].size() == 4 || parts[0].size() == 6)) {
        const std::string s = parts[0];
        parts.clear();
        for (std::size_t k = 0; k < s.size(); k += 2)
            parts.push_back(s.substr(k, 2));
    }
    if (parts.size() < 2 || parts.size() > 3) return notA(text, "geçerli bir saat değil.");
    int h = std::atoi(parts[0].c_str());
    const int mi = std::atoi(parts[1].c_str());
    const int s = parts.size() == 3 ? std::atoi(parts[2].c_str()) : 0;
    if (pm >= 0) {
        if (h < 1 || h > 12) return notA(text, "geçerli bir saat değil.");
        h = h % 12 + (pm ? 12 : 0);
    }
    if (h > 23 || mi > 59 || s > 59) return notA(text, "geçerli bir saat değil.");
    return static_cast<double>(h * 360000 + mi * 6000 + s * 100 + 1); // midnight is clock value 1
}

Result<double> deformatPatternText(std::string_view text, const Picture& p) {
    const std::string t = text::trim(text);
    std::string digits;
    for (std::size_t k = 1; k <= text::length(t); ++k) {
        const std::string c = text::sub(t, k, 1);
        if (c.size() == 1 && isDigit(c[0]))
            digits += c;
        else if (c != " " && (c == "#" || c == "<" || text::find(c, p.pattern) == 0))
            return notA(text, "desene uymuyor.");
    }
    std::size_t places = 0;
    for (char c : p.pattern)
        places += (c == '#' || c == '<');
    if (digits.size() > places) return notA(text, "desene uymuyor: fazla rakam.");
    if (digits.empty()) return 0.0;
    return std::strtod(digits.c_str(), nullptr);
}

} // namespace

Result<Picture> parse(std::string_view picture) {
    std::string_view r = picture;
    if (!r.empty() && r.front() == '@') r.remove_prefix(1);
    if (r.empty()) return bad(picture, "boş");
    const char k = lower(r.front());
    r.remove_prefix(1);
    switch (k) {
    case 'n':
        return parseNumber(picture, r);
    case 'd':
        return parseDateOrTime(picture, r, Kind::date);
    case 't':
        return parseDateOrTime(picture, r, Kind::time);
    case 's':
        return parseText(picture, r);
    case 'p':
        return parsePattern(picture, r);
    default:
        return bad(picture, "bilinmeyen resim türü");
    }
}

Result<std::string> formatChecked(double value, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return p.error();
    return formatValue(value, *p);
}

Result<std::string> formatChecked(std::string_view textValue, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return p.error();
    if (p->kind == Kind::text) return text::pad(textValue, static_cast<std::size_t>(p->width));
    if (text::trim(textValue).empty()) return formatValue(0, *p);
    auto v = numeric::parse(textValue);
    if (!v) return v.error();
    return formatValue(*v, *p);
}

std::string format(double value, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return "???";
    return *formatValue(value, *p);
}

std::string format(double value, const Picture& p) {
    return *formatValue(value, p);
}

std::string format(std::string_view textValue, const Picture& p) {
    if (p.kind == Kind::text) return text::pad(textValue, static_cast<std::size_t>(p.width));
    if (text::trim(textValue).empty()) return *formatValue(0, p);
    auto v = numeric::parse(textValue);
    if (!v) return hashes(p.width);
    return *formatValue(*v, p);
}

void appendScaled(std::string& out, std::int64_t units, int scale, const Picture& p) {
    if (p.kind != Kind::number || scale < 0 || scale > 18) {
        out += "???";
        return;
    }
    // The magnitude without the sign: INT64_MIN has no positive counterpart in int64.
    const std::uint64_t m = units < 0 ? 0 - static_cast<std::uint64_t>(units)
                                      : static_cast<std::uint64_t>(units);
    auto pow10 = [](int n) {
        std::uint64_t r = 1;
        for (int i = 0; i < n; ++i) r *= 10;
        return r;
    };
    // Down to the picture's decimals, halves away from zero (the sign is kept apart, as
    // toFixed does).
    const int keep = std::max(std::min(p.decimals, scale), 0);
    std::uint64_t q = m;
    if (keep < scale) {
        const std::uint64_t d = pow10(scale - keep);
        const std::uint64_t r = m % d;
        q = m / d + (r >= d - r ? 1 : 0);
    }
    // The digits of q, the last `keep` of them after the mark, then the zeros of the picture's
    // further decimals: what toFixed gives, built on the stack.
    char digits[24];
    std::size_t nd = 0;
    do {
        digits[nd++] = static_cast<char>('0' + q % 10);
        q /= 10;
    } while (q != 0);
    const auto kept = static_cast<std::size_t>(keep);
    while (nd < kept + 1) digits[nd++] = '0';
    const auto decimals = static_cast<std::size_t>(std::max(p.decimals, 0));
    char buf[64];
    std::string big;
    char* f = buf;
    if (nd + 1 + decimals > sizeof buf) {
        big.resize(nd + 1 + decimals);
        f = big.data();
    }
    std::size_t len = 0;
    for (std::size_t i = nd; i-- > kept;) f[len++] = digits[i];
    if (decimals > 0) {
        f[len++] = '.';
        for (std::size_t i = kept; i-- > 0;) f[len++] = digits[i];
        for (std::size_t i = kept; i < decimals; ++i) f[len++] = '0';
    }
    appendLaidOut(out, std::string_view(f, len), units < 0, p);
}

std::string formatScaled(std::int64_t units, int scale, const Picture& p) {
    std::string out;
    appendScaled(out, units, scale, p);
    return out;
}

std::string format(const Date& date, std::string_view picture) {
    return format(static_cast<double>(date.dayNumber()), picture);
}

std::string format(std::string_view textValue, std::string_view picture) {
    auto r = formatChecked(textValue, picture);
    if (r) return *r;
    auto p = parse(picture);
    return p ? hashes(p->width) : "???";
}

Result<double> deformatNumber(std::string_view textValue, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return p.error();
    switch (p->kind) {
    case Kind::number:
        return deformatNumberText(textValue, *p);
    case Kind::date: {
        auto d = deformatDateText(textValue, *p);
        if (!d) return d.error();
        return static_cast<double>(d->dayNumber());
    }
    case Kind::time:
        return deformatTimeText(textValue, *p);
    case Kind::pattern:
        return deformatPatternText(textValue, *p);
    case Kind::text: {
        Picture plain;
        plain.kind = Kind::number;
        return deformatNumberText(textValue, plain);
    }
    }
    return 0.0;
}

Result<Date> deformatDate(std::string_view textValue, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return p.error();
    if (p->kind != Kind::date) return bad(picture, "tarih resmi değil");
    return deformatDateText(textValue, *p);
}

Result<std::string> deformat(std::string_view textValue, std::string_view picture) {
    auto p = parse(picture);
    if (!p) return p.error();
    if (p->kind == Kind::text) return std::string(textValue);
    auto v = deformatNumber(textValue, picture);
    if (!v) return v.error();
    return numeric::shortest(*v);
}

} // namespace hk::core::picture
