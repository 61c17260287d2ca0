#include "app/calendar.h"

#include <gtest/gtest.h>

using hk::app::FiscalCalendar;
using hk::core::Date;

namespace {

Date d(int day, int month, int year) {
    return Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                static_cast<std::uint16_t>(year)};
}

struct MonthCase {
    int fiscalMonth;
    Date first;
    Date last;
};

} // namespace

TEST(FiscalCalendar, YearStartingInJulyRunsIntoTheNextYear) {
    FiscalCalendar cal(d(1, 7, 2014));
    EXPECT_EQ(cal.ayFarki(), 6);
    const MonthCase cases[] = {
        {1, d(1, 7, 2014), d(31, 7, 2014)},   {2, d(1, 8, 2014), d(31, 8, 2014)},
        {3, d(1, 9, 2014), d(30, 9, 2014)},   {6, d(1, 12, 2014), d(31, 12, 2014)},
        {7, d(1, 1, 2015), d(31, 1, 2015)},   {8, d(1, 2, 2015), d(28, 2, 2015)},
        {12, d(1, 6, 2015), d(30, 6, 2015)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fiscalMonth);
        EXPECT_EQ(cal.ayBaslangic(c.fiscalMonth), c.first);
        EXPECT_EQ(cal.ayBitis(c.fiscalMonth), c.last);
    }
    EXPECT_EQ(cal.calendarMonth(6), 12);
    EXPECT_EQ(cal.calendarMonth(7), 1);
}

TEST(FiscalCalendar, YearStartingInJanuaryIsTheCalendarYear) {
    FiscalCalendar cal(d(1, 1, 2016));
    EXPECT_EQ(cal.ayFarki(), 0);
    EXPECT_EQ(cal.ayBaslangic(1), d(1, 1, 2016));
    EXPECT_EQ(cal.ayBitis(1), d(31, 1, 2016));
    EXPECT_EQ(cal.ayBitis(2), d(29, 2, 2016)); // leap year
    EXPECT_EQ(cal.ayBitis(4), d(30, 4, 2016));
    EXPECT_EQ(cal.ayBaslangic(12), d(1, 12, 2016));
    EXPECT_EQ(cal.ayBitis(12), d(31, 12, 2016));
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(cal.calendarMonth(m), m);
}

TEST(FiscalCalendar, UnsetStartDateGivesOffsetEleven) {
    EXPECT_EQ(hk::app::ayFarkiOf(Date{}), 11);
    EXPECT_EQ(FiscalCalendar(Date{}).ayFarki(), 11);
}

TEST(FiscalCalendar, MonthNumbersOutsideTheYearGiveNoDate) {
    FiscalCalendar cal(d(1, 1, 2016));
    EXPECT_FALSE(cal.ayBaslangic(0).isSet());
    EXPECT_FALSE(cal.ayBitis(13).isSet());
}

TEST(FiscalCalendar, FiscalMonthOfADate) {
    FiscalCalendar cal(d(1, 7, 2014));
    EXPECT_EQ(cal.fiscalMonthOf(d(1, 7, 2014)), 1);
    EXPECT_EQ(cal.fiscalMonthOf(d(31, 12, 2014)), 6);
    EXPECT_EQ(cal.fiscalMonthOf(d(15, 1, 2015)), 7);
    EXPECT_EQ(cal.fiscalMonthOf(d(30, 6, 2015)), 12);
    EXPECT_EQ(cal.fiscalMonthOf(d(1, 7, 2015)), 0);
    EXPECT_EQ(cal.fiscalMonthOf(d(30, 6, 2014)), 0);
}

TEST(WorkingMonth, ChosenFiscalMonthGivesCalendarMonth) {
    struct Case {
        int secili, farki, calisilan;
    } cases[] = {{1, 0, 1}, {12, 0, 12}, {1, 6, 7}, {6, 6, 12}, {7, 6, 1}, {12, 6, 6}, {1, 11, 12},
                 {2, 11, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.secili) + "/" + std::to_string(c.farki));
        EXPECT_EQ(hk::app::calisilanAyOf(c.secili, c.farki), c.calisilan);
        EXPECT_EQ(hk::app::seciliAyOf(c.calisilan, c.farki), c.secili);
    }
}

TEST(MonthNames, TurkishNamesInCalendarOrder) {
    EXPECT_EQ(hk::app::ayAdi(1), "Ocak");
    EXPECT_EQ(hk::app::ayAdi(2), "Şubat");
    EXPECT_EQ(hk::app::ayAdi(5), "Mayıs");
    EXPECT_EQ(hk::app::ayAdi(8), "Ağustos");
    EXPECT_EQ(hk::app::ayAdi(9), "Eylül");
    EXPECT_EQ(hk::app::ayAdi(11), "Kasım");
    EXPECT_EQ(hk::app::ayAdi(12), "Aralık");
    EXPECT_EQ(hk::app::ayAdi(13), "");
}
