#include "expr/number.h"

#include <cmath>

namespace hk::expr {

namespace {

using Units = Number::Units;

bool inRange(Units u) {
    return u < Number::kMaxUnits && u > -Number::kMaxUnits;
}

// n / d rounded half away from zero; d != 0.
Units divRound(Units n, Units d) {
    Units q = n / d;
    Units r = n % d;
    if (r != 0) {
        Units ar = r < 0 ? -r : r;
        Units ad = d < 0 ? -d : d;
        if (ar >= ad - ar) q += ((n < 0) != (d < 0)) ? -1 : 1;
    }
    return q;
}

Units pow10(int n) {
    static constexpr std::int64_t small[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                             100000000, 1000000000};
    if (n <= 9) return small[n];
    Units p = small[9];
    for (int i = 9; i < n; ++i) p *= 10;
    return p;
}

} // namespace

bool Number::fromDouble(double v, Number& out) {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                        1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
                                        1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28};
    if (!std::isfinite(v)) return false;
    const double a = std::fabs(v);
    if (a >= 1e28) return false;
    // Keep 15 significant digits (at most 9 decimals): a double holds no more, and the digits
    // beyond them are the binary noise that would otherwise show as 1234.5600000001. The scaled
    // value stays below 10^15, where a double still holds every whole number exactly.
    int intDigits = 0;
    while (intDigits < 28 && a >= kPow10[intDigits]) ++intDigits;
    int places = 15 - intDigits;
    if (places > kDecimals) places = kDecimals;
    const double scaled = places >= 0 ? std::round(a * kPow10[places]) : std::round(a / kPow10[-places]);
    const Units u = static_cast<Units>(static_cast<std::int64_t>(scaled)) * pow10(kDecimals - places);
    if (!inRange(u)) return false;
    out = Number(v < 0 ? -u : u);
    return true;
}

bool Number::parse(std::string_view s, Number& out) {
    std::size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    if (i == n) return false;
    bool neg = false;
    if (s[i] == '-' || s[i] == '+') {
        neg = s[i] == '-';
        ++i;
    }
    Units u = 0;
    int digits = 0, decimals = 0;
    bool point = false, roundUp = false, any = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c == '.') {
            if (point) return false;
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        any = true;
        const int d = c - '0';
        if (point) {
            if (decimals < kDecimals) {
                u = u * 10 + d;
                ++decimals;
            } else if (decimals++ == kDecimals) {
                roundUp = d >= 5; // the first dropped digit decides; later ones only must be digits
            }
            continue;
        }
        if (digits || d != 0) ++digits;
        if (digits > 29) return false;
        u = u * 10 + d;
    }
    if (!any) return false;
    const int used = decimals > kDecimals ? kDecimals : decimals;
    u *= pow10(kDecimals - used);
    if (roundUp) ++u;
    if (!inRange(u)) return false;
    out = Number(neg ? -u : u);
    return true;
}

double Number::toDouble() const {
    return static_cast<double>(static_cast<long double>(units_) / static_cast<long double>(kScale));
}

bool Number::toInt64(std::int64_t& out) const {
    const Units t = units_ / kScale;
    if (t > INT64_MAX || t < INT64_MIN) return false;
    out = static_cast<std::int64_t>(t);
    return true;
}

void Number::appendTo(std::string& out) const {
    Units u = units_;
    if (u < 0) {
        out.push_back('-');
        u = -u;
    }
    char buf[64];
    int len = 0;
    Units whole = u / kScale;
    auto frac = static_cast<std::int64_t>(u % kScale);
    do {
        buf[len++] = static_cast<char>('0' + static_cast<int>(whole % 10));
        whole /= 10;
    } while (whole != 0);
    while (len) out.push_back(buf[--len]);
    if (frac != 0) {
        char f[kDecimals];
        for (int k = kDecimals - 1; k >= 0; --k) {
            f[k] = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        int last = kDecimals;
        while (last > 0 && f[last - 1] == '0') --last;
        out.push_back('.');
        out.append(f, static_cast<std::size_t>(last));
    }
}

std::string Number::toString() const {
    std::string s;
    appendTo(s);
    return s;
}

bool Number::add(Number a, Number b, Number& out) {
    Units r;
    if (__builtin_add_overflow(a.units_, b.units_, &r) || !inRange(r)) return false;
    out = Number(r);
    return true;
}

bool Number::sub(Number a, Number b, Number& out) {
    Units r;
    if (__builtin_sub_overflow(a.units_, b.units_, &r) || !inRange(r)) return false;
    out = Number(r);
    return true;
}

bool Number::mul(Number a, Number b, Number& out) {
    Units p;
    if (!__builtin_mul_overflow(a.units_, b.units_, &p)) {
        const Units r = divRound(p, kScale);
        if (!inRange(r)) return false;
        out = Number(r);
        return true;
    }
    // a*b/S = ah*bh*S + ah*bl + al*bh + al*bl/S with x = xh*S + xl; only the last part rounds.
    const Units ah = a.units_ / kScale, al = a.units_ % kScale;
    const Units bh = b.units_ / kScale, bl = b.units_ % kScale;
    Units hh, r = divRound(al * bl, kScale);
    if (__builtin_mul_overflow(ah, bh, &hh) || __builtin_mul_overflow(hh, Units(kScale), &hh))
        return false;
    for (Units part : {hh, ah * bl, al * bh})
        if (__builtin_add_overflow(r, part, &r)) return false;
    if (!inRange(r)) return false;
    out = Number(r);
    return true;
}

bool Number::div(Number a, Number b, Number& out) {
    if (b.units_ == 0) return false;
    Units n;
    Units r;
    if (!__builtin_mul_overflow(a.units_, Units(kScale), &n)) {
        r = divRound(n, b.units_);
    } else {
        // Long division, one decimal digit at a time, for dividends too large to scale at once.
        const bool neg = (a.units_ < 0) != (b.units_ < 0);
        const Units x = a.units_ < 0 ? -a.units_ : a.units_;
        const Units d = b.units_ < 0 ? -b.units_ : b.units_;
        Units q = x / d, rem = x % d;
        for (int k = 0; k < kDecimals; ++k) {
            if (__builtin_mul_overflow(q, Units(10), &q)) return false;
            rem *= 10; // rem < d <= kMaxUnits, so ten times it still fits
            q += rem / d;
            rem %= d;
        }
        if (rem >= d - rem) ++q;
        r = neg ? -q : q;
    }
    if (!inRange(r)) return false;
    out = Number(r);
    return true;
}

bool Number::mod(Number a, Number b, Number& out) {
    if (b.units_ == 0) return false;
    out = Number(a.units_ % b.units_);
    return true;
}

bool Number::pow(Number a, Number b, Number& out) {
    std::int64_t e;
    if (b.isInteger() && b.toInt64(e) && e >= -64 && e <= 64) {
        Number base = a, acc = fromInt(1);
        std::int64_t k = e < 0 ? -e : e;
        while (k) {
            if (k & 1) {
                if (!mul(acc, base, acc)) return false;
            }
            k >>= 1;
            if (k && !mul(base, base, base)) return false;
        }
        if (e < 0) return div(fromInt(1), acc, out);
        out = acc;
        return true;
    }
    return fromDouble(std::pow(a.toDouble(), b.toDouble()), out);
}

bool Number::roundToStep(Number a, Number step, Number& out) {
    if (step.units_ <= 0) {
        out = a;
        return true;
    }
    const Units q = divRound(a.units_, step.units_);
    Units r;
    if (__builtin_mul_overflow(q, step.units_, &r) || !inRange(r)) return false;
    out = Number(r);
    return true;
}

} // namespace hk::expr
