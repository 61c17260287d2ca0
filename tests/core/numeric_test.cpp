#include "core/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace nu = hk::core::numeric;
using nu::Decimal;

TEST(NumericRound, DecimalHalvesAwayFromZero) {
    struct Row { double v; int places; double want; };
    const Row rows[] = {
        {2.675, 2, 2.68},   {1.005, 2, 1.01},    {-2.675, 2, -2.68}, {2.5, 0, 3.0},     {-2.5, 0, -3.0},
        {0.125, 2, 0.13},   {1234.5678, -2, 1200}, {1250, -2, 1300}, {9.995, 2, 10.0},  {123.456, 1, 123.5},
        {0.1 + 0.2, 2, 0.3}, {1e-20, 2, 0.0},     {2.674999, 2, 2.67}, {1234567.891, 0, 1234568}, {45, 5, 45},
    };
    for (const auto& r : rows) EXPECT_EQ(nu::round(r.v, r.places), r.want) << r.v << " @" << r.places;
    EXPECT_FALSE(std::signbit(nu::round(-0.004, 2)));
    EXPECT_TRUE(std::isnan(nu::round(std::nan(""), 2)));
    EXPECT_EQ(nu::round(std::numeric_limits<double>::infinity(), 2), std::numeric_limits<double>::infinity());
}

TEST(NumericRound, ToStep) {
    struct Row { double v, step, want; };
    const Row rows[] = {{1.23, 0.05, 1.25}, {1.22, 0.05, 1.2}, {12345, 1000, 12000}, {2.675, 0.01, 2.68},
                        {7.3, 0, 7.3},      {-7.5, 1, -8},     {1234.5, 0.5, 1234.5}, {10, 4, 12}};
    for (const auto& r : rows) EXPECT_EQ(nu::roundToStep(r.v, r.step), r.want) << r.v << " step " << r.step;
}

TEST(NumericText, FixedAndShortest) {
    struct Row { double v; int places; const char* want; };
    const Row rows[] = {{-1234.5, 2, "-1234.50"}, {0, 2, "0.00"}, {-0.001, 2, "0.00"}, {5, 0, "5"},
                        {0.5, 0, "1"}, {123456789012.345, 2, "123456789012.35"}, {1e21, 0, "1000000000000000000000"},
                        {0.07, 4, "0.0700"}, {99.999, 2, "100.00"}};
    for (const auto& r : rows) EXPECT_EQ(nu::toFixed(r.v, r.places), r.want) << r.v;
    EXPECT_EQ(nu::shortest(12.5), "12.5");
    EXPECT_EQ(nu::shortest(1500), "1500");
    EXPECT_EQ(nu::shortest(0.1), "0.1");
    EXPECT_EQ(nu::shortest(-0.25), "-0.25");
    EXPECT_EQ(nu::shortest(1e-7), "0.0000001");
    EXPECT_EQ(nu::shortest(0), "0");
}

TEST(NumericText, Parse) {
    EXPECT_EQ(*nu::parse("  -12.50 "), -12.5);
    EXPECT_EQ(*nu::parse("1500"), 1500);
    EXPECT_EQ(*nu::parse(".5"), 0.5);
    for (const char* bad : {"", "  ", "abc", "1.2.3", "1-2", "1,5", "--1", "-", "."}) {
        auto r = nu::parse(bad);
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_NE(r.error().text.find("sayı değil"), std::string::npos);
    }
}

TEST(NumericEqual, TolerantComparison) {
    EXPECT_TRUE(nu::realEqual(0.1 + 0.2, 0.3));
    EXPECT_NE(0.1 + 0.2, 0.3); // the case the tolerance is for
    EXPECT_TRUE(nu::realEqual(1.0, 1.0 + std::ldexp(1.0, -51)));
    EXPECT_FALSE(nu::realEqual(1.0, 1.0 + std::ldexp(1.0, -49)));
    EXPECT_TRUE(nu::realEqual(0.0, 1e-16));  // 1e-16 has exponent -54, zero counts as 2^0
    EXPECT_FALSE(nu::realEqual(0.0, 1e-15)); // exponent -50: not more than 50 below
    EXPECT_TRUE(nu::realEqual(1234.56, 1234.56));
    EXPECT_FALSE(nu::realEqual(1234.56, 1234.57));
    EXPECT_FALSE(nu::realEqual(100.0, -100.0));
    EXPECT_TRUE(nu::realEqual(0.1 + 0.7, 0.8)); // 0.7999999999999999
}

TEST(NumericDecimal, ExactAccumulation) {
    Decimal sum;
    const Decimal cent = *Decimal::fromDouble(0.01);
    for (int i = 0; i < 1000; ++i) sum = *sum.add(cent);
    EXPECT_EQ(sum, *Decimal::parse("10.00"));
    EXPECT_EQ(sum.toDouble(), 10.0);
    EXPECT_EQ(Decimal::fromDouble(0.1)->add(*Decimal::fromDouble(0.2))->toString(), "0.30");
    EXPECT_EQ(Decimal::fromDouble(2.675)->toString(), "2.68");
    EXPECT_EQ(Decimal::fromDouble(-0.05)->toString(), "-0.05");
    EXPECT_EQ(Decimal::fromDouble(-1234567.891)->toString(), "-1234567.89");
    EXPECT_EQ(Decimal::parse("1234.5")->sub(*Decimal::parse("0.75"))->toString(), "1233.75");
    EXPECT_EQ(Decimal::parse("-12.34")->mul(-3)->toString(), "37.02");
    EXPECT_EQ(Decimal::parse("12.34")->negated().toString(), "-12.34");
    EXPECT_EQ(Decimal::parse("1234.56")->toDouble(), 1234.56);
    EXPECT_LT(*Decimal::parse("-1"), *Decimal::parse("0.01"));
    EXPECT_TRUE(Decimal().isZero());
}

TEST(NumericDecimal, RangeAndInputErrors) {
    const Decimal max = *Decimal::parse("9999999999999999999.99");
    EXPECT_EQ(max.toString(), "9999999999999999999.99");
    EXPECT_FALSE(max.add(*Decimal::parse("0.01")).ok());
    EXPECT_FALSE(max.negated().sub(*Decimal::parse("0.01")).ok());
    EXPECT_FALSE(max.mul(2).ok());
    EXPECT_FALSE(Decimal::parse("5")->mul(std::numeric_limits<std::int64_t>::max()).ok());
    EXPECT_FALSE(Decimal::parse("10000000000000000000").ok());
    EXPECT_FALSE(Decimal::fromDouble(1e20).ok());
    EXPECT_FALSE(Decimal::fromDouble(1e300).ok());
    EXPECT_FALSE(Decimal::fromDouble(std::nan("")).ok());
    EXPECT_FALSE(Decimal::fromDouble(std::numeric_limits<double>::infinity()).ok());
    for (const char* bad : {"", "1.234", "12a", "-", "1.2.3", "1 2"}) EXPECT_FALSE(Decimal::parse(bad).ok()) << bad;
    EXPECT_TRUE(Decimal::parse(" 0012.5 ").ok());
    EXPECT_EQ(Decimal::parse(" 0012.5 ")->toString(), "12.50");
}
