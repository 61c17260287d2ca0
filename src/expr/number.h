#pragma once
// The exact decimal number of the expression language. A Number is a count of billionths held in
// a 128-bit integer, so sums and differences of amounts are exact (0.1 + 0.2 is 0.3, and adding a
// million two-decimal amounts never drifts), products are exact up to nine decimals, and
// quotients are rounded half away from zero at the ninth decimal (1 / 3 = 0.333333333).
//
// Invariant: |units| < kMaxUnits (numbers below 10^28). Every operation checks its result and
// reports overflow as failure instead of wrapping; nothing here throws or allocates.

#include <cstdint>
#include <string>
#include <string_view>

namespace hk::expr {

class Number {
  public:
    __extension__ typedef __int128 Units;
    static constexpr int kDecimals = 9;
    static constexpr std::int64_t kScale = 1'000'000'000;
    static constexpr Units kMaxUnits = Units(10'000'000'000'000'000'000ULL) * 1'000'000'000'000'000'000LL;

    constexpr Number() = default;
    static constexpr Number fromUnits(Units u) { return Number(u); }
    static Number fromInt(std::int64_t v) { return Number(Units(v) * kScale); }
    // A double as the decimal it stands for: at most 15 significant digits, at most 9 decimals, so
    // a REAL field holding 1234.56 becomes exactly 1234.56. False for NaN, infinities and
    // magnitudes at or above 10^28.
    static bool fromDouble(double v, Number& out);
    // Plain decimal text: optional blanks, sign, digits with an optional decimal point (".5" and
    // "5." accepted), optional blanks. Digits beyond the ninth decimal are rounded half away from
    // zero. Blank text is refused here; callers decide what blank means.
    static bool parse(std::string_view text, Number& out);

    Units units() const { return units_; }
    bool isZero() const { return units_ == 0; }
    bool isNegative() const { return units_ < 0; }
    bool isInteger() const { return units_ % kScale == 0; }
    double toDouble() const;
    // Truncated toward zero; false when it does not fit 64 bits.
    bool toInt64(std::int64_t& out) const;

    // Plain decimal notation: no exponent, no grouping, no trailing zeros, no decimal point for
    // whole numbers, "-" only for values below zero ("2.5", "-0.1", "1500").
    std::string toString() const;
    void appendTo(std::string& out) const;

    // Checked arithmetic: false on overflow or division by zero, `out` then unspecified.
    static bool add(Number a, Number b, Number& out);
    static bool sub(Number a, Number b, Number& out);
    static bool mul(Number a, Number b, Number& out);
    static bool div(Number a, Number b, Number& out);
    static bool mod(Number a, Number b, Number& out); // sign of the dividend, exact
    static bool pow(Number a, Number b, Number& out); // whole exponents exact, others via double
    // Nearest multiple of step, halves away from zero; a step of 0 or less leaves a unchanged.
    static bool roundToStep(Number a, Number step, Number& out);
    Number truncated() const { return Number(units_ - units_ % kScale); }
    Number negated() const { return Number(-units_); }
    Number abs() const { return Number(units_ < 0 ? -units_ : units_); }

    friend bool operator==(Number a, Number b) { return a.units_ == b.units_; }
    friend bool operator<(Number a, Number b) { return a.units_ < b.units_; }

  private:
    constexpr explicit Number(Units u) : units_(u) {}
    Units units_ = 0;
};

} // namespace hk::expr
