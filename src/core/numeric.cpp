#include "core/numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace hk::core::numeric {

namespace {

// Magnitude of a finite value as its shortest round-trip decimal digits and the number of those
// digits that stand before the decimal point (may be <= 0 or beyond the digit count).
struct Digits {
    std::string d; // no leading zeros except for the value 0 ("0")
    int point = 0; // value = 0.d * 10^point
};

Digits digitsOf(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
    std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = s.find('e');
    Digits out;
    for (char c : s.substr(0, e)) {
        if (c != '.') out.d.push_back(c);
    }
    out.point = std::atoi(std::string(s.substr(e + 1)).c_str()) + 1;
    while (out.d.size() > 1 && out.d.back() == '0')
        out.d.pop_back();
    if (out.d == "0") out.point = 1;
    return out;
}

// Rounds the digits so that `places` decimals remain; halves go up (away from zero, as the sign is
// kept apart).
Digits roundDigits(Digits x, int places) {
    const long keep = static_cast<long>(x.point) + places;
    if (keep >= static_cast<long>(x.d.size())) return x;
    if (keep < 0) return Digits{"0", 1};
    const bool up = x.d[static_cast<std::size_t>(keep)] >= '5';
    x.d.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = static_cast<int>(x.d.size()) - 1;
        while (i >= 0 && x.d[static_cast<std::size_t>(i)] == '9')
            x.d[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            x.d.insert(x.d.begin(), '1');
            ++x.point;
        } else {
            ++x.d[static_cast<std::size_t>(i)];
        }
    }
    while (!x.d.empty() && x.d.back() == '0')
        x.d.pop_back();
    if (x.d.empty()) return Digits{"0", 1};
    return x;
}

double toDouble(const Digits& x, bool negative) {
    if (x.d == "0") return 0.0;
    std::string s = (negative ? "-0." : "0.") + x.d + "e" + std::to_string(x.point);
    return std::strtod(s.c_str(), nullptr);
}

// Plain text of the digits with exactly `places` decimals (places >= 0).
std::string plain(const Digits& x, int places) {
    std::string intPart, frac;
    for (int i = 0; i < x.point; ++i)
        intPart.push_back(i < static_cast<int>(x.d.size()) ? x.d[static_cast<std::size_t>(i)]
                                                           : '0');
    if (intPart.empty()) intPart = "0";
    for (int i = 0; i < places; ++i) {
        const int at = x.point + i;
        frac.push_back(
            at >= 0 && at < static_cast<int>(x.d.size()) ? x.d[static_cast<std::size_t>(at)] : '0');
    }
    if (x.d == "0") intPart = "0";
    return places > 0 ? intPart + "." + frac : intPart;
}

constexpr Decimal::Units pow10(int n) {
    Decimal::Units r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

constexpr Decimal::Units kLimit = pow10(Decimal::kDigits); // exclusive bound on |units|

Error overflow(const std::string& what) {
    return Error::of(0, "Tutar " + std::to_string(Decimal::kDigits) + " basamağı aşıyor: " + what);
}

} // namespace

double round(double value, int places) {
    if (!std::isfinite(value) || value == 0.0) return value == 0.0 ? 0.0 : value;
    return toDouble(roundDigits(digitsOf(value), places), value < 0);
}

double roundToStep(double value, double step) {
    if (!(step > 0) || !std::isfinite(value) || !std::isfinite(step)) return value;
    const Digits s = digitsOf(step);
    const int stepPlaces = static_cast<int>(s.d.size()) - s.point; // decimals of the step
    if (s.d == "1") return round(value, stepPlaces);               // a power of ten
    const double n = round(value / step, 0);
    return round(n * step, stepPlaces > 0 ? stepPlaces : 0);
}

std::string toFixed(double value, int places) {
    if (!std::isfinite(value)) return {};
    if (places < 0) places = 0;
    const Digits r = roundDigits(digitsOf(value), places);
    const std::string body = plain(r, places);
    return (value < 0 && r.d != "0") ? "-" + body : body;
}

std::string shortest(double value) {
    if (!std::isfinite(value)) return {};
    const Digits x = digitsOf(value);
    const int places = std::max(0, static_cast<int>(x.d.size()) - x.point);
    const std::string body = plain(x, places);
    return (value < 0 && x.d != "0") ? "-" + body : body;
}

Result<double> parse(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    const std::string_view t = text.substr(b, e - b);
    bool digit = false, ok = true;
    int points = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.')
            ++points;
        else if (!(c == '-' && i == 0))
            ok = false;
    }
    if (!ok || !digit || points > 1)
        return Error::of(0, "\"" + std::string(text) + "\" bir sayı değil.");
    return std::strtod(std::string(t).c_str(), nullptr);
}

bool realEqual(double a, double b) {
    const double diff = a - b;
    if (diff == 0.0) return true;
    if (!std::isfinite(diff)) return false;
    const int ed = std::ilogb(diff);
    const int ea = a == 0.0 ? std::ilogb(1.0) : std::ilogb(a);
    const int eb = b == 0.0 ? std::ilogb(1.0) : std::ilogb(b);
    return ea - ed > 50 || eb - ed > 50;
}

Result<Decimal> Decimal::fromUnits(Units u) {
    if (u >= kLimit || u <= -kLimit) return overflow("units");
    return Decimal(u);
}

Result<Decimal> Decimal::fromDouble(double value) {
    if (!std::isfinite(value)) return Error::of(0, "Tutar bir sayı değil.");
    const std::string t = toFixed(value, 2);
    if (t.size() > static_cast<std::size_t>(kDigits) + 2 + (value < 0 ? 1 : 0)) return overflow(t);
    return parse(t);
}

Result<Decimal> Decimal::parse(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool neg = false;
    if (i < text.size() && text[i] == '-') neg = true, ++i;
    Units u = 0;
    int intDigits = 0, decimals = -1;
    bool any = false;
    for (; i < text.size() && text[i] != ' '; ++i) {
        const char c = text[i];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9' || decimals >= 2)
            return Error::of(0, "\"" + std::string(text) + "\" iki ondalıklı bir tutar değil.");
        any = true;
        if (decimals >= 0)
            ++decimals;
        else if (u != 0 || c != '0')
            ++intDigits;
        if (intDigits > kDigits - 2) return overflow(std::string(text));
        u = u * 10 + (c - '0');
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (!any || i != text.size())
        return Error::of(0, "\"" + std::string(text) + "\" iki ondalıklı bir tutar değil.");
    for (int d = decimals < 0 ? 0 : decimals; d < 2; ++d)
        u *= 10;
    return Decimal(neg ? -u : u);
}

double Decimal::toDouble() const {
    return std::strtod(toString().c_str(), nullptr);
}

std::string Decimal::toString() const {
    Units a = units_ < 0 ? -units_ : units_;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
        a /= 10;
    } while (a != 0);
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    digits.insert(digits.end() - 2, '.');
    return units_ < 0 ? "-" + digits : digits;
}

Result<Decimal> Decimal::add(const Decimal& o) const {
    return fromUnits(units_ + o.units_);
}
Result<Decimal> Decimal::sub(const Decimal& o) const {
    return fromUnits(units_ - o.units_);
}

Result<Decimal> Decimal::mul(std::int64_t factor) const {
    // |units| < 10^21 and |factor| < 2^63 < 10^19: the product fits in 128 bits before the check.
    const Units f = factor;
    const Units absU = units_ < 0 ? -units_ : units_;
    const Units absF = f < 0 ? -f : f;
    if (absU != 0 && absF > (kLimit - 1) / absU)
        return overflow(toString() + " x " + std::to_string(factor));
    return Decimal(units_ * f);
}

Decimal Decimal::negated() const {
    return Decimal(-units_);
}

} // namespace hk::core::numeric
