#include "expr/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using hk::expr::Number;

namespace {

Number n(const char* text) {
    Number r;
    EXPECT_TRUE(Number::parse(text, r)) << text;
    return r;
}

TEST(Number, ReadsAndWritesPlainDecimals) {
    for (auto [in, out] : {std::pair{"12.50", "12.5"}, {" -0.10 ", "-0.1"}, {"1500", "1500"}, {".5", "0.5"},
                           {"5.", "5"}, {"-0", "0"}, {"0.0000000014", "0.000000001"},
                           {"0.0000000015", "0.000000002"}, {"+7", "7"}}) {
        EXPECT_EQ(n(in).toString(), out) << in;
    }
    Number r;
    for (const char* bad : {"", " ", "1e5", "1,5", "--1", ".", "1.2.3", "12a", "100000000000000000000000000000"})
        EXPECT_FALSE(Number::parse(bad, r)) << bad;
}

TEST(Number, DoublesBecomeTheDecimalTheyStandFor) {
    Number r;
    for (auto [d, out] : {std::pair{1234.56, "1234.56"}, {0.1, "0.1"}, {-2.675, "-2.675"},
                          {123456789012.34, "123456789012.34"}, {1e-12, "0"}, {1.0 / 3, "0.333333333"}}) {
        ASSERT_TRUE(Number::fromDouble(d, r)) << d;
        EXPECT_EQ(r.toString(), out) << d;
    }
    EXPECT_FALSE(Number::fromDouble(std::nan(""), r));
    EXPECT_FALSE(Number::fromDouble(std::numeric_limits<double>::infinity(), r));
    EXPECT_FALSE(Number::fromDouble(1e30, r));
}

TEST(Number, ArithmeticIsCheckedAtTheEdgesOfItsRange) {
    Number r;
    const Number big = n("9999999999999999999999999999"); // just below 10^28
    EXPECT_FALSE(Number::add(big, n("1"), r));
    EXPECT_TRUE(Number::sub(big, n("1"), r));
    EXPECT_FALSE(Number::mul(big, n("10"), r));
    EXPECT_TRUE(Number::mul(big, n("0.1"), r));
    EXPECT_EQ(r.toString(), "999999999999999999999999999.9");
    // Large factors whose product needs the split path.
    ASSERT_TRUE(Number::mul(n("123456789012345678.5"), n("2.000000001"), r));
    EXPECT_EQ(r.toString(), "246913578148148146.012345679");
    ASSERT_TRUE(Number::div(big, n("3"), r));
    EXPECT_EQ(r.toString(), "3333333333333333333333333333");
    EXPECT_FALSE(Number::div(n("1"), n("0"), r));
    EXPECT_FALSE(Number::div(big, n("0.0001"), r));
    EXPECT_FALSE(Number::mod(n("1"), n("0"), r));
    ASSERT_TRUE(Number::pow(n("2"), n("0.5"), r));
    EXPECT_EQ(r.toString(), "1.414213562");
    ASSERT_TRUE(Number::pow(n("10"), n("-3"), r));
    EXPECT_EQ(r.toString(), "0.001");
    EXPECT_FALSE(Number::pow(n("0"), n("-1"), r));
}

} // namespace
