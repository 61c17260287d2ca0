#pragma once
// Amount arithmetic as an accountant expects it. Amounts are 8-byte binary floating point, so
// rounding works on the value's decimal form (the shortest decimal text that reads back as the
// same double): 2.675 is held as 2.67499999999999982236431605997495353221893310546875, but its
// decimal form is "2.675", and ROUND(2.675, 2) gives 2.68. Halves round away from zero.

#include "core/result.h"

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace hk::core::numeric {

// ROUND to a number of decimal places (negative places round to tens, hundreds...). NaN and
// infinities come back unchanged; a result of zero is +0.
double round(double value, int places);
// ROUND(x, step) of the expression language: the nearest multiple of step (halves away from
// zero); a step of 0 or less leaves x unchanged.
double roundToStep(double value, double step);
// Plain decimal text with exactly `places` decimals (places >= 0), '.' as decimal point, no
// grouping, '-' only when the rounded value is not zero: toFixed(-1234.5, 2) = "-1234.50".
// Empty for NaN and infinities.
std::string toFixed(double value, int places);
// The shortest plain decimal text that reads back as the same double ("12.5", "1500", "0.1").
std::string shortest(double value);
// Reads plain decimal text ("-12.50", "1500", " 7 "); refuses anything else.
Result<double> parse(std::string_view text);

// Tolerant equality of two amounts: equal when their difference is 0 or when the binary exponent
// of the difference lies more than 50 below the binary exponent of either value (a value of 0
// counts with the exponent of 1.0). Absorbs the last-bit noise of sums of two-decimal amounts.
bool realEqual(double a, double b);

// Fixed-point amount for report accumulators: up to 21 significant digits, 2 of them decimals
// (|value| <= 9999999999999999999.99). Every operation that would leave that range reports an
// error instead of wrapping.
class Decimal {
  public:
    __extension__ typedef __int128 Units; // hundredths
    static constexpr int kDigits = 21;

    Decimal() = default;
    static Result<Decimal> fromDouble(double value); // rounded to 2 decimals as round() does
    static Result<Decimal> fromUnits(Units hundredths);
    static Result<Decimal> parse(std::string_view text);

    Units units() const { return units_; }
    double toDouble() const;
    std::string toString() const; // "-1234.56", always two decimals
    bool isZero() const { return units_ == 0; }

    Result<Decimal> add(const Decimal& other) const;
    Result<Decimal> sub(const Decimal& other) const;
    Result<Decimal> mul(std::int64_t factor) const;
    Decimal negated() const;

    friend bool operator==(const Decimal&, const Decimal&) = default;
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
        return a.units_ < b.units_   ? std::strong_ordering::less
               : a.units_ > b.units_ ? std::strong_ordering::greater
                                     : std::strong_ordering::equal;
    }

  private:
    explicit Decimal(Units u) : units_(u) {}
    Units units_ = 0;
};

} // namespace hk::core::numeric
