// Company settings: the proposed end date, the numbering lock, validation and saving without
// losing numerators advanced meanwhile.
#include "app/company.h"
#include "data/errors.h"

#include <gtest/gtest.h>

namespace c = hk::app::company;
using hk::core::Date;
using hk::data::Yasal;

namespace {

Date d(int day, int month, int year) {
    return Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                static_cast<std::uint16_t>(year)};
}

Yasal valid() {
    Yasal y;
    y.MALIDONEMBAS = d(1, 1, 2015);
    y.MALIDONEMSON = d(31, 12, 2015);
    y.FISNUMARALAMADUZENI = "B";
    y.FISNOSIRASI = "A";
    y.SIRKETUNVANI1 = "Deneme";
    return y;
}

TEST(CompanyEndDate, IsTheDayBeforeTheSameDateAYearLater) {
    struct Case {
        Date start, end;
    };
    for (const Case k : {Case{d(1, 1, 2015), d(31, 12, 2015)}, Case{d(1, 1, 2014), d(31, 12, 2014)},
                         Case{d(1, 7, 2014), d(30, 6, 2015)}, Case{d(29, 2, 2016), d(28, 2, 2017)},
                         Case{d(15, 3, 2023), d(14, 3, 2024)}, Case{Date{}, Date{}}}) {
        EXPECT_EQ(c::proposeEndDate(k.start), k.end)
            << int(k.start.day) << "." << int(k.start.month) << "." << k.start.year;
    }
}

TEST(CompanyLock, AnyIssuedNumberLocksOnlyUnderValidLetters) {
    Yasal y = valid();
    EXPECT_FALSE(c::numberingLocked(y));
    hk::data::element(y.TEDIYENUMARATOR, 366) = 1;
    EXPECT_TRUE(c::numberingLocked(y));
    y.FISNOSIRASI = "G";
    y.FISNUMARALAMADUZENI = "A";
    EXPECT_TRUE(c::numberingLocked(y));
    y.FISNOSIRASI = "";
    EXPECT_FALSE(c::numberingLocked(y)); // an unset company can always be repaired
    y = valid();
    hk::data::element(y.MAHSUPNUMARATOR, 1) = 4;
    EXPECT_TRUE(c::numberingLocked(y));
    hk::data::element(y.MAHSUPNUMARATOR, 1) = 0; // cleared by hand or by the year-end
    EXPECT_FALSE(c::numberingLocked(y));
    hk::data::element(y.TAHSILNUMARATOR, 12) = -1; // only numbers above 0 count
    EXPECT_FALSE(c::numberingLocked(y));
}

TEST(CompanyValidate, RefusesImpossibleSettings) {
    struct Case {
        const char* what;
        void (*change)(Yasal&);
    };
    const Case cases[] = {
        {"no start", [](Yasal& y) { y.MALIDONEMBAS = Date{}; }},
        {"no end", [](Yasal& y) { y.MALIDONEMSON = Date{}; }},
        {"31 February", [](Yasal& y) { y.MALIDONEMSON = d(31, 2, 2015); }},
        {"end before start", [](Yasal& y) { y.MALIDONEMSON = d(31, 12, 2014); }},
        {"thirteen months", [](Yasal& y) { y.MALIDONEMSON = d(31, 1, 2016); }},
        {"scheme", [](Yasal& y) { y.FISNUMARALAMADUZENI = "X"; }},
        {"restart", [](Yasal& y) { y.FISNOSIRASI = ""; }},
        {"closed month", [](Yasal& y) { y.KAPANANAY = 13; }},
        {"vat rate", [](Yasal& y) { hk::data::element(y.ODENECEKKDVORAN, 3) = 101; }},
        {"negative rate", [](Yasal& y) { hk::data::element(y.INDIRILECEKKDVORAN, 1) = -1; }},
    };
    EXPECT_TRUE(c::validate(valid()));
    for (const auto& k : cases) {
        Yasal y = valid();
        k.change(y);
        EXPECT_FALSE(c::validate(y)) << k.what;
    }
    Yasal shortYear = valid();
    shortYear.MALIDONEMBAS = d(15, 3, 2015); // a company founded in the year
    EXPECT_TRUE(c::validate(shortYear));
}

class CompanyFile : public ::testing::Test {
  protected:
    hk::data::TypedTable<Yasal> file{
        hk::data::Table::memory(hk::data::fileDef(hk::data::Layout::Yasal), "Yasal")};
};

TEST_F(CompanyFile, OpeningAnEmptyFileAddsOneRecord) {
    auto y = c::loadOrCreate(file);
    ASSERT_TRUE(y);
    EXPECT_EQ(file.count().value(), 1);
    ASSERT_TRUE(c::loadOrCreate(file));
    EXPECT_EQ(file.count().value(), 1);
}

TEST_F(CompanyFile, SavingKeepsNumeratorsAdvancedWhileTheWindowWasOpen) {
    ASSERT_TRUE(file.add(valid()));
    Yasal window = c::loadOrCreate(file).value();
    // voucher entry issues number 7 meanwhile
    Yasal stored = c::loadOrCreate(file).value();
    hk::data::element(stored.MAHSUPNUMARATOR, 2) = 7;
    ASSERT_TRUE(file.put(stored));

    window.SIRKETUNVANI1 = "Yeni Ünvan A.Ş.";
    window.KAPANANAY = 3;
    // the period may no longer change now, but the window keeps it unchanged
    auto saved = c::save(file, window);
    ASSERT_TRUE(saved) << saved.error().text;
    Yasal after = c::loadOrCreate(file).value();
    EXPECT_EQ(hk::data::element(after.MAHSUPNUMARATOR, 2), 7);
    EXPECT_EQ(after.SIRKETUNVANI1, "Yeni Ünvan A.Ş.");
    EXPECT_EQ(after.KAPANANAY, 3);
    EXPECT_EQ(saved.value(), after);
}

TEST_F(CompanyFile, ALockedPeriodCannotBeChangedBehindTheWindow) {
    Yasal y = valid();
    hk::data::element(y.TAHSILNUMARATOR, 40) = 2;
    ASSERT_TRUE(file.add(y));
    struct Case {
        const char* what;
        void (*change)(Yasal&);
    };
    const Case cases[] = {
        {"start", [](Yasal& x) { x.MALIDONEMBAS = d(1, 2, 2015); }},
        {"end", [](Yasal& x) { x.MALIDONEMSON = d(30, 11, 2015); }},
        {"scheme", [](Yasal& x) { x.FISNUMARALAMADUZENI = "A"; }},
        {"restart", [](Yasal& x) { x.FISNOSIRASI = "G"; }},
    };
    for (const auto& k : cases) {
        Yasal edited = y;
        edited.SIRKETUNVANI1 = "Değişti";
        k.change(edited);
        EXPECT_FALSE(c::save(file, edited)) << k.what;
        EXPECT_EQ(c::loadOrCreate(file).value(), y) << k.what;
    }
}

TEST_F(CompanyFile, InvalidSettingsWriteNothing) {
    ASSERT_TRUE(file.add(valid()));
    Yasal bad = valid();
    bad.SIRKETUNVANI1 = "Başka";
    bad.MALIDONEMSON = d(1, 1, 2014);
    EXPECT_FALSE(c::save(file, bad));
    EXPECT_EQ(c::loadOrCreate(file).value(), valid());
}

} // namespace
