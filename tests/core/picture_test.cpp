#include "core/picture.h"

#include "core/numeric.h"

#include <gtest/gtest.h>

#include <string>

namespace pic = hk::core::picture;
using hk::core::Date;

namespace {
std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
} // namespace

// Expected texts are written out by hand: ',' groups thousands and '.' marks decimals unless a
// fill character ('_', '0') drops the grouping.
TEST(PictureNumber, EveryPictureInUse) {
    struct Row { double v; const char* picture; std::string want; };
    const Row rows[] = {
        {1234567.891, "n20.2b", sp(8) + "1,234,567.89"},
        {0, "n20.2b", sp(20)},
        {-5, "n20.2", sp(15) + "-5.00"},
        {42, "n_5", "   42"},
        {123456, "n_5", "#####"},
        {-7, "n_5", "   -7"},
        {1234, "n_7b", "   1234"},
        {0, "n_7b", sp(7)},
        {-1234.5, "n18.2", sp(9) + "-1,234.50"},
        {0, "n18.2", sp(14) + "0.00"},
        {-1234.5, "@n18.2", sp(9) + "-1,234.50"},
        {-1234.5, "n(18.2)b", sp(8) + "(1,234.50)"},
        {1234.5, "n(18.2)b", sp(9) + "1,234.50 "},
        {0, "n(18.2)b", sp(18)},
        {1000000, "n(20.2)b", sp(7) + "1,000,000.00 "},
        {-0.5, "n-13.2", sp(8) + "-0.50"},
        {-0.5, "@n-13.2", sp(8) + "-0.50"},
        {1234567.5, "n_14.2b", sp(4) + "1234567.50"},
        {0.004, "n_17.2b", sp(17)},
        {-12.345, "n_13.2b", sp(7) + "-12.35"},
        {1234567.5, "n_9.2b", "#########"},
        {12345678.9, "n17.2b", sp(4) + "12,345,678.90"},
        {2.675, "n13.2b", sp(9) + "2.68"},
        {1234567.5, "n_14b", sp(7) + "1234568"},
        {999, "n5", "  999"},
        {1234, "n5", "1,234"},
        {12345, "n5", "#####"},
        {12, "n_6", "    12"},
        {987654, "n_10", "    987654"},
        {5, "n_10.2", "      5.00"},
        {3, "n02", "03"},
        {123, "n02", "##"},
        {34, "n03", "034"},
        {7, "n04", "0007"},
        {1, "n05", "00001"},
        {42, "n07", "0000042"},
        {12345, "n08", "00012345"},
        {1, "N02", "01"},
        {-3, "n04", "-003"},
        {7, "n2", " 7"},
        {100, "n3", "100"},
        {12, "n4", "  12"},
        {5, "n1", "5"},
        {0, "@n1b", " "},
        {0, "@n2b", "  "},
        {6, "@n2b", " 6"},
        {1.23456, "n10.4", "    1.2346"},
        {1234.5, "n16.2", sp(8) + "1,234.50"},
        {1000, "@n12.2b", "    1,000.00"},
        {-1234567.125, "@n15.2", "  -1,234,567.13"},
        {1234, "@n7b", "  1,234"},
        {12, "n_2", "12"},
        {1234567, "n10", " 1,234,567"},
        {17, "@n6", "    17"},
        {1234.5, "@n5", "1,235"},
        {12345.5, "@n5", "#####"},
        // grouping and sign variants of the same syntax
        {1234567.891, "n15..2", "   1.234.567,89"},
        {-1234.5, "n12.2-", "   1,234.50-"},
        {1234.5, "n12.2-", "   1,234.50 "},
        {1234.56, "n8v2", "  123456"},
        {42, "n*6", "****42"},
    };
    for (const auto& r : rows) {
        auto got = pic::formatChecked(r.v, r.picture);
        ASSERT_TRUE(got.ok()) << r.picture << ": " << got.error().text;
        EXPECT_EQ(*got, r.want) << r.v << " " << r.picture;
        EXPECT_EQ(pic::format(r.v, r.picture), r.want);
    }
}

TEST(PictureNumber, DeformatRoundTrips) {
    struct Row { double v; const char* picture; };
    const Row rows[] = {{1234567.89, "n20.2b"}, {-1234.5, "n18.2"},   {-1234.5, "n(18.2)b"}, {1234.5, "n(20.2)b"},
                        {-0.5, "n-13.2"},       {1234567.5, "n_14.2b"}, {42, "n_5"},          {7, "n04"},
                        {-3, "n04"},            {1.2346, "n10.4"},      {1234567.89, "n15..2"}, {-1234.5, "n12.2-"},
                        {1234.56, "n8v2"},      {42, "n*6"},            {1234567, "n10"}};
    for (const auto& r : rows) {
        const std::string shown = pic::format(r.v, r.picture);
        auto back = pic::deformatNumber(shown, r.picture);
        ASSERT_TRUE(back.ok()) << r.picture << " '" << shown << "': " << back.error().text;
        EXPECT_EQ(*back, r.v) << r.picture << " '" << shown << "'";
    }
}

TEST(PictureNumber, DeformatAcceptsPlainTextAndBlank) {
    EXPECT_EQ(*pic::deformat("1,234.56", "n18.2"), "1234.56");
    EXPECT_EQ(*pic::deformat("1234.56", "n18.2"), "1234.56");
    EXPECT_EQ(*pic::deformat("(1,234.50)", "@n(18.2)b"), "-1234.5");
    EXPECT_EQ(*pic::deformat("   ", "n18.2"), "0");
    EXPECT_EQ(*pic::deformat("-.5", "n18.2"), "-0.5");
    EXPECT_EQ(*pic::deformat("1.234,5", "n15..2"), "1234.5");
}

TEST(PictureNumber, DeformatRefusesWhatItCannotRead) {
    struct Row { const char* text; const char* picture; };
    const Row rows[] = {{"1.234,56", "n18.2"}, {"12,34", "n18.2"}, {"1,2345.00", "n18.2"}, {"abc", "n18.2"},
                        {"12a", "n_5"},       {"1.2.3", "n10.4"},  {"#####", "n_5"},       {"1,234.56", "n15..2"},
                        {"--5", "n10"},       {".", "n10.2"}};
    for (const auto& r : rows) {
        auto v = pic::deformatNumber(r.text, r.picture);
        ASSERT_FALSE(v.ok()) << r.text << " " << r.picture;
        EXPECT_NE(v.error().text.find(r.text), std::string::npos);
    }
}

TEST(PictureDate, EveryPictureInUse) {
    const Date leap{29, 2, 2016}, march{5, 3, 2016}, none{};
    struct Row { Date d; const char* picture; std::string want; };
    const Row rows[] = {
        {leap, "d6", "29.02.2016"},  {march, "d6", " 5.03.2016"}, {march, "@d6", " 5.03.2016"},
        {none, "d6", sp(10)},        {march, "d6b", " 5.03.2016"}, {none, "@d6b", sp(10)},
        {march, "d06", "05.03.2016"}, {march, "d06.", "05.03.2016"}, {march, "d06.b", "05.03.2016"},
        {none, "d06.b", sp(10)},     {march, "d012", "20160305"}, {leap, "d17b", "29.02.2016"},
        {march, "@d17b", "05.03.2016"}, {none, "d17b", sp(10)},   {leap, "d6/", "29/02/2016"},
        {march, "d1", " 3.05.16"},   {march, "d02-", "03-05-2016"}, {march, "d10-", "2016-03-05"},
        {march, "d5", " 5.03.16"},   {march, "d11", "160305"},    {march, "d14", " 3.2016"},
        {march, "d16", "2016.03"},   {leap, "d18", "29 Şubat 2016 Pazartesi"},
        {Date{31, 12, 9999}, "d6", "31.12.9999"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(pic::format(r.d, r.picture), r.want) << r.picture;
        EXPECT_EQ(pic::format(static_cast<double>(r.d.dayNumber()), r.picture), r.want) << r.picture;
        auto back = pic::deformatDate(r.want, r.picture);
        ASSERT_TRUE(back.ok()) << r.picture << " '" << r.want << "': " << back.error().text;
        const bool dayLost = std::string(r.picture).find("14") != std::string::npos ||
                             std::string(r.picture).find("16") != std::string::npos;
        const Date want = dayLost && r.d.isSet() ? Date{1, r.d.month, r.d.year} : r.d;
        EXPECT_EQ(*back, want) << r.picture;
    }
    EXPECT_EQ(*pic::deformat("29.02.2016", "d6"), "78590");
    EXPECT_EQ(*pic::deformat("", "d6"), "0");
    EXPECT_EQ(*pic::deformatDate("5/3/2016", "d6"), march); // any of . / - as typed separator
    EXPECT_EQ(*pic::deformatDate("5.3.16", "d6"), march);
    EXPECT_EQ(*pic::deformatDate("5.3.75", "d6"), (Date{5, 3, 1975}));
}

TEST(PictureDate, DeformatRefusesImpossibleDates) {
    const char* bad[][2] = {{"31.02.2016", "d6"}, {"29.02.2015", "d06."}, {"1.2.3.4", "d6"}, {"12.2016", "d6"},
                            {"2016-13-01", "d10-"}, {"20160230", "d012"}, {"2016030", "d012"}, {"5 Mars 2016", "d18"},
                            {"ab.cd.efgh", "d6"}, {"00.01.2016", "d6"}};
    for (const auto& r : bad) {
        auto d = pic::deformatDate(r[0], r[1]);
        ASSERT_FALSE(d.ok()) << r[0] << " " << r[1];
        EXPECT_NE(d.error().text.find("tarih"), std::string::npos);
    }
    EXPECT_FALSE(pic::deformatDate("1.1.2016", "n10").ok());
}

TEST(PictureTime, Formats) {
    const double t1345 = 13 * 360000 + 45 * 6000 + 1, t0905 = 9 * 360000 + 5 * 6000 + 7 * 100 + 1;
    EXPECT_EQ(pic::format(t1345, "t1"), "13:45");
    EXPECT_EQ(pic::format(t0905, "t1"), " 9:05");
    EXPECT_EQ(pic::format(t0905, "t01"), "09:05");
    EXPECT_EQ(pic::format(t1345, "t3"), " 1:45PM");
    EXPECT_EQ(pic::format(t0905, "t4"), " 9:05:07");
    EXPECT_EQ(pic::format(0, "t4"), sp(8));
    EXPECT_EQ(*pic::deformatNumber(" 1:45PM", "t3"), t1345);
    EXPECT_EQ(*pic::deformatNumber(" 9:05:07", "t4"), t0905);
    EXPECT_FALSE(pic::deformatNumber("25:00", "t1").ok());
    EXPECT_FALSE(pic::deformatNumber("13:00PM", "t3").ok());
}

TEST(PictureText, CutAndPadInCharacters) {
    EXPECT_EQ(pic::format("Işık", "s10"), "Işık      ");
    EXPECT_EQ(pic::format("Çok uzun bir metin", "@s10"), "Çok uzun b");
    EXPECT_EQ(pic::format("Hesap Kodu", "@s18"), "Hesap Kodu        ");
    EXPECT_EQ(pic::format("", "s30"), sp(30));
    EXPECT_EQ(pic::format("ĞŞ", "@s35b"), "ĞŞ" + sp(33));
    EXPECT_EQ(pic::format(12.5, "s6"), "12.5  ");
    EXPECT_EQ(*pic::deformat("Işık  ", "s10"), "Işık  ");
}

TEST(PicturePattern, DigitsIntoPlaces) {
    EXPECT_EQ(pic::format(302008, "P#.##.###P"), "3.02.008");
    EXPECT_EQ(pic::format(2125551234, "P(###)-#######PB"), "(212)-5551234");
    EXPECT_EQ(pic::format(0, "P(###)-#######PB"), sp(13));
    EXPECT_EQ(pic::format(0, "P(###)-#######P"), "(000)-0000000");
    EXPECT_EQ(pic::format(12345678901.0, "P(###)-#######PB"), std::string(13, '#'));
    EXPECT_EQ(pic::format(-5, "P#.##.###P"), "########");
    EXPECT_EQ(pic::format(5, "P<#.##P"), " 0.05");
    EXPECT_EQ(*pic::deformatNumber("(212)-5551234", "P(###)-#######PB"), 2125551234.0);
    EXPECT_EQ(*pic::deformatNumber("3.02.008", "P#.##.###P"), 302008.0);
    EXPECT_EQ(*pic::deformatNumber("", "P(###)-#######PB"), 0.0);
    EXPECT_FALSE(pic::deformatNumber("(212)-555x234", "P(###)-#######PB").ok());
    EXPECT_FALSE(pic::deformatNumber("(212)-55512345", "P(###)-#######PB").ok());
}

TEST(PictureText, TextValuesUnderNumberPictures) {
    EXPECT_EQ(*pic::formatChecked("12.5", "n_6.1"), "  12.5");
    EXPECT_EQ(*pic::formatChecked("  ", "n_6.1b"), sp(6));
    EXPECT_FALSE(pic::formatChecked("abc", "n5").ok());
    EXPECT_EQ(pic::format("abc", "n5"), "#####");
}

TEST(PictureParse, RefusesMalformedPictures) {
    for (const char* bad : {"", "@", "x5", "n", "n0", "n(18.2", "d3", "d19", "s", "P###", "n10.2q", "n-10.2-",
                            "n$10.2", "t7", "n300"}) {
        auto p = pic::parse(bad);
        ASSERT_FALSE(p.ok()) << bad;
        EXPECT_NE(p.error().text.find("Geçersiz resim"), std::string::npos);
        EXPECT_EQ(pic::format(1.0, bad), "???");
        EXPECT_FALSE(pic::deformat("1", bad).ok());
    }
    auto p = pic::parse("@n(18.2)b");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->width, 18);
    EXPECT_EQ(p->decimals, 2);
    EXPECT_TRUE(p->blankWhenZero);
    EXPECT_EQ(p->sign, pic::Picture::Sign::parentheses);
}
