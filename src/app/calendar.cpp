#include "app/calendar.h"

namespace hk::app {

const std::array<std::string, 12>& ayAdlari() {
    static const std::array<std::string, 12> names = {
        "Ocak", "Şubat", "Mart", "Nisan", "Mayıs", "Haziran",
        "Temmuz", "Ağustos", "Eylül", "Ekim", "Kasım", "Aralık"};
    return names;
}

std::string ayAdi(int calendarMonth) {
    if (calendarMonth < 1 || calendarMonth > 12) return {};
    return ayAdlari()[static_cast<std::size_t>(calendarMonth - 1)];
}

int ayFarkiOf(core::Date fiscalStart) {
    int farki = static_cast<int>(fiscalStart.month) - 1;
    if (farki < 0) farki += 12;
    return farki;
}

int calisilanAyOf(int seciliAy, int ayFarki) {
    int m = ayFarki + seciliAy;
    if (m > 12) m -= 12;
    return m;
}

int seciliAyOf(int calisilanAy, int ayFarki) {
    int m = calisilanAy - ayFarki;
    if (m < 1) m += 12;
    return m;
}

int daysInMonth(int month, int year) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return days[month - 1];
}

FiscalCalendar::FiscalCalendar(core::Date fiscalStart) : ayFarki_(ayFarkiOf(fiscalStart)) {
    const int year = fiscalStart.year;
    for (int i = 1; i <= 12; ++i) {
        // Month numbers past 12 belong to the following year, so the last fiscal month of a
        // year starting in July is June of the next year and every month ends on its real
        // last day.
        int m = i + ayFarki_;
        int y = year;
        if (m > 12) {
            m -= 12;
            ++y;
        }
        const auto idx = static_cast<std::size_t>(i - 1);
        start_[idx] = core::Date{1, static_cast<std::uint8_t>(m), static_cast<std::uint16_t>(y)};
        end_[idx] = core::Date{static_cast<std::uint8_t>(daysInMonth(m, y)),
                               static_cast<std::uint8_t>(m), static_cast<std::uint16_t>(y)};
    }
}

core::Date FiscalCalendar::ayBaslangic(int fiscalMonth) const {
    if (fiscalMonth < 1 || fiscalMonth > 12) return {};
    return start_[static_cast<std::size_t>(fiscalMonth - 1)];
}

core::Date FiscalCalendar::ayBitis(int fiscalMonth) const {
    if (fiscalMonth < 1 || fiscalMonth > 12) return {};
    return end_[static_cast<std::size_t>(fiscalMonth - 1)];
}

int FiscalCalendar::fiscalMonthOf(core::Date d) const {
    for (int i = 1; i <= 12; ++i)
        if (!(d < ayBaslangic(i)) && !(ayBitis(i) < d)) return i;
    return 0;
}

} // namespace hk::app
