#include "data/errors.h"
#include "data/record.h"
#include "data/records.h"

#include <gtest/gtest.h>

namespace hk::data {
namespace {

unsigned char at(const std::string& img, std::size_t i) { return static_cast<unsigned char>(img[i]); }

TEST(RecordImage, DateIsStoredAsDayMonthYearLittleEndian) {
    FisBas b;
    b.FISTRH = core::Date{29, 2, 2016};
    auto img = toImage(b);
    ASSERT_TRUE(img.ok()) << img.error().describe();
    ASSERT_EQ(img->size(), 91u);
    EXPECT_EQ(at(*img, 10), 29);
    EXPECT_EQ(at(*img, 11), 2);
    EXPECT_EQ(at(*img, 12), 0xE0);
    EXPECT_EQ(at(*img, 13), 0x07);
    // an unset date is four zero bytes
    EXPECT_EQ(at(*img, 83) | at(*img, 84) | at(*img, 85) | at(*img, 86), 0);
}

TEST(RecordImage, TextIsCp1254PaddedWithBlanks) {
    HsPlan h;
    h.HESAPKODU = "120 01";
    h.HESAPAD1 = "Şığİ";
    auto img = toImage(h);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(img->substr(0, 18), "120 01            ");
    // Ş=0xDE ı=0xFD ğ=0xF0 İ=0xDD in the Windows Turkish code page
    EXPECT_EQ(at(*img, 18), 0xDE);
    EXPECT_EQ(at(*img, 19), 0xFD);
    EXPECT_EQ(at(*img, 20), 0xF0);
    EXPECT_EQ(at(*img, 21), 0xDD);
    EXPECT_EQ(at(*img, 22), ' ');
    EXPECT_EQ(at(*img, 67), ' ');
}

TEST(RecordImage, NumbersAreLittleEndian) {
    FisDet d;
    d.FISSIRANO = -2;          // 0xFFFE
    d.ACKNO = 0x01020304;
    d.TLBORC = 1.5;            // 0x3FF8000000000000
    auto img = toImage(d);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(at(*img, 10), 0xFE);
    EXPECT_EQ(at(*img, 11), 0xFF);
    EXPECT_EQ(at(*img, 143), 0x04);
    EXPECT_EQ(at(*img, 146), 0x01);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(at(*img, 80 + i), 0) << i;
    EXPECT_EQ(at(*img, 86), 0xF8);
    EXPECT_EQ(at(*img, 87), 0x3F);
}

TEST(RecordImage, MonthArraysAreConsecutiveAndOneBased) {
    HsPlan h;
    month(h.TLBORC, 1) = 1.0;   // 0x3FF0...
    month(h.TLBORC, 12) = 2.0;  // 0x4000...
    auto img = toImage(h);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(at(*img, 174 + 7), 0x3F);
    EXPECT_EQ(at(*img, 174 + 11 * 8 + 7), 0x40);
    EXPECT_EQ(h.TLBORC[0], 1.0);
    EXPECT_EQ(h.TLBORC[11], 2.0);
}

TEST(RecordImage, CStringIsZeroTerminated) {
    Rapor r;
    r.FILTRE1 = "A";
    auto img = toImage(r);
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(at(*img, 299), 'A');
    EXPECT_EQ(at(*img, 300), 0);
    EXPECT_EQ(at(*img, 553), 0);
}

TEST(RecordImage, RoundTripKeepsEveryValue) {
    Yasal y;
    y.MALIDONEMBAS = core::Date{1, 1, 2014};
    element(y.MAHSUPNUMARATOR, 366) = 77;
    element(y.TAHSILNUMARATOR, 1) = -5;
    y.SIRKETUNVANI1 = "Kovan Çağ Ltd. Şti.";
    element(y.UNVAN, 3) = "Müdür";
    y.SONYEVMIYENO = 1234;
    y.KEBIRYEVMIYENO = 99;
    y.WEB = "www.örnek.com.tr";
    auto img = toImage(y);
    ASSERT_TRUE(img.ok());
    ASSERT_EQ(img->size(), 3059u);
    auto back = fromImage<Yasal>(*img);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, y);

    FisBas b;
    b.KSAATI = core::Time{13, 45, 7, 99};
    auto bi = toImage(b);
    ASSERT_TRUE(bi.ok());
    EXPECT_EQ(fromImage<FisBas>(*bi)->KSAATI, b.KSAATI);
}

TEST(RecordImage, OldCompanyRecordCarriesTheClosedMonthByteAsItIs) {
    // In the old layout the byte at 2479 held a yes/no letter; it comes over unchanged.
    std::string img(2919, '\0');
    img[2479] = 'E';
    img[2206] = '\xDE';  // Ş
    for (int i = 2207; i < 2286; ++i) img[static_cast<std::size_t>(i)] = ' ';
    img[2918] = 1;
    auto old = fromImage<YasalOld>(img);
    ASSERT_TRUE(old.ok());
    EXPECT_EQ(old->KAPANANAY, 'E');
    EXPECT_EQ(old->SIRKETUNVANI1, "Ş");
    Record cur(Layout::Yasal);
    cur.copyMatchingFields(*toRecord(*old));
    const auto y = fromRecord<Yasal>(cur);
    EXPECT_EQ(y.KAPANANAY, 'E');
    EXPECT_EQ(y.TAHSILTEDIYEOTOMATIKKAPA, 1);
    EXPECT_EQ(y.MERSISNO, "");
    auto back = toImage(y);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ((*back)[2479], 'E');
    EXPECT_EQ(static_cast<unsigned char>((*back)[2206]), 0xDE);
    EXPECT_EQ((*back)[2918], 1);
    EXPECT_EQ(back->substr(2919), std::string(20 + 20 + 99 + 1, ' '));
}

TEST(RecordImage, WrongLengthIsRefused) {
    auto r = Record::fromImage(fileDef(Layout::FisDet), std::string(379, ' '));
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(is(r.error(), ErrorCode::BadValue));
}

TEST(RecordText, TextOutsideCp1254OrTooWideIsRefused) {
    struct Case {
        const char* text;
        bool ok;
    } cases[] = {
        {"Çalışma ğüşiöç ÇĞÜŞİÖ", true},  // Turkish letters fit cp1254
        {"€ ve ‰", true},                 // cp1254 has these too
        {"Ā", false},                     // Latin A with macron: not in cp1254
        {"漢字", false},
        {"\xC3", false},                  // broken UTF-8
        {"12345678901234567890123456789012345678901234567890", true},  // exactly 50
        {"123456789012345678901234567890123456789012345678901", false},  // 51
        {"12345678901234567890123456789012345678901234567890   ", true},  // trailing blanks do not count
        // Control characters would reach screens, printers and terminals as commands.
        {"KASA\x01\x02\x1b[31m", false},
        {"a\tb", false},
        {"satır\r\n", false},
        {"sil\x7f", false},
        {"\xC2\x85sonraki", false},  // U+0085, a C1 control
    };
    for (const auto& c : cases) {
        HsPlan h;
        h.HESAPAD1 = c.text;
        auto rec = toRecord(h);
        EXPECT_EQ(rec.ok(), c.ok) << c.text;
        if (!rec.ok()) {
            EXPECT_TRUE(is(rec.error(), ErrorCode::BadValue));
            EXPECT_NE(rec.error().text.find("HSP:HESAPAD1"), std::string::npos) << rec.error().text;
        }
        Record r(Layout::HsPlan);
        EXPECT_EQ(r.setText("HESAPAD1", c.text).ok(), c.ok) << c.text;
    }
}

TEST(RecordText, CutShortensInsteadOfRefusing) {
    Record r(Layout::FisDetA);
    ASSERT_TRUE(r.setText("FISACK", std::string(40, 'x'), 1, true).ok());
    EXPECT_EQ(*r.text("FISACK"), std::string(35, 'x'));
    Record c(Layout::Rapor);  // CSTRING(255) holds 254 characters
    EXPECT_FALSE(c.setText("FILTRE1", std::string(255, 'a')).ok());
    EXPECT_TRUE(c.setText("FILTRE1", std::string(254, 'a')).ok());
}

TEST(RecordGeneric, FieldsByNameAsTextNumberAndDate) {
    Record r(Layout::HsPlan);
    ASSERT_TRUE(r.setText("HSP:HESAPKODU", "100").ok());
    ASSERT_TRUE(r.setNumber("TLBORC", 12.5, 3).ok());
    ASSERT_TRUE(r.setText("TLALACAK", "7.25", 12).ok());
    EXPECT_EQ(*r.text("HESAPKODU"), "100");
    EXPECT_EQ(*r.number("TLBORC", 3), 12.5);
    EXPECT_EQ(*r.text("TLBORC", 3), "12.5");
    EXPECT_EQ(*r.number("TLALACAK", 12), 7.25);
    EXPECT_FALSE(r.number("TLBORC", 13).ok());
    EXPECT_FALSE(r.number("TLBORC", 0).ok());
    EXPECT_FALSE(r.text("YOK").ok());
    const std::uint32_t tl = *r.def().field("TLBORC");
    EXPECT_EQ(*r.numberAt(tl, 3), 12.5);
    ASSERT_TRUE(r.setTextAt(tl, "4", 1).ok());
    EXPECT_EQ(*r.number("TLBORC", 1), 4);
    EXPECT_FALSE(r.textAt(9999).ok());
    const auto h = fromRecord<HsPlan>(r);
    EXPECT_EQ(month(h.TLBORC, 3), 12.5);

    Record b(Layout::FisBas);
    ASSERT_TRUE(b.setText("FISTRH", "29.02.2016").ok());
    EXPECT_EQ(*b.date("FISTRH"), (core::Date{29, 2, 2016}));
    EXPECT_EQ(*b.text("FISTRH"), "29.02.2016");
    EXPECT_FALSE(b.setText("FISTRH", "30.02.2016").ok());
    EXPECT_FALSE(b.setText("FISTRH", "yarın").ok());
    EXPECT_TRUE(b.setText("FISTRH", "").ok());
    EXPECT_EQ(*b.text("FISTRH"), "");
    ASSERT_TRUE(b.setText("KSAATI", "09:05:30").ok());
    EXPECT_EQ(*b.time("KSAATI"), (core::Time{9, 5, 30, 0}));
}

TEST(RecordGeneric, WholeNumberFieldsRefuseFractionsAndOverflow) {
    const struct {
        const char* field;
        double value;
        bool ok;
    } cases[] = {
        {"FISNO", 32767, true}, {"FISNO", 32768, false}, {"FISNO", -32768, true}, {"FISNO", 1.5, false},
        {"YEVMIYENO", 2147483647.0, true}, {"YEVMIYENO", 2147483648.0, false}, {"BTOPLAM", 1e300, true},
    };
    for (const auto& c : cases) {
        Record r(Layout::FisBas);
        EXPECT_EQ(r.setNumber(c.field, c.value).ok(), c.ok) << c.field << " " << c.value;
    }
    Record r(Layout::FisBas);
    EXPECT_FALSE(r.setText("FISNO", "12a").ok());
    EXPECT_EQ(*r.number("FISNO"), 0);
}

TEST(RecordGeneric, CopyMatchingFieldsWidensAndLeavesNewFieldsBlank) {
    Record a(Layout::FisDetA);
    ASSERT_TRUE(a.setText("KEYSTR", "0100000001").ok());
    ASSERT_TRUE(a.setText("FISACK", "Kasa tahsilatı").ok());
    ASSERT_TRUE(a.setNumber("TLBORC", 100.25).ok());
    ASSERT_TRUE(a.setText("FISTRH", "15.03.2013").ok());
    Record cur(Layout::FisDet);
    cur.copyMatchingFields(a);
    EXPECT_EQ(*cur.text("KEYSTR"), "0100000001");
    EXPECT_EQ(*cur.text("FISACK"), "Kasa tahsilatı");
    EXPECT_EQ(*cur.number("TLBORC"), 100.25);
    EXPECT_EQ(*cur.text("FISTRH"), "15.03.2013");
    EXPECT_EQ(*cur.text("HESAPADI1"), "");

    Record longer(Layout::FisDet);
    ASSERT_TRUE(longer.setText("FISACK", std::string(50, 'y')).ok());
    Record older(Layout::FisDetA);
    older.copyMatchingFields(longer);
    EXPECT_EQ(*older.text("FISACK"), std::string(35, 'y'));
}

} // namespace
} // namespace hk::data
