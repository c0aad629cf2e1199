// The system's FILETIME and SYSTEMTIME calls. Natively they come from the
// library's platform layer; under Wine the same expectations hold for the
// system's own, which keeps the two in step.
#include "support/win32.h"

#include "time_zone.h"

#include <gtest/gtest.h>

namespace {

FILETIME file_time(uint64_t v) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(v);
    time.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return time;
}

uint64_t value(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

struct Moment {
    uint64_t fileTime;
    WORD year, month, wday, day, hour, minute, second, ms;
};

// Values from python's datetime.
const Moment kMoments[] = {
    {0, 1601, 1, 1, 1, 0, 0, 0, 0},
    {116444736000000000ull, 1970, 1, 4, 1, 0, 0, 0, 0},
    {132696164967890000ull, 2021, 7, 4, 1, 12, 34, 56, 789},
    {125962560000000000ull, 2000, 2, 2, 29, 0, 0, 0, 0},
    {0x7FFFFFFFFFFFFFFFull, 30828, 9, 4, 14, 2, 48, 5, 477},
};

TEST(FileTime, ConvertsBothWays) {
    for (const Moment &m : kMoments) {
        SCOPED_TRACE(m.fileTime);
        const FILETIME in = file_time(m.fileTime);
        SYSTEMTIME s{};
        ASSERT_TRUE(FileTimeToSystemTime(&in, &s));
        EXPECT_EQ(s.wYear, m.year);
        EXPECT_EQ(s.wMonth, m.month);
        EXPECT_EQ(s.wDayOfWeek, m.wday);
        EXPECT_EQ(s.wDay, m.day);
        EXPECT_EQ(s.wHour, m.hour);
        EXPECT_EQ(s.wMinute, m.minute);
        EXPECT_EQ(s.wSecond, m.second);
        EXPECT_EQ(s.wMilliseconds, m.ms);
        FILETIME back{};
        if (m.year <= 30827) {
            ASSERT_TRUE(SystemTimeToFileTime(&s, &back));
            EXPECT_EQ(value(back), m.fileTime - m.fileTime % 10000);  // whole milliseconds
        }
    }
}

TEST(FileTime, RefusesValuesOutOfRange) {
    const FILETIME tooLarge = file_time(0x8000000000000000ull);
    SYSTEMTIME s{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &s));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    const SYSTEMTIME valid = {2021, 2, 0, 28, 23, 59, 59, 999};
    FILETIME out{};
    ASSERT_TRUE(SystemTimeToFileTime(&valid, &out));
    const SYSTEMTIME refused[] = {
        {2021, 4, 0, 31, 0, 0, 0, 0},
        {2021, 0, 0, 1, 0, 0, 0, 0},   {2021, 13, 0, 1, 0, 0, 0, 0},
        {2021, 1, 0, 0, 0, 0, 0, 0},   {2021, 1, 0, 1, 24, 0, 0, 0},
        {2021, 1, 0, 1, 0, 60, 0, 0},  {2021, 1, 0, 1, 0, 0, 60, 0},
        {2021, 1, 0, 1, 0, 0, 0, 1000}, {1600, 12, 0, 31, 0, 0, 0, 0},
#ifndef _WIN32
        // Windows refuses these too (29 February of a common year, a year
        // past the documented 30827); Wine 8 lets them through.
        {2021, 2, 0, 29, 0, 0, 0, 0},  {30828, 1, 0, 1, 0, 0, 0, 0},
#endif
    };
    for (const SYSTEMTIME &r : refused) {
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&r, &out))
            << r.wYear << "-" << r.wMonth << "-" << r.wDay << " " << r.wHour << ":" << r.wMinute
            << ":" << r.wSecond << "." << r.wMilliseconds;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    const SYSTEMTIME leapDay = {2000, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_TRUE(SystemTimeToFileTime(&leapDay, &out));
    EXPECT_EQ(value(out), 125962560000000000ull);
}

TEST(FileTime, LocalFileTimeUsesTheZoneOffset) {
    test_zone::use_japan();
    if (!test_zone::system_zone_is_japan()) GTEST_SKIP() << "the system's zone is not UTC+9";
    const uint64_t nineHours = 9ull * 3600 * 10000000;
    const FILETIME utc = file_time(116444736000000000ull);
    FILETIME local{}, back{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(value(local), value(utc) + nineHours);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(value(back), value(utc));
    // No range check: the sum wraps.
    const FILETIME top = file_time(~0ull);
    ASSERT_TRUE(FileTimeToLocalFileTime(&top, &local));
    EXPECT_EQ(value(local), nineHours - 1);
}

}  // namespace
