#pragma once
// DATE and TIME as the records hold them. A DATE is day, month, year (4 bytes on disk: day,
// month, year as unsigned 16-bit little-endian); all zero means "no date". For arithmetic a date
// becomes a day number: the days elapsed since 28 December 1800 (29.12.1800 = 1, 1.1.1801 = 4,
// 29.2.2016 = 78590, 31.12.9999 = 2994626), so a spreadsheet date serial, the days since
// 30 December 1899, is the day number - 36161. A stored year above 9999 reads as 31.12.9999.

#include <cstdint>
#include <string>

namespace hk::core {

// Day number minus this = spreadsheet serial date.
inline constexpr std::int32_t kSpreadsheetDayOffset = 36161;
// Day number of 31.12.9999, the last date a record can hold.
inline constexpr std::int32_t kLastDayNumber = 2994626;

bool isLeapYear(int year);
int daysInMonth(int year, int month); // month 1..12; 0 for another month

struct Date {
    std::uint8_t day = 0;
    std::uint8_t month = 0;
    std::uint16_t year = 0;

    bool isSet() const { return day != 0 || month != 0 || year != 0; }
    friend bool operator==(const Date&, const Date&) = default;
    // Chronological order; an unset date sorts first.
    friend auto operator<=>(const Date& a, const Date& b) {
        return a.year != b.year     ? a.year <=> b.year
               : a.month != b.month ? a.month <=> b.month
                                    : a.day <=> b.day;
    }

    // Day number (0 for an unset date). Invalid day/month combinations are normalised the way
    // DATE(month, day, year) does: month 13 of Y is January of Y+1, day 0 is the day before day 1.
    std::int32_t dayNumber() const;
    static Date fromDayNumber(std::int32_t n); // n <= 0 gives the unset date
    // DATE(month, day, year) of the business rules, with the same normalisation.
    static Date make(int month, int day, int year);
    static Date today();
    bool isValid() const; // a real calendar date (or unset)
    int weekday() const;  // 0 = Sunday .. 6 = Saturday

    // 4-byte record image and back.
    void toBytes(unsigned char out[4]) const;
    static Date fromBytes(const unsigned char in[4]);
};

// TIME: hours, minutes, seconds, hundredths. 4 bytes on disk in that order; all zero = no time.
struct Time {
    std::uint8_t hour = 0, minute = 0, second = 0, hundredth = 0;
    bool isSet() const { return hour || minute || second || hundredth; }
    friend bool operator==(const Time&, const Time&) = default;
    friend auto operator<=>(const Time&, const Time&) = default;
    static Time now();
    // Hundredths of a second since midnight + 1 (the usual clock value), 0 for no time.
    std::int32_t clockValue() const;
    static Time fromClockValue(std::int32_t v);
    void toBytes(unsigned char out[4]) const;
    static Time fromBytes(const unsigned char in[4]);
};

} // namespace hk::core
