// Conversions between FILETIME, SYSTEMTIME (local) and 32-bit Unix time.
#include <quorvel/calendar.h>

#include "calendar/runtime_clock.h"
#include "platform/win32.h"

namespace {

// FILETIME counts 100 ns intervals since 1601-01-01 00:00 UTC.
constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr int64_t kIntervalsPerSecond = 10000000;

uint64_t to_u64(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME from_u64(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

}  // namespace

QUORVEL_API SYSTEMTIME Tm_FileTimeToSystemTime(FILETIME utc) {
    SYSTEMTIME result{};
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &result))
        return SYSTEMTIME{};
    return result;
}

QUORVEL_API FILETIME Tm_SystemTimeToFileTime(SYSTEMTIME local) {
    FILETIME localTime{}, result{};
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &result))
        return FILETIME{};
    // The zone's offset may carry a moment of 1601 below the first file
    // time (or one of 30828 past the last); the subtraction then wraps.
    if (to_u64(result) > 0x7FFFFFFFFFFFFFFFull) return FILETIME{};
    return result;
}

QUORVEL_API LONG Tm_FileTimeToUnixTime(const FILETIME &utc) {
    // Signed: times before 1970 truncate toward zero too.
    const int64_t intervals = static_cast<int64_t>(to_u64(utc) - kUnixEpochAsFileTime);
    const int64_t seconds = intervals / kIntervalsPerSecond;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(seconds)));
}

QUORVEL_API FILETIME Tm_UnixTimeToFileTime(LONG time) {
    const int64_t seconds = static_cast<int64_t>(time) + kSecondsFrom1601To1970;
    return from_u64(static_cast<uint64_t>(seconds * kIntervalsPerSecond));
}

QUORVEL_API SYSTEMTIME Tm_UnixTimeToSystemTime(LONG time) {
    SYSTEMTIME result{};
    std::tm local{};
    if (!calendar::local_time(time, local)) return result;
    result.wYear = static_cast<WORD>(local.tm_year + 1900);
    result.wMonth = static_cast<WORD>(local.tm_mon + 1);
    result.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    result.wDay = static_cast<WORD>(local.tm_mday);
    result.wHour = static_cast<WORD>(local.tm_hour);
    result.wMinute = static_cast<WORD>(local.tm_min);
    result.wSecond = static_cast<WORD>(local.tm_sec);
    return result;
}

QUORVEL_API LONG Tm_SystemTimeToUnixTime(SYSTEMTIME local) {
    std::tm broken{};
    broken.tm_sec = local.wSecond;
    broken.tm_min = local.wMinute;
    broken.tm_hour = local.wHour;
    broken.tm_mday = local.wDay;
    broken.tm_mon = local.wMonth - 1;
    broken.tm_year = local.wYear - 1900;
    broken.tm_wday = local.wDayOfWeek;
    return calendar::make_time(broken);
}
