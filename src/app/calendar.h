#pragma once
// The fiscal calendar of the session: which calendar month each fiscal month 1..12 is, and its
// first and last day. Fiscal month i is calendar month i + AyFarki; past December it falls in the
// year after the start of the fiscal year.

#include "core/date.h"

#include <array>
#include <string>

namespace hk::app {

// "Ocak" .. "Aralık".
const std::array<std::string, 12>& ayAdlari();
// Name of calendar month 1..12; empty outside that range.
std::string ayAdi(int calendarMonth);

// MONTH(start) - 1, or 11 when the start date is not set (MONTH of an unset date is 0).
int ayFarkiOf(core::Date fiscalStart);

// The working calendar month for a fiscal month chosen on the voucher list.
int calisilanAyOf(int seciliAy, int ayFarki);
// The fiscal month of a calendar month (inverse of the above).
int seciliAyOf(int calisilanAy, int ayFarki);

// Number of days of a calendar month (leap years by the Gregorian rule).
int daysInMonth(int month, int year);

class FiscalCalendar {
  public:
    FiscalCalendar() : FiscalCalendar(core::Date{}) {}
    explicit FiscalCalendar(core::Date fiscalStart);

    int ayFarki() const { return ayFarki_; }
    // First and last day of fiscal month 1..12; the unset date for any other month number.
    core::Date ayBaslangic(int fiscalMonth) const;
    core::Date ayBitis(int fiscalMonth) const;
    // Calendar month 1..12 of fiscal month 1..12.
    int calendarMonth(int fiscalMonth) const { return calisilanAyOf(fiscalMonth, ayFarki_); }
    // Fiscal month of a date inside the fiscal year, 0 when the date lies outside it.
    int fiscalMonthOf(core::Date d) const;

  private:
    int ayFarki_ = 11;
    std::array<core::Date, 12> start_{};
    std::array<core::Date, 12> end_{};
};

} // namespace hk::app
