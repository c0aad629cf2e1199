#include <quorvel/calendar.h>

#include "civil.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::u16string name_in(const unsigned short *buffer) {
    return std::u16string(reinterpret_cast<const char16_t *>(buffer));
}

class Holidays : public ::testing::Test {
protected:
    void SetUp() override { test_zone::use_japan(); }
};

// The class and the name, with the time of the date's midnight at UTC+9
// passed in and the weekday computed.
TEST_F(Holidays, ClassAndNameOfListedDays) {
    EXPECT_EQ(civil::japan_midnight(1948, 7, 19), -677062800);
    EXPECT_EQ(civil::japan_midnight(1948, 7, 20), -676976400);
    const struct {
        int year, month, day, dayClass;
        const char16_t *name;
    } days[] = {
        // The threshold of 1948: before it even 1 January is an ordinary day.
        {1948, 7, 19, 0, u""},  // a Monday before the law
        {1948, 7, 20, 0, u""},  // the first day of the law, a Tuesday
        {1949, 1, 15, 5, u"成人の日"},
        {1948, 1, 1, 0, u""},
        {1947, 11, 3, 0, u""},  // 文化の日 came with the law
        // Substitutes: the Sunday's holiday stays in the buffer; not before
        // 12 April 1973.
        {1973, 4, 30, 4, u"天皇誕生日"},
        {1988, 3, 21, 4, u"春分の日"},
        {2009, 5, 6, 4, u"振替休日"},
        {2012, 5, 6, 2, u""},
        {1973, 2, 11, 5, u"建国記念の日"},
        {1973, 2, 12, 0, u""},
        // Citizens' holidays, from 1986.
        {1988, 5, 4, 3, u"国民の休日"},
        {1985, 5, 4, 1, u""},
        {2006, 5, 4, 3, u"国民の休日"},
        {2007, 5, 4, 5, u"みどりの日"},
        {2009, 9, 21, 5, u"敬老の日"},
        {2009, 9, 22, 3, u"国民の休日"},
        {2009, 9, 23, 5, u"秋分の日"},
        // Moved and introduced holidays, and the days of one year only.
        {2000, 1, 10, 5, u"成人の日"},
        {2000, 1, 15, 1, u""},
        {1999, 1, 15, 5, u"成人の日"},
        {1966, 2, 11, 0, u""},
        {1967, 2, 11, 5, u"建国記念の日"},
        {1965, 9, 15, 0, u""},
        {1966, 9, 15, 5, u"敬老の日"},
        {1988, 4, 29, 5, u"天皇誕生日"},
        {2006, 4, 29, 5, u"みどりの日"},
        {2007, 4, 29, 5, u"昭和の日"},
        {1959, 4, 10, 5, u"皇太子明仁親王の結婚の儀"},
        {1989, 2, 24, 5, u"昭和天皇～大喪の礼"},
        {1990, 11, 12, 5, u"即位礼正殿の儀"},
        {1993, 6, 9, 5, u"皇太子徳仁親王の結婚の儀"},
        {2009, 5, 3, 5, u"憲法記念日"},  // a Sunday that is a named holiday
        {2009, 10, 12, 5, u"体育の日"},
    };
    for (const auto &d : days) {
        const int32_t time = civil::japan_midnight(d.year, d.month, d.day);
        SCOPED_TRACE(std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day));
        EXPECT_EQ(Tm_Holiday(d.year, d.month, d.day, -1, time), d.dayClass);
        EXPECT_EQ(name_in(Tm_HolidayStr(d.year, d.month, d.day, -1, time)), d.name);
    }
}

TEST_F(Holidays, EquinoxDaysAtTheEndsOfTheFormulas) {
    // Any time after 1973 lets the rules apply, also past 2038.
    const int anyTime = 200000000;
    const int equinoxes[][3] = {{1960, 3, 20}, {1961, 3, 21}, {2150, 3, 21},
                                {1951, 9, 24}, {1952, 9, 23}, {2020, 9, 22}};
    for (const auto &[year, month, day] : equinoxes) {
        EXPECT_EQ(Tm_Holiday(year, month, day, 3, anyTime), 5) << year;
        EXPECT_EQ(name_in(Tm_HolidayStr(year, month, day, 3, anyTime)),
                  month == 3 ? u"春分の日" : u"秋分の日");
    }
    // 2151 is past the formula: no equinox holiday in March or September.
    for (int day = 1; day <= 31; ++day) {
        EXPECT_EQ(Tm_Holiday(2151, 3, day, 3, anyTime), 0) << day;
        EXPECT_EQ(Tm_Holiday(2151, 9, day, 3, anyTime), 0) << day;
    }
}

TEST_F(Holidays, TimeAndWeekdayGivenOrComputedWhenMinusOne) {
    const struct {
        int year, month, day, wday, time, dayClass;
    } calls[] = {
        // mktime gives the midnight, Zeller the weekday.
        {2009, 5, 6, -1, -1, 4},
        {1988, 3, 21, -1, -1, 4},
        {2009, 9, 22, -1, -1, 3},
        {2015, 12, 5, -1, -1, 1},
        {2015, 12, 6, -1, -1, 2},
        // The named rules look only at the first threshold: a time below
        // 1973 keeps them, including the 6 May substitute of 2007 on.
        {2009, 5, 6, 3, -2, 4},
        {2009, 5, 3, 0, -676976400, 5},
        {2009, 5, 3, 0, -676976401, 2},
        // The Monday after the Sunday equinox of 1960: no substitute yet.
        {1960, 3, 21, -1, -1, 0},
#ifdef _WIN32
        // The Windows runtime's mktime gives -1 for dates before 1970, which
        // counts as a time after 1948: the holidays of 1948 apply from 1 January.
        {1948, 1, 1, -1, -1, 5},
#else
        {1948, 1, 1, -1, -1, 0},
#endif
    };
    for (const auto &c : calls)
        EXPECT_EQ(Tm_Holiday(c.year, c.month, c.day, c.wday, c.time), c.dayClass)
            << c.year << "-" << c.month << "-" << c.day << " " << c.wday << " " << c.time;
    // One argument: the local date of a time.
    EXPECT_EQ(Tm_Holiday(civil::japan_midnight(1973, 4, 30) + 12 * 3600), 4);
    EXPECT_EQ(Tm_Holiday(civil::japan_midnight(2009, 9, 22) + 86399), 3);
    EXPECT_EQ(Tm_Holiday(civil::japan_midnight(2009, 9, 22) - 1), 5);  // still 21 September
}

TEST_F(Holidays, NameBufferIsClearedByEachCall) {
    const unsigned short *buffer = Tm_HolidayStr(2009, 1, 1, -1, -1);
    EXPECT_EQ(name_in(buffer), u"元日");
    EXPECT_EQ(Tm_HolidayStr(2009, 1, 2, -1, -1), buffer);  // one buffer for every call
    EXPECT_EQ(name_in(buffer), u"");
    Tm_Holiday(2009, 11, 23, -1, -1);
    EXPECT_EQ(name_in(buffer), u"勤労感謝の日");
    Tm_Holiday(2009, 13, 1, -1, -1);
    EXPECT_EQ(name_in(buffer), u"");
    // Every unit past the name is zero too.
    Tm_Holiday(1959, 4, 10, -1, civil::japan_midnight(1959, 4, 10));
    Tm_Holiday(2009, 1, 2, -1, -1);
    for (int i = 0; i < QUORVEL_MAX_TEXT; ++i) ASSERT_EQ(buffer[i], 0) << i;
}

TEST_F(Holidays, BadInputGivesDefinedResults) {
    const int anyTime = 200000000;
    // Months outside 1..12 only pass through the substitute rule.
    EXPECT_EQ(Tm_Holiday(2009, 13, 1, 3, anyTime), 0);
    EXPECT_EQ(Tm_Holiday(2009, 0, 1, 6, anyTime), 1);
    EXPECT_EQ(Tm_Holiday(2009, -5, 1, 0, anyTime), 2);
    // A Monday in month 13 asks about the day before the time given.
    EXPECT_EQ(Tm_Holiday(2009, 13, 1, 1, civil::japan_midnight(2009, 5, 4)), 4);
    // 31 April is evaluated like any other number: no holiday.
    EXPECT_EQ(Tm_Holiday(2009, 4, 31, -1, -1), 0);
    EXPECT_EQ(name_in(Tm_HolidayStr(2009, 4, 31, -1, -1)), u"");
    // Far outside every table; mktime may fail, nothing breaks.
    const int extremes[] = {INT_MIN, -1, 0, 99999, INT_MAX};
    for (int y : extremes)
        for (int m : extremes)
            for (int d : extremes) EXPECT_LE(Tm_Holiday(y, m, d, -1, -1), 5) << y << " " << m << " " << d;
    EXPECT_LE(Tm_Holiday(2009, 1, 1, INT_MIN, INT_MIN), 5);
    EXPECT_LE(Tm_Holiday(2009, 1, 1, INT_MAX, INT_MAX), 5);
    // One argument, times the runtime library may not convert.
    for (int32_t t : {INT32_MIN, -1, 0, INT32_MAX}) EXPECT_LE(Tm_Holiday(t), 5) << t;
#ifdef _WIN32
    EXPECT_EQ(Tm_Holiday(-1), 0);  // the Windows runtime has no local time before 1970
    EXPECT_EQ(name_in(Tm_HolidayStr(2009, 1, 1, -1, -1)), u"元日");
#endif
}

}  // namespace
