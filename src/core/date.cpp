#include "core/date.h"

#include <chrono>
#include <ctime>

namespace hk::core {

namespace {

// Days from 1.1.1970 of a proleptic Gregorian date (H. Hinnant's civil-date algorithm); month
// 1..12, day may exceed the month or be below 1, the excess simply counts on.
std::int64_t daysFromCivil(std::int64_t y, int m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (d - 1);
}

struct Civil {
    std::int64_t y;
    int m, d;
};

Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

const std::int64_t kEpoch = daysFromCivil(1800, 12, 28);

// DATE(month, day, year): months outside 1..12 carry into neighbouring years, days outside the
// month into neighbouring months.
std::int64_t dayNumberOf(std::int64_t month, std::int64_t day, std::int64_t year) {
    const std::int64_t months = year * 12 + (month - 1);
    const std::int64_t y = months >= 0 ? months / 12 : -((-months + 11) / 12);
    const int m = static_cast<int>(months - y * 12) + 1;
    return daysFromCivil(y, m, 1) + (day - 1) - kEpoch;
}

std::tm localNow(std::chrono::system_clock::time_point tp) {
    const std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

} // namespace

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::int32_t Date::dayNumber() const {
    if (!isSet()) return 0;
    if (year > 9999) return kLastDayNumber;
    // Dates before 29.12.1800 give 0 or a negative count: they are arithmetic only and turn back
    // into "no date" through fromDayNumber.
    return static_cast<std::int32_t>(dayNumberOf(month, day, year));
}

Date Date::fromDayNumber(std::int32_t n) {
    if (n <= 0) return {};
    if (n > kLastDayNumber) n = kLastDayNumber;
    const Civil c = civilFromDays(n + kEpoch);
    return Date{static_cast<std::uint8_t>(c.d), static_cast<std::uint8_t>(c.m),
                static_cast<std::uint16_t>(c.y)};
}

Date Date::make(int month, int day, int year) {
    const std::int64_t n = dayNumberOf(month, day, year);
    if (n <= 0) return {};
    return fromDayNumber(n > kLastDayNumber ? kLastDayNumber : static_cast<std::int32_t>(n));
}

Date Date::today() {
    const std::tm tm = localNow(std::chrono::system_clock::now());
    return Date{static_cast<std::uint8_t>(tm.tm_mday), static_cast<std::uint8_t>(tm.tm_mon + 1),
                static_cast<std::uint16_t>(tm.tm_year + 1900)};
}

bool Date::isValid() const {
    if (!isSet()) return true;
    if (year > 9999 || day < 1 || day > daysInMonth(year, month)) return false;
    return dayNumber() >= 1;
}

int Date::weekday() const {
    const std::int32_t n = dayNumber();
    return ((n % 7) + 7) % 7; // 28.12.1800, day 0, was a Sunday
}

void Date::toBytes(unsigned char out[4]) const {
    out[0] = day;
    out[1] = month;
    out[2] = static_cast<unsigned char>(year & 0xFF);
    out[3] = static_cast<unsigned char>(year >> 8);
}

Date Date::fromBytes(const unsigned char in[4]) {
    Date d{in[0], in[1], static_cast<std::uint16_t>(in[2] | (in[3] << 8))};
    if (d.year > 9999) return Date{31, 12, 9999};
    return d;
}

Time Time::now() {
    const auto tp = std::chrono::system_clock::now();
    const std::tm tm = localNow(tp);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count() % 1000;
    return Time{static_cast<std::uint8_t>(tm.tm_hour), static_cast<std::uint8_t>(tm.tm_min),
                static_cast<std::uint8_t>(tm.tm_sec), static_cast<std::uint8_t>(ms / 10)};
}

std::int32_t Time::clockValue() const {
    if (!isSet()) return 0;
    return hour * 360000 + minute * 6000 + second * 100 + hundredth + 1;
}

Time Time::fromClockValue(std::int32_t v) {
    if (v <= 0) return {};
    // A value past midnight wraps into the next day's clock, as adding to a time of day does.
    const std::int32_t h = (v - 1) % 8640000;
    return Time{static_cast<std::uint8_t>(h / 360000), static_cast<std::uint8_t>(h / 6000 % 60),
                static_cast<std::uint8_t>(h / 100 % 60), static_cast<std::uint8_t>(h % 100)};
}

// Byte order of the record image: hour, minute, second, hundredth.
void Time::toBytes(unsigned char out[4]) const {
    out[0] = hour;
    out[1] = minute;
    out[2] = second;
    out[3] = hundredth;
}

Time Time::fromBytes(const unsigned char in[4]) {
    return Time{in[0], in[1], in[2], in[3]};
}

} // namespace hk::core
