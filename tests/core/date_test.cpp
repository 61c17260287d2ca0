#include "core/date.h"

#include <gtest/gtest.h>

using hk::core::Date;
using hk::core::Time;

TEST(DateDayNumber, KnownDays) {
    // Day counts from 28.12.1800; spreadsheet serials as a spreadsheet program shows them.
    struct Row { Date d; int dayNumber; int serial; int weekday; };
    const Row rows[] = {
        {{29, 12, 1800}, 1, 0, 1},
        {{1, 1, 1801}, 4, 0, 4},
        {{1, 3, 1900}, 36161 + 61, 61, 4},
        {{29, 2, 2016}, 78590, 42429, 1},
        {{1, 1, 2014}, 36161 + 41640, 41640, 3},
        {{31, 12, 2015}, 36161 + 42369, 42369, 4},
        {{31, 12, 9999}, 2994626, 2994626 - 36161, 5},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.d.dayNumber(), r.dayNumber) << int(r.d.day) << "." << int(r.d.month) << "." << r.d.year;
        if (r.serial) {
            EXPECT_EQ(r.d.dayNumber() - hk::core::kSpreadsheetDayOffset, r.serial);
        }
        EXPECT_EQ(Date::fromDayNumber(r.dayNumber), r.d);
        EXPECT_EQ(r.d.weekday(), r.weekday);
    }
    EXPECT_EQ(Date{}.dayNumber(), 0);
    EXPECT_FALSE(Date::fromDayNumber(0).isSet());
    EXPECT_FALSE(Date::fromDayNumber(-5).isSet());
    EXPECT_EQ(Date::fromDayNumber(hk::core::kLastDayNumber + 10), (Date{31, 12, 9999}));
}

TEST(DateMake, NormalisesMonthsAndDays) {
    struct Row { int m, d, y; Date want; };
    const Row rows[] = {
        {13, 1, 2014, {1, 1, 2015}},   // month 13 of Y is January of Y+1
        {14, 0, 2014, {31, 1, 2015}},  // day 0 = the day before day 1
        {3, 0, 2016, {29, 2, 2016}},
        {3, 0, 2015, {28, 2, 2015}},
        {2, 30, 2015, {2, 3, 2015}},
        {0, 1, 2015, {1, 12, 2014}},
        {-1, 15, 2015, {15, 11, 2014}},
        {25, 1, 2014, {1, 1, 2016}},
        {1, 1, 1801, {1, 1, 1801}},
        {12, 34, 2014, {3, 1, 2015}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Date::make(r.m, r.d, r.y), r.want) << r.m << "/" << r.d << "/" << r.y;
    }
    // Month 12 ends on the day before month 13 starts.
    EXPECT_EQ(Date::fromDayNumber(Date::make(13, 1, 2014).dayNumber() - 1), (Date{31, 12, 2014}));
    // An unnormalised stored date still gives the normalised day number.
    EXPECT_EQ((Date{31, 2, 2015}).dayNumber(), (Date{3, 3, 2015}).dayNumber());
    EXPECT_FALSE(Date::make(1, 1, 1700).isSet());
    EXPECT_EQ(Date::make(1, 1, 12000), (Date{31, 12, 9999}));
}

TEST(DateBytes, RecordImage) {
    unsigned char b[4];
    Date{29, 2, 2016}.toBytes(b);
    EXPECT_EQ(b[0], 29);
    EXPECT_EQ(b[1], 2);
    EXPECT_EQ(b[2], 0xE0);
    EXPECT_EQ(b[3], 0x07);
    EXPECT_EQ(Date::fromBytes(b), (Date{29, 2, 2016}));

    const unsigned char zero[4] = {0, 0, 0, 0};
    EXPECT_FALSE(Date::fromBytes(zero).isSet());
    const unsigned char big[4] = {5, 6, 0x10, 0x27}; // year 10000
    EXPECT_EQ(Date::fromBytes(big), (Date{31, 12, 9999}));
    EXPECT_EQ((Date{1, 1, 10000}).dayNumber(), hk::core::kLastDayNumber);
}

TEST(DateValidity, CalendarChecks) {
    EXPECT_TRUE(Date{}.isValid());
    EXPECT_TRUE((Date{29, 2, 2016}).isValid());
    EXPECT_FALSE((Date{29, 2, 2015}).isValid());
    EXPECT_FALSE((Date{29, 2, 1900}).isValid());
    EXPECT_TRUE((Date{29, 2, 2000}).isValid());
    EXPECT_FALSE((Date{31, 4, 2015}).isValid());
    EXPECT_FALSE((Date{1, 13, 2015}).isValid());
    EXPECT_FALSE((Date{0, 5, 2015}).isValid());
    EXPECT_FALSE((Date{1, 1, 1700}).isValid());
    EXPECT_LT((Date{31, 12, 2014}), (Date{1, 1, 2015}));
    EXPECT_LT(Date{}, (Date{1, 1, 1801}));
    const Date t = Date::today();
    EXPECT_TRUE(t.isValid());
    EXPECT_GE(t.year, 2024);
}

TEST(TimeValue, ClockAndBytes) {
    const Time t{13, 45, 7, 25};
    EXPECT_EQ(t.clockValue(), 13 * 360000 + 45 * 6000 + 7 * 100 + 25 + 1);
    EXPECT_EQ(Time::fromClockValue(t.clockValue()), t);
    EXPECT_EQ(Time::fromClockValue(8640000), (Time{23, 59, 59, 99}));
    EXPECT_EQ(Time::fromClockValue(8640001), Time{});
    EXPECT_EQ(Time{}.clockValue(), 0);
    EXPECT_FALSE(Time::fromClockValue(0).isSet());
    unsigned char b[4];
    t.toBytes(b);
    EXPECT_EQ(b[0], 13);
    EXPECT_EQ(b[1], 45);
    EXPECT_EQ(b[2], 7);
    EXPECT_EQ(b[3], 25);
    EXPECT_EQ(Time::fromBytes(b), t);
    EXPECT_LT((Time{9, 59, 0, 0}), (Time{10, 0, 0, 0}));
    const Time n = Time::now();
    EXPECT_LT(n.hour, 24);
    EXPECT_LT(n.hundredth, 100);
}
