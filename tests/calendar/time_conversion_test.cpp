#include <quorvel/calendar.h>

#include "time_zone.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

uint64_t value(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME file_time(uint64_t v) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(v);
    time.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return time;
}

SYSTEMTIME system_time(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

void expect_fields(const SYSTEMTIME &t, int year, int month, int wday, int day, int hour,
                   int minute, int second, int ms) {
    EXPECT_EQ(t.wYear, year);
    EXPECT_EQ(t.wMonth, month);
    EXPECT_EQ(t.wDayOfWeek, wday);
    EXPECT_EQ(t.wDay, day);
    EXPECT_EQ(t.wHour, hour);
    EXPECT_EQ(t.wMinute, minute);
    EXPECT_EQ(t.wSecond, second);
    EXPECT_EQ(t.wMilliseconds, ms);
}

constexpr uint64_t kUnixEpoch = 116444736000000000ull;

TEST(TimeConversion, FileTimeAndUnixTimeArithmetic) {
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(0)), kUnixEpoch);
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(0)), 0x019DB1DED53E8000ull);
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(kUnixEpoch)), 0);
    // Truncation toward zero on both sides of 1970.
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(116444736009999999ull)), 0);
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(116444735990000001ull)), 0);
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(116444735990000000ull)), -1);
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(-1)), 116444735990000000ull);
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(INT32_MAX)), kUnixEpoch + 21474836470000000ull);
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(INT32_MIN)), kUnixEpoch - 21474836480000000ull);
    for (int32_t t : {INT32_MIN, -86400, -1, 0, 1, 1625140800, INT32_MAX})
        EXPECT_EQ(Tm_FileTimeToUnixTime(Tm_UnixTimeToFileTime(t)), t) << t;
    // Beyond 2038 the seconds are cut to their low 32 bits.
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(kUnixEpoch + 0x100000005ull * 10000000)), 5);
    // File time 0 (1601) and the largest value: defined, no overflow trap.
    EXPECT_EQ(Tm_FileTimeToUnixTime(file_time(0)),
              static_cast<int32_t>(static_cast<uint32_t>(-11644473600LL)));
    Tm_FileTimeToUnixTime(file_time(~0ull));
}

TEST(TimeConversion, UnixTimeAndSystemTimeInJapan) {
    test_zone::use_japan();
    expect_fields(Tm_UnixTimeToSystemTime(0), 1970, 1, 4, 1, 9, 0, 0, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(0)), 0);
    // 2021-07-01 12:00:00 UTC; UTC+9 has no daylight saving.
    expect_fields(Tm_UnixTimeToSystemTime(1625140800), 2021, 7, 4, 1, 21, 0, 0, 0);
    for (int32_t t = 0; t < 2000000000; t += 9999991) {
        ASSERT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(t)), t);
    }
    // Milliseconds and the day of the week are not read.
    SYSTEMTIME noon = system_time(2021, 7, 1, 21, 0, 0);
    noon.wMilliseconds = 999;
    noon.wDayOfWeek = 6;
    EXPECT_EQ(Tm_SystemTimeToUnixTime(noon), 1625140800);
    // Out-of-range fields are normalised by mktime: 31 April is 1 May.
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(2021, 4, 31, 0, 0, 0)),
              Tm_SystemTimeToUnixTime(system_time(2021, 5, 1, 0, 0, 0)));
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(2021, 13, 1, 0, 0, 0)),
              Tm_SystemTimeToUnixTime(system_time(2022, 1, 1, 0, 0, 0)));
    // Before 1970: the Windows runtime has no local time there.
#ifdef _WIN32
    expect_fields(Tm_UnixTimeToSystemTime(-1), 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(1960, 1, 1, 0, 0, 0)), -1);
#else
    expect_fields(Tm_UnixTimeToSystemTime(-1), 1970, 1, 4, 1, 8, 59, 59, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(1960, 1, 1, 0, 0, 0)), -315651600);
#endif
    // Fields of 0 and 65535 pass through mktime without harm.
    Tm_SystemTimeToUnixTime(SYSTEMTIME{});
    Tm_SystemTimeToUnixTime(system_time(65535, 65535, 65535, 65535, 65535, 65535));
    Tm_UnixTimeToSystemTime(INT32_MIN);
    Tm_UnixTimeToSystemTime(INT32_MAX);
}

// mktime reads the SYSTEMTIME with tm_isdst 0, that is as standard time:
// in winter the conversions are inverse, in summer the way back lands one
// hour late, and the skipped and repeated hours read as standard time.
TEST(TimeConversion, AcrossDaylightSavingChanges) {
    test_zone::use("America/New_York", "EST5EDT");
    const int32_t springForward = 1615705200;  // 2021-03-14 07:00 UTC
    expect_fields(Tm_UnixTimeToSystemTime(springForward - 1), 2021, 3, 0, 14, 1, 59, 59, 0);
    expect_fields(Tm_UnixTimeToSystemTime(springForward), 2021, 3, 0, 14, 3, 0, 0, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(springForward - 1)), springForward - 1);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(springForward)), springForward + 3600);
    // 02:30 does not exist that night; as standard time it is 07:30 UTC.
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(2021, 3, 14, 2, 30, 0)), 1615707000);

    const int32_t summer = 1625140800;  // 2021-07-01 12:00 UTC, 08:00 EDT
    expect_fields(Tm_UnixTimeToSystemTime(summer), 2021, 7, 4, 1, 8, 0, 0, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(summer)), summer + 3600);
    const int32_t winter = 1638360000;  // 2021-12-01 12:00 UTC, 07:00 EST
    expect_fields(Tm_UnixTimeToSystemTime(winter), 2021, 12, 3, 1, 7, 0, 0, 0);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(winter)), winter);

    // 01:30 comes twice on 7 November; read as EST it is 06:30 UTC.
    EXPECT_EQ(Tm_SystemTimeToUnixTime(system_time(2021, 11, 7, 1, 30, 0)), 1636266600);
    // Across both changes the way back never runs backwards.
    int32_t previous = INT32_MIN;
    for (int32_t t = springForward - 7200; t <= springForward + 7200; t += 600) {
        const int32_t back = Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(t));
        EXPECT_GE(back, previous) << t;
        EXPECT_TRUE(back == t || back == t + 3600) << t;
        previous = back;
    }
    test_zone::use_japan();
}

TEST(TimeConversion, FileTimeAndLocalSystemTime) {
    test_zone::use_japan();
    if (!test_zone::system_zone_is_japan()) GTEST_SKIP() << "the system's zone is not UTC+9";
    // 2021-07-01 12:34:56.789 UTC is 21:34:56.789 in Japan, a Thursday.
    const uint64_t moment = 132696164967890000ull;
    const SYSTEMTIME local = Tm_FileTimeToSystemTime(file_time(moment));
    expect_fields(local, 2021, 7, 4, 1, 21, 34, 56, 789);
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(local)), moment);
    expect_fields(Tm_FileTimeToSystemTime(file_time(kUnixEpoch)), 1970, 1, 4, 1, 9, 0, 0, 0);
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(system_time(1970, 1, 1, 9, 0, 0))), kUnixEpoch);

    // A day the month lacks or a month 13 is refused: all zero.
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(system_time(2021, 4, 31, 0, 0, 0))), 0u);
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(system_time(2021, 13, 1, 0, 0, 0))), 0u);
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(SYSTEMTIME{})), 0u);
    // Past the largest file time: all zero.
    expect_fields(Tm_FileTimeToSystemTime(file_time(0x8000000000000000ull)), 0, 0, 0, 0, 0, 0, 0, 0);
}

}  // namespace
