#include <quorvel/calendar.h>

#include "civil.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// year, month, day, hour, minute, second of a struct tm
using Fields = std::array<int, 6>;
Fields fields(const struct tm &t) {
    return {t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// 1970-01-01 00:00 is day 2440587.0 on the library's scale.
constexpr double kEpochDay = 2440587.0;

// Whole days are checked day by day below; here the fractions.
TEST(JulianDay, PublishedDayNumbers) {
    EXPECT_EQ(Tm_Date2Jd(2000, 1, 1, 6, 0, 0), 2451544.25);
    EXPECT_EQ(Tm_Date2Jd(2000, 1, 1, 12, 0, 0), 2451544.5);
    // Out-of-range times simply add: 25 hours is the next day at 01:00.
    EXPECT_EQ(Tm_Date2Jd(2000, 1, 1, 25, 0, 0), Tm_Date2Jd(2000, 1, 2, 1, 0, 0));
}

// Every day of 1501 to 7899 against an independent day count, and back.
TEST(JulianDay, RoundTripOfEveryDateFrom1501To7899) {
    const int64_t first = civil::days_from_epoch(1501, 1, 1);
    const int64_t last = civil::days_from_epoch(7899, 12, 31);
    int failures = 0;
    for (int64_t days = first; days <= last && failures < 10; ++days) {
        const civil::Date date = civil::date_from_epoch(days);
        const double jd = Tm_Date2Jd(date.year, date.month, date.day, 0, 0, 0);
        const struct tm back = Tm_Jd2Date(jd);
        const bool same = jd == kEpochDay + static_cast<double>(days) &&
                          back.tm_year + 1900 == date.year && back.tm_mon + 1 == date.month &&
                          back.tm_mday == date.day && back.tm_wday == civil::weekday(days) &&
                          back.tm_hour == 0 && back.tm_min == 0 && back.tm_sec == 0 &&
                          back.tm_yday == 0 && back.tm_isdst == 0;
        if (!same) {
            ++failures;
            ADD_FAILURE() << date.year << "-" << date.month << "-" << date.day << ": jd " << jd
                          << " came back as " << back.tm_year + 1900 << "-" << back.tm_mon + 1
                          << "-" << back.tm_mday << " wday " << back.tm_wday;
        }
    }
}

TEST(JulianDay, RangeEndsAt1500And7900) {
    // The day model drifts outside 1501 to 7899: 1 March comes back as the
    // clamped end of February.
    for (int year : {1500, 7900}) {
        SCOPED_TRACE(year);
        const struct tm back = Tm_Jd2Date(Tm_Date2Jd(year, 3, 1, 0, 0, 0));
        EXPECT_EQ(back.tm_year + 1900, year);
        EXPECT_EQ(back.tm_mon, 1);
        EXPECT_EQ(back.tm_mday, 28);
    }
}

TEST(JulianDay, TimeOfDayTruncatesAtEachStep) {
    // One second is lost to truncation; the other times come back whole.
    const int times[][6] = {
        {0, 0, 1, 0, 0, 0}, {12, 0, 0, 12, 0, 0}, {6, 30, 0, 6, 30, 0}, {23, 59, 59, 23, 59, 59}};
    for (const auto &[hour, minute, second, backHour, backMinute, backSecond] : times) {
        const struct tm back = Tm_Jd2Date(Tm_Date2Jd(2020, 5, 17, hour, minute, second));
        EXPECT_EQ(fields(back), (Fields{120, 4, 17, backHour, backMinute, backSecond}))
            << hour << ":" << minute << ":" << second;
    }
}

TEST(JulianDay, WeekdaysLeapYearsAndMonthLengths) {
    EXPECT_EQ(Tm_Zeller(2024, 2, 29), 4);  // the first of each month is checked below
    for (int year = 1583; year <= 2500; ++year)
        for (int month = 1; month <= 12; ++month) {
            const int64_t first = civil::days_from_epoch(year, month, 1);
            ASSERT_EQ(Tm_Zeller(year, month, 1), civil::weekday(first)) << year << "-" << month;
            const int64_t next = month == 12 ? civil::days_from_epoch(year + 1, 1, 1)
                                             : civil::days_from_epoch(year, month + 1, 1);
            ASSERT_EQ(Tm_LastDay(year, month), next - first) << year << "-" << month;
        }
    for (const auto &[year, leap] :
         {std::pair{2000, 1}, {1900, 0}, {2024, 1}, {2023, 0}, {-400, 1}, {-100, 0}, {-4, 1}})
        EXPECT_EQ(Tm_LeapYear(year), leap) << year;
}

TEST(JulianDay, BadInputGivesDefinedResults) {
    for (int month : {0, 13, -1, INT_MIN, INT_MAX}) EXPECT_EQ(Tm_LastDay(2023, month), 0) << month;

    const double unusable[] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 1e300, -1e300,
                               2147483648.0};
    for (double jd : unusable) EXPECT_EQ(fields(Tm_Jd2Date(jd)), Fields{}) << jd;
    // Extreme but finite: no overflow, some date comes back.
    const struct tm distant = Tm_Jd2Date(2147483000.0);
    EXPECT_GT(distant.tm_year, 5000000);
    EXPECT_LT(Tm_Jd2Date(-2147483000.0).tm_year, -5000000);

    // Any integers are accepted and extrapolated without overflow.
    EXPECT_TRUE(std::isfinite(Tm_Date2Jd(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN)));
    EXPECT_TRUE(std::isfinite(Tm_Date2Jd(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX)));
    // Far from today the weekday is still right, though it keeps the sign
    // of the truncating remainder: -3 (253) for a Thursday.
    for (int y : {INT_MIN + 1, -1000000, -1, INT_MAX})
        for (int m : {1, 2, 3, 12}) {
            const auto w = static_cast<signed char>(Tm_Zeller(y, m, 28));
            EXPECT_GT(w, -7) << y << "-" << m;
            EXPECT_EQ((w + 7) % 7, civil::weekday_of(y, m, 28)) << y << "-" << m;
        }
    // 31 April counts on as 1 May would.
    EXPECT_EQ(Tm_Date2Jd(2023, 4, 31, 0, 0, 0), Tm_Date2Jd(2023, 5, 1, 0, 0, 0));
}

}  // namespace
