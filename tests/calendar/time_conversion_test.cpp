// FILETIME, SYSTEMTIME and Unix time: the system's calls (natively the
// platform layer's; under Wine the system's own, which keeps the two in
// step) and the library's conversions built on them.
#include <quorvel/calendar.h>

#include "support/win32.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace {

uint64_t value(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME file_time(uint64_t v) { return {static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

// year, month, weekday, day, hour, minute, second, millisecond
using Fields = std::array<int, 8>;
Fields fields(const SYSTEMTIME &t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

constexpr uint64_t kUnixEpoch = 116444736000000000ull;

TEST(FileTime, SystemCallsConvertBothWaysAndRefuseValuesOutOfRange) {
    // Values from python's datetime.
    const std::pair<uint64_t, Fields> moments[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {kUnixEpoch, {1970, 1, 4, 1, 0, 0, 0, 0}},
        {132696164967890000ull, {2021, 7, 4, 1, 12, 34, 56, 789}},
        {125962560000000000ull, {2000, 2, 2, 29, 0, 0, 0, 0}},
        {0x7FFFFFFFFFFFFFFFull, {30828, 9, 4, 14, 2, 48, 5, 477}},
    };
    for (const auto &[moment, expected] : moments) {
        SCOPED_TRACE(moment);
        const FILETIME in = file_time(moment);
        SYSTEMTIME s{};
        ASSERT_TRUE(FileTimeToSystemTime(&in, &s));
        EXPECT_EQ(fields(s), expected);
        FILETIME back{};
        if (expected[0] <= 30827) {
            ASSERT_TRUE(SystemTimeToFileTime(&s, &back));
            EXPECT_EQ(value(back), moment - moment % 10000);  // whole milliseconds
        }
    }

    const FILETIME tooLarge = file_time(0x8000000000000000ull);
    SYSTEMTIME s{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &s));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    const SYSTEMTIME valid = {2021, 2, 0, 28, 23, 59, 59, 999};
    FILETIME out{};
    ASSERT_TRUE(SystemTimeToFileTime(&valid, &out));
    // wineAccepts: Windows refuses it too (29 February of a common year, a
    // year past the documented 30827); Wine 8 lets it through.
    const struct {
        SYSTEMTIME time;
        bool wineAccepts;
    } refused[] = {
        {{2021, 4, 0, 31, 0, 0, 0, 0}},    {{2021, 0, 0, 1, 0, 0, 0, 0}},
        {{2021, 13, 0, 1, 0, 0, 0, 0}},    {{2021, 1, 0, 0, 0, 0, 0, 0}},
        {{2021, 1, 0, 1, 24, 0, 0, 0}},    {{2021, 1, 0, 1, 0, 60, 0, 0}},
        {{2021, 1, 0, 1, 0, 0, 60, 0}},    {{2021, 1, 0, 1, 0, 0, 0, 1000}},
        {{1600, 12, 0, 31, 0, 0, 0, 0}},   {{2021, 2, 0, 29, 0, 0, 0, 0}, true},
        {{30828, 1, 0, 1, 0, 0, 0, 0}, true},
    };
    for (const auto &[r, wineAccepts] : refused) {
        SCOPED_TRACE(testing::PrintToString(fields(r)));
        SetLastError(0);
        const BOOL converted = SystemTimeToFileTime(&r, &out);
        if (converted && wineAccepts && test::under_wine()) continue;  // the known difference
        EXPECT_FALSE(converted);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    const SYSTEMTIME leapDay = {2000, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_TRUE(SystemTimeToFileTime(&leapDay, &out));
    EXPECT_EQ(value(out), 125962560000000000ull);
}

// As on Windows, the offset in force now applies to every moment, summer
// or winter: New York's -5 or -4 hours, the same for January and July.
TEST(FileTime, LocalFileTimeAppliesTheOffsetInForceNow) {
    const auto applied_offset = [](uint64_t utcValue) {
        const FILETIME utc = file_time(utcValue);
        FILETIME local{}, back{};
        EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        EXPECT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(value(back), utcValue);
        return static_cast<int64_t>(value(local) - utcValue) / 10000000;
    };
    if (!test::kWindowsBuild) {  // Windows takes the system's zone, not TZ
        test_zone::use("America/New_York", "EST5EDT");
        const int64_t january = applied_offset(132539328000000000ull);  // 2021-01-01 00:00 UTC
        const int64_t july = applied_offset(132695712000000000ull);     // 2021-07-01 00:00 UTC
        EXPECT_EQ(january, july);
        EXPECT_TRUE(january == -5 * 3600 || january == -4 * 3600) << january;
    }
    test_zone::use_japan();
    if (!test_zone::system_zone_is_japan()) GTEST_SKIP() << "the system's zone is not UTC+9";
    EXPECT_EQ(applied_offset(kUnixEpoch), 9 * 3600);
    // No range check: the sum wraps.
    const FILETIME top = file_time(~0ull);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&top, &local));
    EXPECT_EQ(value(local), 9ull * 3600 * 10000000 - 1);
}

TEST(TimeConversion, FileTimeAndUnixTimeArithmetic) {
    EXPECT_EQ(value(Tm_UnixTimeToFileTime(0)), kUnixEpoch);
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
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(0)), (Fields{1970, 1, 4, 1, 9, 0, 0, 0}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(0)), 0);
    // 2021-07-01 12:00:00 UTC; UTC+9 has no daylight saving.
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(1625140800)), (Fields{2021, 7, 4, 1, 21, 0, 0, 0}));
    for (int32_t t = 0; t < 2000000000; t += 9999991)
        ASSERT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(t)), t);
    // Milliseconds and the day of the week are not read.
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2021, 7, 6, 1, 21, 0, 0, 999}), 1625140800);
    // Out-of-range fields are normalised by mktime: 31 April is 1 May.
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2021, 4, 0, 31}), Tm_SystemTimeToUnixTime({2021, 5, 0, 1}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2021, 13, 0, 1}), Tm_SystemTimeToUnixTime({2022, 1, 0, 1}));
    // Moments a 32-bit time cannot hold: -1.
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2040, 1, 0, 1}), -1);
    EXPECT_EQ(Tm_SystemTimeToUnixTime({1601, 1, 0, 1}), -1);
    // Before 1970: the Windows runtime has no local time there.
    const bool windows = test::kWindowsBuild;
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(-1)), (windows ? Fields{} : Fields{1970, 1, 4, 1, 8, 59, 59, 0}));
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(INT32_MIN)),
              (windows ? Fields{} : Fields{1901, 12, 6, 14, 5, 45, 52, 0}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime({1960, 1, 0, 1}), windows ? -1 : -315651600);
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(INT32_MAX)), (Fields{2038, 1, 2, 19, 12, 14, 7, 0}));
    // Fields of 0 and 65535 lie before 1970 and past 2038.
    EXPECT_EQ(Tm_SystemTimeToUnixTime(SYSTEMTIME{}), -1);
    EXPECT_EQ(Tm_SystemTimeToUnixTime({65535, 65535, 0, 65535, 65535, 65535, 65535, 0}), -1);
}

// mktime reads the SYSTEMTIME with tm_isdst 0, that is as standard time:
// in winter the conversions are inverse, in summer the way back lands one
// hour late, and the skipped and repeated hours read as standard time.
TEST(TimeConversion, AcrossDaylightSavingChanges) {
    test_zone::use("America/New_York", "EST5EDT");
    const int32_t springForward = 1615705200;  // 2021-03-14 07:00 UTC
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(springForward - 1)), (Fields{2021, 3, 0, 14, 1, 59, 59, 0}));
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(springForward)), (Fields{2021, 3, 0, 14, 3, 0, 0, 0}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(springForward - 1)), springForward - 1);
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(springForward)), springForward + 3600);
    // 02:30 does not exist that night; as standard time it is 07:30 UTC.
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2021, 3, 0, 14, 2, 30}), 1615707000);

    const int32_t summer = 1625140800;  // 2021-07-01 12:00 UTC, 08:00 EDT
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(summer)), (Fields{2021, 7, 4, 1, 8, 0, 0, 0}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(summer)), summer + 3600);
    const int32_t winter = 1638360000;  // 2021-12-01 12:00 UTC, 07:00 EST
    EXPECT_EQ(fields(Tm_UnixTimeToSystemTime(winter)), (Fields{2021, 12, 3, 1, 7, 0, 0, 0}));
    EXPECT_EQ(Tm_SystemTimeToUnixTime(Tm_UnixTimeToSystemTime(winter)), winter);

    // 01:30 comes twice on 7 November; read as EST it is 06:30 UTC.
    EXPECT_EQ(Tm_SystemTimeToUnixTime({2021, 11, 0, 7, 1, 30}), 1636266600);
    // Across the change the way back never runs backwards.
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
    EXPECT_EQ(fields(local), (Fields{2021, 7, 4, 1, 21, 34, 56, 789}));
    EXPECT_EQ(value(Tm_SystemTimeToFileTime(local)), moment);
    EXPECT_EQ(fields(Tm_FileTimeToSystemTime(file_time(kUnixEpoch))), (Fields{1970, 1, 4, 1, 9, 0, 0, 0}));
    EXPECT_EQ(value(Tm_SystemTimeToFileTime({1970, 1, 0, 1, 9})), kUnixEpoch);

    // A day the month lacks, a month 13, all zero or a moment before 1601
    // UTC is refused: all zero.
    for (const SYSTEMTIME &refused : {SYSTEMTIME{2021, 4, 0, 31}, {2021, 13, 0, 1}, {}, {1601, 1, 0, 1, 8, 59}})
        EXPECT_EQ(value(Tm_SystemTimeToFileTime(refused)), 0u) << testing::PrintToString(fields(refused));
    // Past the largest file time: all zero.
    EXPECT_EQ(fields(Tm_FileTimeToSystemTime(file_time(0x8000000000000000ull))), Fields{});
}

}  // namespace
