// Formatting with a picture parsed once, and exact decimals without a binary round trip: both
// must print what formatting the same value with the picture's text prints.
#include "core/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace pic = hk::core::picture;

namespace {

const char* const kNumberPictures[] = {"n18.2",  "@n18.2", "n_14.2", "n(18.2)b", "n18.2-",
                                       "n-12.1", "n10",    "n_5",    "n012.3",   "n*15.2",
                                       "n18.2b", "n20`2",  "n14v2",  "n8.4"};

// A value of `digits` digits at most, scaled by 10^scale, with sign.
std::int64_t randomUnits(std::mt19937_64& rng, int digits) {
    std::int64_t limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 10;
    const auto u = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(limit));
    return rng() % 2 ? -u : u;
}

double asDouble(std::int64_t units, int scale) {
    // The double a program reads from the decimal's text: strtod is correctly rounded.
    std::string t = std::to_string(units < 0 ? -units : units);
    while (t.size() <= static_cast<std::size_t>(scale)) t.insert(t.begin(), '0');
    if (scale > 0) t.insert(t.end() - scale, '.');
    if (units < 0) t.insert(t.begin(), '-');
    return std::strtod(t.c_str(), nullptr);
}

} // namespace

TEST(PictureParsed, ExactDecimalsPrintAsTheirDoubles) {
    std::mt19937_64 rng(1512);
    for (const char* picture : kNumberPictures) {
        auto p = pic::parse(picture);
        ASSERT_TRUE(p) << picture;
        for (int i = 0; i < 3000; ++i) {
            const int scale = i % 4 == 0 ? 3 : 2;
            // Up to 15 significant digits, with many small values, halves and zeros among them.
            const int digits = 1 + static_cast<int>(rng() % 15);
            std::int64_t u = randomUnits(rng, digits);
            if (i % 7 == 0) u = u / 10 * 10 + 5; // a half at the last place
            if (i % 11 == 0) u = 0;
            const double v = asDouble(u, scale);
            ASSERT_EQ(pic::formatScaled(u, scale, *p), pic::format(v, picture))
                << picture << " " << u << "e-" << scale;
        }
    }
}

TEST(PictureParsed, EdgeDecimals) {
    struct Row {
        std::int64_t units;
        int scale;
        const char* picture;
        std::string want;
    };
    const Row rows[] = {
        {5, 2, "n18.2", std::string(14, ' ') + "0.05"},
        {-5, 3, "n18.2", std::string(13, ' ') + "-0.01"}, // a half rounds away from zero
        {-4, 3, "n18.2", std::string(14, ' ') + "0.00"},
        {-50, 2, "n10", std::string(8, ' ') + "-1"},
        {-49, 2, "n10", std::string(9, ' ') + "0"},
        {0, 2, "n18.2b", std::string(18, ' ')},
        {123456789012345, 2, "n5.2", "#####"},
        {100, 0, "n8.3", " 100.000"},
    };
    for (const auto& r : rows) {
        auto p = pic::parse(r.picture);
        ASSERT_TRUE(p);
        EXPECT_EQ(pic::formatScaled(r.units, r.scale, *p), r.want) << r.units << " " << r.picture;
        EXPECT_EQ(pic::format(asDouble(r.units, r.scale), r.picture), r.want);
    }
    // Not a number picture: refused visibly rather than printed as something else.
    EXPECT_EQ(pic::formatScaled(100, 2, *pic::parse("s10")), "???");
    EXPECT_EQ(pic::formatScaled(100, 2, *pic::parse("d6")), "???");
}

// An amount appended to a line leaves what stands before it and adds what formatScaled gives,
// down to the extremes of the units.
TEST(PictureParsed, AppendedAmountsFollowWhatStandsBeforeThem) {
    struct Row {
        std::int64_t units;
        int scale;
        const char* picture;
        std::string want;
    };
    const Row rows[] = {
        {123456789, 2, "n15.2", "   1,234,567.89"},
        {-123456789, 2, "n(15.2)", " (1,234,567.89)"},
        {-123456789, 2, "n15.2-", "  1,234,567.89-"},
        {-4567, 2, "n*10.1", "-*****45.7"},
        {4567, 2, "n010", "0000000046"},
        {123456, 2, "n12.2", "    1,234.56"},
        {0, 2, "n8.2b", "        "},
        {INT64_MIN, 0, "n26", "-9,223,372,036,854,775,808"},
        {INT64_MIN, 0, "n25", std::string(25, '#')},
        {INT64_MAX, 18, "n25.15", "        9.223372036854776"},
        // Layouts checked against formatting the double elsewhere; here only the appending.
        {123456, 2, "n_12`2", ""},
        {123456, 2, "n10v2", ""},
        {-123456, 3, "n20`2", ""},
    };
    for (const auto& r : rows) {
        auto p = pic::parse(r.picture);
        ASSERT_TRUE(p) << r.picture;
        const std::string alone = pic::formatScaled(r.units, r.scale, *p);
        std::string line = "Şubat |";
        pic::appendScaled(line, r.units, r.scale, *p);
        EXPECT_EQ(line, "Şubat |" + alone) << r.picture;
        if (!r.want.empty()) {
            EXPECT_EQ(alone, r.want) << r.units << " " << r.picture;
        }
    }
}

TEST(PictureParsed, ParsedPicturesFormatAsTheirText) {
    const char* const pictures[] = {"s10", "@s3", "n3", "n_8.2", "d6b", "d17", "t4", "P(###)-###P",
                                    "n18.2b"};
    const char* const values[] = {"", "   ", "12", "-7.5", "abc", "Çağrı Öğütçü İş", "78590",
                                  "1e3", "999999999", "0.005"};
    for (const char* picture : pictures) {
        auto p = pic::parse(picture);
        ASSERT_TRUE(p) << picture;
        for (const char* v : values) {
            EXPECT_EQ(pic::format(std::string_view(v), *p), pic::format(std::string_view(v), picture))
                << picture << " / " << v;
        }
        for (double v : {0.0, -1.5, 1234.567, 78590.0, 1e20}) {
            EXPECT_EQ(pic::format(v, *p), pic::format(v, picture)) << picture << " / " << v;
        }
    }
}
