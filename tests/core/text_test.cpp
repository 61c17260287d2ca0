#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tx = hk::core::text;

TEST(TextLength, CountsCharactersNotBytes) {
    EXPECT_EQ(tx::length(""), 0u);
    EXPECT_EQ(tx::length("abc"), 3u);
    EXPECT_EQ(tx::length("ĞİŞçöü"), 6u); // 12 bytes
    EXPECT_EQ(tx::length("€1"), 2u);
    EXPECT_EQ(tx::length("a\xFF" "b"), 3u); // a malformed byte counts as one character
}

TEST(TextCut, SubLeftPadClipTrim) {
    struct Row { std::string got, want; };
    const std::vector<Row> rows = {
        {tx::sub("ÇalışKan", 3, 3), "lış"},
        {tx::sub("ÇalışKan", 7, 10), "an"},
        {tx::sub("ÇalışKan", 9, 2), ""},
        {tx::sub("ÇalışKan", 0, 3), "Ça"},
        {tx::left("ĞüşİöÇ", 4), "Ğüşİ"},
        {tx::left("ab", 5), "ab"},
        {tx::pad("Işık", 6), "Işık  "},
        {tx::pad("Işıklı", 3), "Işı"},
        {tx::padLeft("şu", 4), "  şu"},
        {tx::padLeft("şuraya", 3), "şur"},
        {tx::clip("  Öz  "), "  Öz"},
        {tx::clip("   "), ""},
        {tx::trim("  Öz ğ  "), "Öz ğ"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

TEST(TextFind, PositionInCharacters) {
    EXPECT_EQ(tx::find("ş", "Işıkşa"), 2u);
    EXPECT_EQ(tx::find("ş", "Işıkşa", 3), 5u);
    EXPECT_EQ(tx::find("ğa", "ağaç ağaç"), 2u);
    EXPECT_EQ(tx::find("ğa", "ağaç ağaç", 3), 7u);
    EXPECT_EQ(tx::find("x", "ağaç"), 0u);
    EXPECT_EQ(tx::find("", "ağaç"), 0u);
}

TEST(TextCase, TurkishPairs) {
    struct Row { const char* lower; const char* upper; };
    const Row rows[] = {{"i", "İ"}, {"ı", "I"}, {"ç", "Ç"}, {"ö", "Ö"}, {"ş", "Ş"}, {"ü", "Ü"}, {"ğ", "Ğ"},
                        {"istanbul ılıca", "İSTANBUL ILICA"}, {"kâğıt", "KÂĞIT"}, {"abc123-z", "ABC123-Z"}};
    for (const auto& r : rows) {
        EXPECT_EQ(tx::upperTr(r.lower), r.upper) << r.lower;
        EXPECT_EQ(tx::lowerTr(r.upper), r.lower) << r.upper;
    }
    EXPECT_EQ(tx::upperTr("ß÷"), "ß÷"); // no single-letter upper case / not a letter
}

TEST(TextCodePage, EveryTurkishLetterRoundTripsBothPages) {
    // Independent byte values from the published cp1254 and cp857 charts.
    struct Row { const char* ch; unsigned char cp1254, cp857; };
    const Row rows[] = {{"Ç", 0xC7, 0x80}, {"ç", 0xE7, 0x87}, {"Ğ", 0xD0, 0xA6}, {"ğ", 0xF0, 0xA7},
                        {"I", 0x49, 0x49}, {"ı", 0xFD, 0x8D}, {"İ", 0xDD, 0x98}, {"i", 0x69, 0x69},
                        {"Ö", 0xD6, 0x99}, {"ö", 0xF6, 0x94}, {"Ş", 0xDE, 0x9E}, {"ş", 0xFE, 0x9F},
                        {"Ü", 0xDC, 0x9A}, {"ü", 0xFC, 0x81}, {"â", 0xE2, 0x83}};
    for (const auto& r : rows) {
        auto a = tx::toCp1254(r.ch);
        ASSERT_TRUE(a.ok()) << r.ch;
        EXPECT_EQ(*a, std::string(1, static_cast<char>(r.cp1254))) << r.ch;
        EXPECT_EQ(tx::fromCp1254(*a), r.ch);
        auto d = tx::toCp857(r.ch);
        ASSERT_TRUE(d.ok()) << r.ch;
        EXPECT_EQ(*d, std::string(1, static_cast<char>(r.cp857))) << r.ch;
        EXPECT_EQ(tx::fromCp857(*d), r.ch);
    }
    EXPECT_EQ(*tx::toCp1254("€"), "\x80");
}

TEST(TextCodePage, AllCp1254BytesRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string u = tx::fromCp1254(all);
    EXPECT_TRUE(tx::isValidUtf8(u));
    EXPECT_TRUE(tx::isCp1254(u));
    auto back = tx::toCp1254(u);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, all);
}

TEST(TextCodePage, RefusesCharactersOutsideCp1254) {
    const char* bad[] = {"ā", "→", "\xF0\x9F\x98\x80" /* emoji */, "Ω", "abc Ж"};
    for (const char* s : bad) {
        EXPECT_FALSE(tx::isCp1254(s)) << s;
        auto r = tx::toCp1254(s);
        ASSERT_FALSE(r.ok()) << s;
        EXPECT_NE(r.error().text.find("1254"), std::string::npos);
    }
    auto r = tx::toCp1254("abc Ж");
    EXPECT_NE(r.error().text.find("Ж"), std::string::npos);
    EXPECT_NE(r.error().text.find("U+0416"), std::string::npos);
    EXPECT_NE(r.error().text.find("5."), std::string::npos);
    EXPECT_TRUE(tx::isCp1254("€ şĞ"));
}

TEST(TextCodePage, InvalidUtf8IsRefused) {
    const std::string bad[] = {"\xC3", "a\x80", "\xC0\xAF" /* overlong */, "\xED\xA0\x80" /* surrogate */,
                               "\xF4\x90\x80\x80" /* above U+10FFFF */, "\xE2\x82"};
    for (const auto& s : bad) {
        EXPECT_FALSE(tx::isValidUtf8(s));
        EXPECT_FALSE(tx::isCp1254(s));
        auto r = tx::toCp1254(s);
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().text.find("UTF-8"), std::string::npos);
        EXPECT_FALSE(tx::toCp857(s).ok());
    }
    EXPECT_TRUE(tx::isValidUtf8("Ğ€\xF0\x9F\x98\x80"));
}

TEST(TextCodePage, Cp857LossyAndBoxDrawing) {
    EXPECT_EQ(tx::toCp857Lossy("Ş→€x"), "\x9E??x");
    EXPECT_FALSE(tx::toCp857("€").ok());
    EXPECT_EQ(tx::fromCp857("\xC4\xB3"), "─│");
    EXPECT_EQ(tx::fromCp857("\xD5"), "?"); // unassigned
}

TEST(TextCollation, TurkishAlphabetOrder) {
    const std::string order = "AaBbCcÇçDdEeFfGgĞğHhIıİiJjKkLlMmNnOoÖöPpQqRrSsŞşTtUuÜüVvWwXxYyZz";
    std::vector<std::string> letters;
    for (std::size_t i = 1; i <= tx::length(order); ++i) letters.push_back(tx::sub(order, i, 1));
    for (std::size_t i = 0; i + 1 < letters.size(); ++i) {
        EXPECT_LT(tx::compare(letters[i], letters[i + 1]), 0) << letters[i] << " " << letters[i + 1];
        EXPECT_LT(tx::sortKey(letters[i], false), tx::sortKey(letters[i + 1], false));
    }
}

TEST(TextCollation, WordsSortAsATurkishReaderExpects) {
    std::vector<std::string> words = {"Zeytin", "çay", "Çay", "ılık", "İnce", "Işık", "incir", "ağaç", "Ağa",
                                      "120 01", "120", "Öz", "ozan", "Şeker", "sabun", "üzüm", "Uğur", "10"};
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return tx::compare(a, b) < 0; });
    const std::vector<std::string> want = {"10", "120", "120 01", "Ağa", "ağaç", "Çay", "çay", "Işık", "ılık",
                                           "İnce", "incir", "ozan", "Öz", "sabun", "Şeker", "Uğur", "üzüm",
                                           "Zeytin"};
    EXPECT_EQ(words, want);
}

TEST(TextCollation, TrailingBlanksAndCase) {
    EXPECT_EQ(tx::compare("AB", "AB   "), 0);
    EXPECT_EQ(tx::sortKey("AB", false), tx::sortKey("AB  ", false));
    EXPECT_NE(tx::compare("ab", "AB"), 0);
    EXPECT_EQ(tx::compare("istanbul", "İSTANBUL", true), 0);
    EXPECT_NE(tx::compare("istanbul", "ISTANBUL", true), 0);
    EXPECT_EQ(tx::compare("ılık", "ILIK", true), 0);
    EXPECT_LT(tx::compare("A", "AA"), 0);
    EXPECT_LT(tx::compare("1", "A"), 0);
    EXPECT_LT(tx::compare(" Z", "A"), 0);
    // Outside cp1254: after every cp1254 text, distinct from each other.
    EXPECT_GT(tx::compare("→", "ÿ"), 0);
    EXPECT_NE(tx::compare("→", "←"), 0);
}
