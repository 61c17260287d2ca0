// Company settings: the proposed end date, the numbering lock, validation and saving without
// losing numerators advanced meanwhile.
#include "app/company.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

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
    auto saved = c::save(file, window, c::copyAllButNumerators);
    ASSERT_TRUE(saved) << saved.error().text;
    Yasal after = c::loadOrCreate(file).value();
    EXPECT_EQ(hk::data::element(after.MAHSUPNUMARATOR, 2), 7);
    EXPECT_EQ(after.SIRKETUNVANI1, "Yeni Ünvan A.Ş.");
    EXPECT_EQ(after.KAPANANAY, 3);
    EXPECT_EQ(saved.value(), after);
}

// A save writes only the members its editor declares: another member keeps the file's value
// even when the editor's copy of the record holds an older one.
TEST_F(CompanyFile, SavingWritesOnlyTheDeclaredMembers) {
    ASSERT_TRUE(file.add(valid()));
    Yasal editor = c::loadOrCreate(file).value();
    Yasal stored = editor;
    stored.SIRKETUNVANI2 = "Başka Program";
    stored.CALISILANAYNO = 4;
    ASSERT_TRUE(file.put(stored));

    editor.SIRKETUNVANI1 = "Yalnız Ünvan";
    editor.SIRKETUNVANI2 = "Eski";
    auto saved = c::save(file, editor, [](const Yasal& from, Yasal& to) {
        to.SIRKETUNVANI1 = from.SIRKETUNVANI1;
    });
    ASSERT_TRUE(saved) << saved.error().text;
    const Yasal after = c::loadOrCreate(file).value();
    EXPECT_EQ(after.SIRKETUNVANI1, "Yalnız Ünvan");
    EXPECT_EQ(after.SIRKETUNVANI2, "Başka Program");
    EXPECT_EQ(after.CALISILANAYNO, 4);
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
        EXPECT_FALSE(c::save(file, edited, c::copyAllButNumerators)) << k.what;
        EXPECT_EQ(c::loadOrCreate(file).value(), y) << k.what;
    }
}

TEST_F(CompanyFile, InvalidSettingsWriteNothing) {
    ASSERT_TRUE(file.add(valid()));
    Yasal bad = valid();
    bad.SIRKETUNVANI1 = "Başka";
    bad.MALIDONEMSON = d(1, 1, 2014);
    EXPECT_FALSE(c::save(file, bad, c::copyAllButNumerators));
    EXPECT_EQ(c::loadOrCreate(file).value(), valid());
}

// Converted data may hold a period longer than twelve months. Once numbers were given the dates
// cannot be edited, and the rest of the record must still be savable; a date that changes is
// checked as always.
TEST_F(CompanyFile, AStoredLongPeriodIsCheckedOnlyWhenItsDatesChange) {
    Yasal converted = valid();
    converted.MALIDONEMSON = d(31, 12, 2016); // 24 months
    hk::data::element(converted.MAHSUPNUMARATOR, 1) = 3;
    ASSERT_TRUE(file.add(converted));
    Yasal edited = converted;
    edited.SIRKETUNVANI1 = "Devralınan A.Ş.";
    auto saved = c::save(file, edited, c::copyAllButNumerators);
    ASSERT_TRUE(saved) << saved.error().text;
    EXPECT_EQ(c::loadOrCreate(file).value().SIRKETUNVANI1, "Devralınan A.Ş.");

    // unlocked, the same long period is kept as it is, but a new long one is refused
    Yasal unlocked = c::loadOrCreate(file).value();
    hk::data::element(unlocked.MAHSUPNUMARATOR, 1) = 0;
    ASSERT_TRUE(file.put(unlocked));
    EXPECT_TRUE(c::save(file, unlocked, c::copyAllButNumerators));
    Yasal longer = unlocked;
    longer.MALIDONEMSON = d(31, 3, 2017);
    auto refused = c::save(file, longer, c::copyAllButNumerators);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, hk::core::ErrorKind::Refused);
    EXPECT_EQ(c::loadOrCreate(file).value().MALIDONEMSON, d(31, 12, 2016));
}

// Two connections to one data folder, as two processes have: voucher entry advances a numerator
// inside its unit of work while the settings are saved from the other connection. The save waits
// for it and keeps the number; read outside a unit of work it would write the old one back.
TEST(CompanyTwoConnections, SavingWaitsForAndKeepsANumeratorAdvancedMeanwhile) {
    hk::test::TempDir dir("company");
    const auto where = hk::data::Locations::resolve(dir.path.string(), dir.path);
    auto entry = hk::data::DataSet::open(where);
    auto settings = hk::data::DataSet::open(where);
    ASSERT_TRUE(entry && settings);
    auto entryFile = entry->open<Yasal>();
    auto settingsFile = settings->open<Yasal>();
    ASSERT_TRUE(entryFile && settingsFile);
    ASSERT_TRUE(entryFile->add(valid()));
    Yasal window = c::loadOrCreate(*settingsFile).value();
    window.SIRKETUNVANI1 = "Pencereden";

    auto tx = entry->begin();
    ASSERT_TRUE(tx);
    Yasal numbered = c::loadOrCreate(*entryFile).value();
    hk::data::element(numbered.MAHSUPNUMARATOR, 5) = 12;
    ASSERT_TRUE(entryFile->put(numbered));

    std::atomic<bool> saving{false};
    hk::core::Result<Yasal> saved = hk::core::Error::of(0, "not run");
    std::thread other([&] {
        saving = true;
        saved = c::save(*settingsFile, window, c::copyAllButNumerators);
    });
    while (!saving) std::this_thread::yield();
    // give the save time to reach its read; a save that read now would see the old numerator
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(tx->commit());
    other.join();

    ASSERT_TRUE(saved) << saved.error().describe();
    const Yasal after = c::loadOrCreate(*entryFile).value();
    EXPECT_EQ(hk::data::element(after.MAHSUPNUMARATOR, 5), 12);
    EXPECT_EQ(after.SIRKETUNVANI1, "Pencereden");
}

} // namespace
