// Tm_Holiday where the day-by-day list test does not reach: before the law
// and past 2015, the time and weekday arguments given or computed, the name
// buffer, and bad input.
#include <quorvel/calendar.h>

#include "civil.h"
#include "support/bytes.h"
#include "support/time_zone.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The Windows runtime's localtime and mktime know no time before 1970.
constexpr bool kWindowsRuntime = test::kWindowsBuild;

using test::str16;

class Holidays : public ::testing::Test {
protected:
    void SetUp() override { test_zone::use_japan(); }
};

TEST_F(Holidays, ClassAndNameByTheArgumentsGiven) {
    EXPECT_EQ(civil::japan_midnight(1948, 7, 19), -677062800);
    EXPECT_EQ(civil::japan_midnight(1948, 7, 20), -676976400);
    const int anyTime = 200000000;  // after 1973: every rule applies, past 2038 too
    const long long midnight = 1LL << 40;  // marks the date's midnight at UTC+9
    const struct {
        int year, month, day, wday;
        long long time;
        int dayClass;
        const char16_t *name;
    } days[] = {
        // Before the law even 1 January and 3 November are ordinary days.
        {1948, 7, 19, -1, midnight, 0, u""},
        {1948, 1, 1, -1, midnight, 0, u""},
        {1947, 11, 3, -1, midnight, 0, u""},
        // A time of -1 from mktime counts as one after 1948.
        {1948, 1, 1, -1, -1, kWindowsRuntime ? 5 : 0, kWindowsRuntime ? u"元日" : u""},
        {2040, 1, 1, -1, -1, 5, u"元日"},  // a midnight past 32 bits: -1 too
        // Both computed: mktime gives the midnight, Zeller the weekday.
        {2009, 5, 6, -1, -1, 4, u"振替休日"},
        {1988, 3, 21, -1, -1, 4, u"春分の日"},
        // The named rules look only at the first threshold.
        {2009, 5, 6, 3, -2, 4, u"振替休日"},
        {2009, 5, 3, 0, -676976400, 5, u"憲法記念日"},
        {2009, 5, 3, 0, -676976401, 2, u""},
        // The equinox formulas end in 2150.
        {2020, 9, 22, 2, anyTime, 5, u"秋分の日"},
        {2150, 3, 21, 6, anyTime, 5, u"春分の日"},
        // Months outside 1 to 12 only pass through the substitute rule; a
        // Monday there asks about the day before the time given.
        {2009, 13, 1, 3, anyTime, 0, u""},
        {2009, 0, 1, 6, anyTime, 1, u""},
        {2009, -5, 1, 0, anyTime, 2, u""},
        {2009, 13, 1, 1, civil::japan_midnight(2009, 5, 4), 4, u"憲法記念日"},
        // 31 April is evaluated like any other number.
        {2009, 4, 31, -1, -1, 0, u""},
        {2009, 1, 1, INT_MIN, INT_MIN, 0, u""},
        {2009, 1, 1, INT_MAX, INT_MAX, 5, u"元日"},
        {2000, 1, INT_MIN, 1, 0, 0, u""},  // a Monday in no week of the month
    };
    for (const auto &d : days) {
        const int time = d.time == midnight ? civil::japan_midnight(d.year, d.month, d.day)
                                            : static_cast<int>(d.time);
        SCOPED_TRACE(std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day) +
                     " " + std::to_string(d.wday) + " " + std::to_string(d.time));
        EXPECT_EQ(Tm_Holiday(d.year, d.month, d.day, d.wday, time), d.dayClass);
        EXPECT_EQ(str16(Tm_HolidayStr(d.year, d.month, d.day, d.wday, time)), d.name);
    }
    // 2151 is past the formulas: no equinox holiday in March or September.
    for (int day = 1; day <= 31; ++day) {
        EXPECT_EQ(Tm_Holiday(2151, 3, day, 3, anyTime), 0) << day;
        EXPECT_EQ(Tm_Holiday(2151, 9, day, 3, anyTime), 0) << day;
    }
    // Far outside every table, mktime may fail: a Wednesday stays ordinary.
    const int extremes[] = {INT_MIN, -1, 0, 99999, INT_MAX};
    for (int y : extremes)
        for (int m : {INT_MIN, -1, 0, 1, 99999, INT_MAX})
            for (int d : extremes) EXPECT_EQ(Tm_Holiday(y, m, d, 3, -1), 0) << y << " " << m << " " << d;
}

TEST_F(Holidays, OneArgumentTakesTheLocalDateOfTheTime) {
    const struct {
        int32_t time;
        int dayClass;
    } times[] = {
        {civil::japan_midnight(1973, 4, 30) + 12 * 3600, 4},
        {civil::japan_midnight(2009, 9, 22) + 86399, 3},
        {civil::japan_midnight(2009, 9, 22) - 1, 5},  // still 21 September
        {INT32_MIN, kWindowsRuntime ? 0 : 1},         // 1901-12-14, a Saturday
        {-1, kWindowsRuntime ? 0 : 5},                // 1970-01-01 08:59:59
        {0, 5},
        {INT32_MAX, 0},  // 2038-01-19, a Tuesday
    };
    for (const auto &t : times) EXPECT_EQ(Tm_Holiday(t.time), t.dayClass) << t.time;
}

TEST_F(Holidays, NameBufferIsClearedByEachCall) {
    const unsigned short *buffer = Tm_HolidayStr(2009, 1, 1, -1, -1);
    EXPECT_EQ(str16(buffer), u"元日");
    EXPECT_EQ(Tm_HolidayStr(2009, 1, 2, -1, -1), buffer);  // one buffer for every call
    EXPECT_EQ(str16(buffer), u"");
    Tm_Holiday(2009, 11, 23, -1, -1);
    EXPECT_EQ(str16(buffer), u"勤労感謝の日");
    // Every unit past the name is zero too.
    Tm_Holiday(1959, 4, 10, -1, civil::japan_midnight(1959, 4, 10));
    Tm_Holiday(2009, 1, 2, -1, -1);
    for (int i = 0; i < QUORVEL_MAX_TEXT; ++i) ASSERT_EQ(buffer[i], 0) << i;
}

}  // namespace
