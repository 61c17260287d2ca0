#include "core/date.h"
#include "core/numeric.h"
#include "expr/expression.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using hk::expr::Bindings;
using hk::expr::BindingScope;
using hk::expr::Expression;
using hk::expr::IfadeHesapla;
using hk::expr::Number;
using hk::expr::Truth;

namespace {

// A few bound names of every variable type, as a report binds them.
struct Fixture {
    double amount = 1234.56;            // REAL
    std::int32_t count = 8;             // LONG
    std::int64_t big = 3;               // integer
    hk::core::numeric::Decimal total = hk::core::numeric::Decimal::parse("100.10").value();
    hk::core::Date day{29, 2, 2016};    // day number 78590
    std::string kind = "M";
    std::string name = "KASA HESABI   ";
    std::string blank;
    std::string word = "abc";
    Bindings b;
    Fixture() {
        b.bind("HSP:TLBORC", &amount);
        b.bind("Adet", &count);
        b.bind("BIG", &big);
        b.bind("TOPLAM", &total);
        b.bind("MFB:FISTRH", &day);
        b.bind("HSP:NTLK", &kind);
        b.bind("HSP:HESAPAD1", &name);
        b.bind("BOS", &blank);
        b.bind("KELIME", &word);
    }
    std::string eval(const std::string& text) const { return IfadeHesapla(text, b); }
};

struct Case {
    const char* text;
    const char* expected;
};

class ExpressionCases : public ::testing::TestWithParam<Case> {};

TEST_P(ExpressionCases, EvaluatesToTheExpectedText) {
    Fixture f;
    EXPECT_EQ(f.eval(GetParam().text), GetParam().expected) << GetParam().text;
}

// Results worked out by hand from the language's rules.
const Case kCases[] = {
    // The edge cases every caller relies on.
    {"10 / 4", "2.5"},
    {"2 ^ 3", "8"},
    {"5 > 3", "1"},
    {"'A' & 'B'", "AB"},
    {"3 > 5", "0"},
    // Decimal exactness.
    {"0.1 + 0.2", "0.3"},
    {"0.1 + 0.2 = 0.3", "1"},
    {"1 / 3", "0.333333333"},
    {"2 / 3", "0.666666667"},
    {"1.005 * 100", "100.5"},
    {"HSP:TLBORC * 3", "3703.68"},
    {"TOPLAM + 0.05", "100.15"},
    {"9999999999999.99 + 0.01", "10000000000000"},
    {"12345678901234567890 * 1000", "12345678901234567890000"},
    // Ranks: ^ over unary minus over * / % over + - over & over comparisons over NOT over AND
    // over OR / XOR; equal ranks group from the left.
    {"2 + 3 * 4", "14"},
    {"(2 + 3) * 4", "20"},
    {"2 * 3 ^ 2", "18"},
    {"-2 ^ 2", "-4"},
    {"(-2) ^ 2", "4"},
    {"2 ^ 3 ^ 2", "64"},
    {"2 ^ -1", "0.5"},
    {"-3 * -2", "6"},
    {"10 - 4 - 3", "3"},
    {"100 / 10 / 5", "2"},
    {"17 % 5", "2"},
    {"-17 % 5", "-2"},
    {"7 % 2.5", "2"},
    {"2 * 6 % 5", "2"},
    {"1 + 2 & 3", "33"},
    {"1 & 2 + 3", "15"},
    {"'1' & '2' = 12", "1"},
    {"1 + 1 = 2", "1"},
    {"1 < 2 = 1", "1"},
    {"3 > 2 > 1", "0"},
    {"NOT 1 = 2", "1"},
    {"NOT 0 AND 0", "0"},
    {"1 OR 0 AND 0", "1"},
    {"1 XOR 1", "0"},
    {"1 XOR 0 OR 1", "1"},
    {"0 OR 0 XOR 1", "1"},
    {"1 AND 1 XOR 1", "0"},
    {"2 <> 3", "1"},
    {"2 <= 2", "1"},
    {"2 >= 3", "0"},
    {"not 1", "0"},
    // Bound names of every type, any case.
    {"adet * 2", "16"},
    {"hsp:ntlk = 'M'", "1"},
    {"HSP:Ntlk='M' AND HSP:TLBORC>0", "1"},
    {"HSP:HESAPAD1 = 'KASA HESABI'", "1"},
    {"HSP:HESAPAD1 & '|'", "KASA HESABI   |"},
    {"MFB:FISTRH", "78590"},
    {"BIG + 1", "4"},
    {"BOS + 1", "1"},
    {"'B' > 'A'", "1"},
    {"'Ç' > 'C'", "1"},
    {"'10' + 5", "15"},
    {"'abc' = 'abc  '", "1"},
    {"'It''s'", "It's"},
    // Every function, a normal call.
    {"ABS(-2.5)", "2.5"},
    {"ACOS(1)", "0"},
    {"ASIN(0)", "0"},
    {"ATAN(0)", "0"},
    {"COS(0)", "1"},
    {"SIN(0)", "0"},
    {"TAN(0)", "0"},
    {"SQRT(2)", "1.414213562"},
    {"SQRT(16)", "4"},
    {"LOG10(1000)", "3"},
    {"LOGE(1)", "0"},
    {"AGE(DATE(1,1,2000), DATE(1,20,2000))", "19 DAYS"},
    {"AGE(DATE(1,1,2000), DATE(6,15,2000))", "5 MOS"},
    {"AGE(DATE(3,1,1990), DATE(2,28,2016))", "25 YRS"},
    {"ALL('-', 5)", "-----"},
    {"ALL('ab', 5)", "ababa"},
    {"BAND(12, 10)", "8"},
    {"BOR(12, 10)", "14"},
    {"BXOR(12, 10)", "6"},
    {"BSHIFT(1, 4)", "16"},
    {"BSHIFT(16, -2)", "4"},
    {"CENTER('ab', 6)", "  ab  "},
    {"CHOOSE(2, 'a', 'b', 'c')", "b"},
    {"CHOOSE(9, 'a', 'b', 'c')", "c"},
    {"CHR(65)", "A"},
    {"CHR(222)", "Ş"},
    {"CLIP('ab  ') & '|'", "ab|"},
    {"CLOCK() > 0", "1"},
    {"DATE(2, 29, 2016)", "78590"},
    {"DATE(13, 1, 2015)", "78531"},
    {"DAY(78590)", "29"},
    {"MONTH(78590)", "2"},
    {"YEAR(78590)", "2016"},
    {"DAY(MFB:FISTRH) & '.' & MONTH(MFB:FISTRH)", "29.2"},
    {"DEFORMAT('1,234.50', '@n10.2')", "1234.5"},
    {"DEFORMAT('29.02.2016', '@d17')", "78590"},
    {"FORMAT(1234.5, '@n10.2')", "  1,234.50"},
    {"FORMAT(MFB:FisTrh,@d6b)", "29.02.2016"},
    {"FORMAT(MFB:FISTRH, @d17b)", "29.02.2016"},
    {"FORMAT(0, @n10.2b) & '|'", "          |"},
    {"FORMAT(-5, @n(8.2)b)", "  (5.00)"},
    {"FORMAT('ab', '@s4') & '|'", "ab  |"},
    {"INLIST('b', 'a', 'b', 'c')", "2"},
    {"INLIST('x', 'a', 'b')", "0"},
    {"INRANGE(5, 1, 10)", "1"},
    {"INRANGE(11, 1, 10)", "0"},
    {"INSTRING('DEF', 'ABCDEFGHI', 1, 1)", "4"},
    {"INSTRING('DEF', 'ABCDEFGHI', 3, 1)", "2"},
    {"INSTRING('X', 'ABC', 1, 1)", "0"},
    {"INT(-7.9)", "-7"},
    {"INT(7.9)", "7"},
    {"LEFT('  ab', 4) & '|'", "ab  |"},
    {"LEN('Şişe')", "4"},
    {"LOWER('IŞIK')", "ışık"},
    {"UPPER('istanbul')", "İSTANBUL"},
    {"MATCH('KASA', 'K*A', 0)", "1"},
    {"MATCH('KASA', 'K?S', 0)", "0"},
    {"MATCH('kasa', 'KASA', 19)", "1"},
    {"MATCH('Robert', 'Rupert', 2)", "1"},
    {"MEMORY(0) >= 0", "1"},
    {"NULL(BIG)", "0"},
    {"NUMERIC('12.5')", "1"},
    {"NUMERIC('12a')", "0"},
    {"INRANGE(RANDOM(1, 6), 1, 6)", "1"},
    {"RIGHT('ab', 4)", "  ab"},
    {"RIGHT('abcdef', 3)", "def"},
    {"ROUND(2.675, 0.01)", "2.68"},
    {"ROUND(-2.5, 1)", "-3"},
    {"ROUND(1234.5678, 100)", "1200"},
    {"ROUND(HSP:TLBORC * ADET / 100, 0.01) + TOPLAM", "198.86"},
    {"SUB('ABCDEF', 2, 3)", "BCD"},
    {"SUB('ABCDEF', -2, 2)", "EF"},
    {"SUB('ABC', 5, 2)", ""},
    {"TODAY() > DATE(1,1,2020)", "1"},
    {"TODAY > 0", "1"},
    {"VAL('A')", "65"},
    {"VAL('Ş')", "222"},
    {"AND(1, 0)", "0"},
    {"OR(1, 0)", "1"},
    {"XOR(1, 1)", "0"},
    {"NOT(0)", "1"},
};

INSTANTIATE_TEST_SUITE_P(Language, ExpressionCases, ::testing::ValuesIn(kCases));

class FailingCases : public ::testing::TestWithParam<const char*> {};

// Every failure gives the empty result, not "0".
TEST_P(FailingCases, GiveTheEmptyResult) {
    Fixture f;
    EXPECT_EQ(f.eval(GetParam()), "") << GetParam();
    auto e = Expression::compile(GetParam(), f.b);
    if (e) {
        EXPECT_EQ(e->evaluateTruth(), Truth::Failed) << GetParam();
        EXPECT_FALSE(e->lastError().empty()) << GetParam();
    } else {
        EXPECT_FALSE(e.error().text.empty());
    }
}

const char* const kFailing[] = {
    // syntax
    "", "1 +", "(1 + 2", "1 2", "'abc", "2 ** 3", "#", "1 + )", "ROUND(1,", "f(,)",
    // names and functions
    "NOSUCHNAME", "nosuch + 1", "NOSUCH(1)", "HSP:TLBORC[Bk]",
    // argument counts
    "ABS()", "ABS(1, 2)", "ROUND(1)", "SUB('a', 1)", "CHOOSE(1)", "TODAY(1)", "GETINI('a','b','c')",
    // arithmetic
    "1 / 0", "5 % 0", "KELIME + 1", "-KELIME", "'12a' * 2", "99999999999999999999 * 99999999999999999999",
    "10 ^ 40", "1000000000000000000000000000000",
    // failing function calls
    "ACOS(2)", "ASIN(-2)", "SQRT(-1)", "LOG10(0)", "LOGE(-1)", "ABS('x')", "ATAN('x')", "COS('x')",
    "SIN('x')", "TAN('x')", "AGE(DATE(2,1,2000), DATE(1,1,2000))", "ALL('', 3)", "ALL('x', 100000)",
    "BAND('x', 1)", "BOR(1, 'x')", "BXOR('x', 'y')", "BSHIFT('x', 1)", "CENTER('a', -1)",
    "CHOOSE('x', 1)", "CHR(0)", "CHR(300)", "DATE(1, 1, 0)", "DAY(99999999)", "MONTH('x')",
    "YEAR(99999999)", "DEFORMAT('abc', '@n10.2')", "FORMAT(1, '@q9')", "INSTRING('a', 'abc', 0, 1)",
    "INT('x')", "LEFT('a', 'x')", "MATCH('a', 'a', 1)", "RANDOM('x', 1)", "RIGHT('a', -2)",
    "ROUND('x', 1)", "SUB('abc', 1, -1)", "GETINI('s', 'k', 'd', '/etc/passwd')", "INRANGE('x' + 1, 1, 2)",
    "INLIST(1/0, 1)", "LEN(1/0)", "LOWER(1/0)", "UPPER(1/0)", "CLIP(1/0)", "NUMERIC(1/0)", "NULL(1/0)",
    "VAL(1/0)", "MEMORY(1/0)", "AND(1/0, 1)", "NOT(1/0)",
};

INSTANTIATE_TEST_SUITE_P(Language, FailingCases, ::testing::ValuesIn(kFailing));

TEST(Expression, CompiledOnceSeesTheVariablesChangePerRecord) {
    double a = 0;
    std::string kind;
    Bindings b;
    ASSERT_TRUE(hk::expr::DegiskenBagla(b, "A", &a));
    ASSERT_TRUE(hk::expr::DegiskenBagla(b, "HSP:NTLK", &kind));
    auto filter = Expression::compile("HSP:Ntlk='M' AND A>0", b);
    ASSERT_TRUE(filter);
    kind = "M";
    a = 5;
    EXPECT_EQ(filter->evaluateTruth(), Truth::True);
    a = 0;
    EXPECT_EQ(filter->evaluateTruth(), Truth::False);
    kind = "K";
    a = 5;
    EXPECT_EQ(filter->evaluate(), "0");
}

TEST(Expression, SumsOfTwoDecimalAmountsNeverDrift) {
    double line = 0.01;
    Number total;
    Bindings b;
    b.bind("T", &total);
    b.bind("L", &line);
    auto step = Expression::compile("T + L", b);
    ASSERT_TRUE(step);
    for (int i = 0; i < 100000; ++i) ASSERT_TRUE(step->evaluateNumber(total));
    EXPECT_EQ(total.toString(), "1000");
}

TEST(Expression, FilterResultsAreThreeWay) {
    Bindings b;
    for (auto [text, truth] : {std::pair{"1 = 1", Truth::True}, {"1 = 2", Truth::False},
                               {"'0'", Truth::False}, {"'x'", Truth::True}, {"1/0", Truth::Failed}}) {
        auto e = Expression::compile(text, b);
        ASSERT_TRUE(e) << text;
        EXPECT_EQ(e->evaluateTruth(), truth) << text;
    }
}

TEST(Bindings, NamesAreCaseInsensitiveAndRebindingReplaces) {
    std::int32_t x = 1, y = 2;
    Bindings b;
    ASSERT_TRUE(b.bind("Hsp:Ay", &x));
    ASSERT_TRUE(b.bind("HSP:AY", &y));
    EXPECT_EQ(b.size(), 1u);
    EXPECT_EQ(IfadeHesapla("hsp:ay", b), "2");
    EXPECT_FALSE(b.bind("1abc", &x));
    EXPECT_FALSE(b.bind("a b", &x));
    EXPECT_TRUE(b.bind("HSP:TLBORC[3]", &x));
    EXPECT_EQ(IfadeHesapla("hsp:tlborc[3] + 1", b), "2");
}

TEST(Bindings, AScopeRestoresTheTableOfTheWindowBefore) {
    std::int32_t outer = 1, inner = 2;
    Bindings b;
    b.bind("X", &outer);
    {
        BindingScope scope(b);
        b.bind("X", &inner);
        b.bind("Y", &inner);
        EXPECT_EQ(IfadeHesapla("X + Y", b), "4");
    }
    EXPECT_EQ(IfadeHesapla("X", b), "1");
    EXPECT_EQ(IfadeHesapla("Y", b), "");
}

TEST(Bounds, HostileDefinitionsAreRefusedNotCrashed) {
    Bindings b;
    // Nesting beyond the cap: parentheses, prefix operators and calls.
    const std::string parens = std::string(200, '(') + "1" + std::string(200, ')');
    EXPECT_EQ(IfadeHesapla(parens, b), "");
    EXPECT_EQ(IfadeHesapla(std::string(200, '-') + "1", b), "");
    std::string calls;
    for (int i = 0; i < 200; ++i) calls += "ABS(";
    calls += "1" + std::string(200, ')');
    EXPECT_EQ(IfadeHesapla(calls, b), "");
    auto deep = Expression::compile(parens, b);
    ASSERT_FALSE(deep);
    EXPECT_NE(deep.error().text.find("nested too deeply"), std::string::npos);
    // Within the cap it still works.
    EXPECT_EQ(IfadeHesapla(std::string(60, '(') + "1" + std::string(60, ')'), b), "1");
    // Length.
    std::string chain = "1";
    while (chain.size() + 2 <= hk::expr::kMaxLength) chain += "+1";
    EXPECT_EQ(IfadeHesapla(chain, b), std::to_string((chain.size() + 1) / 2));
    EXPECT_EQ(IfadeHesapla(chain + "+1", b), "");
    // Argument count.
    std::string list = "INLIST(1";
    for (int i = 0; i < 25; ++i) list += ",1";
    EXPECT_EQ(IfadeHesapla(list + ")", b), "");
    // Text growth.
    EXPECT_EQ(IfadeHesapla("ALL('ab', 65535) & 'x'", b), "");
}

TEST(GetIni, ReadsOnlySettingsFilesAndFallsBackToTheDefault) {
    const std::string path = ::testing::TempDir() + "expr_getini.INI";
    {
        std::ofstream out(path);
        out << "[Fis]\nOtomatikNo = E\n[Ozel]\nKey=Değer\n";
    }
    Bindings b;
    EXPECT_EQ(IfadeHesapla("GETINI('fis', 'otomatikno', 'H', '" + path + "')", b), "E");
    EXPECT_EQ(IfadeHesapla("GETINI('Ozel', 'Key', '', '" + path + "')", b), "Değer");
    EXPECT_EQ(IfadeHesapla("GETINI('Fis', 'Yok', 'H', '" + path + "')", b), "H");
    EXPECT_EQ(IfadeHesapla("GETINI('Fis', 'OtomatikNo', 'H', '/nonexistent/x.ini')", b), "H");
    EXPECT_EQ(IfadeHesapla("GETINI('Fis', 'OtomatikNo', 'H', '" + path + ".txt')", b), "");
    std::remove(path.c_str());
}

} // namespace
