// The platform layer's local file times in a zone with daylight saving.
#include "support/win32.h"

#include "time_zone.h"

#include <gtest/gtest.h>

namespace {

uint64_t value(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

int64_t applied_offset(uint64_t utcValue) {
    FILETIME utc{static_cast<DWORD>(utcValue), static_cast<DWORD>(utcValue >> 32)}, local{};
    EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    FILETIME back{};
    EXPECT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(value(back), utcValue);
    return static_cast<int64_t>(value(local) - utcValue) / 10000000;
}

// As on Windows, the offset in force now applies to every moment, summer
// or winter: New York's -5 or -4 hours, the same for January and July.
TEST(LocalFileTime, AppliesTheOffsetInForceNow) {
    test_zone::use("America/New_York", "EST5EDT");
    const int64_t january = applied_offset(132539328000000000ull);  // 2021-01-01 00:00 UTC
    const int64_t july = applied_offset(132695712000000000ull);     // 2021-07-01 00:00 UTC
    EXPECT_EQ(january, july);
    EXPECT_TRUE(january == -5 * 3600 || january == -4 * 3600) << january;
    test_zone::use_japan();
    EXPECT_EQ(applied_offset(132695712000000000ull), 9 * 3600);
}

}  // namespace
