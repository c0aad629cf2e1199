// FILETIME and SYSTEMTIME conversions, and the local zone's offset, from
// the C library's time zone.
#include "platform/win32.h"

#include <cstdint>
#include <ctime>

namespace {

constexpr uint64_t kIntervalsPerSecond = 10000000;
constexpr uint64_t kIntervalsPerDay = 86400 * kIntervalsPerSecond;
constexpr uint64_t kLargestFileTime = 0x7FFFFFFFFFFFFFFFull;

uint64_t to_u64(const FILETIME &time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void store(uint64_t value, FILETIME *time) {
    time->dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

BOOL fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

// Days since 1601-01-01 of a Gregorian date, and back. Both count from
// 1600-03-01, which starts a 400-year cycle and puts the leap day last.
uint64_t days_from_1601(unsigned year, unsigned month, unsigned day) {
    const uint64_t y = year - (month <= 2 ? 1 : 0) - 1600;  // March-based years since 1600
    const uint64_t m = month > 2 ? month - 3 : month + 9;    // March is 0
    const uint64_t fromMarch1600 = 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
    return fromMarch1600 - 306;  // 1600-03-01 to 1601-01-01
}

void date_from_days(uint64_t days, SYSTEMTIME &out) {
    const uint64_t shifted = days + 306;  // count from 1600-03-01
    const uint64_t era = shifted / 146097;
    const uint64_t dayOfEra = shifted % 146097;
    const uint64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint64_t m = (5 * dayOfYear + 2) / 153;
    const uint64_t month = m < 10 ? m + 3 : m - 9;
    out.wYear = static_cast<WORD>(1600 + era * 400 + yearOfEra + (month <= 2 ? 1 : 0));
    out.wMonth = static_cast<WORD>(month);
    out.wDay = static_cast<WORD>(dayOfYear - (153 * m + 2) / 5 + 1);
    out.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
}

bool leap(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned days_in_month(unsigned year, unsigned month) {
    static const unsigned length[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : length[month - 1];
}

// The local zone's offset east of UTC now, in 100 ns intervals.
bool current_offset(int64_t &intervals) {
    tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return false;
    intervals = static_cast<int64_t>(local.tm_gmtoff) * static_cast<int64_t>(kIntervalsPerSecond);
    return true;
}

}  // namespace

BOOL quorvel_win32::FileTimeToSystemTime(const FILETIME *time, SYSTEMTIME *systemTime) {
    if (!time || !systemTime) return fail(ERROR_INVALID_PARAMETER);
    const uint64_t value = to_u64(*time);
    if (value > kLargestFileTime) return fail(ERROR_INVALID_PARAMETER);
    const uint64_t withinDay = value % kIntervalsPerDay;
    date_from_days(value / kIntervalsPerDay, *systemTime);
    const uint64_t seconds = withinDay / kIntervalsPerSecond;
    systemTime->wHour = static_cast<WORD>(seconds / 3600);
    systemTime->wMinute = static_cast<WORD>(seconds / 60 % 60);
    systemTime->wSecond = static_cast<WORD>(seconds % 60);
    systemTime->wMilliseconds = static_cast<WORD>(withinDay / 10000 % 1000);
    return TRUE;
}

BOOL quorvel_win32::SystemTimeToFileTime(const SYSTEMTIME *systemTime, FILETIME *time) {
    if (!systemTime || !time) return fail(ERROR_INVALID_PARAMETER);
    const SYSTEMTIME &s = *systemTime;
    if (s.wYear < 1601 || s.wYear > 30827 || s.wMonth < 1 || s.wMonth > 12 || s.wDay < 1 ||
        s.wDay > days_in_month(s.wYear, s.wMonth) || s.wHour > 23 || s.wMinute > 59 ||
        s.wSecond > 59 || s.wMilliseconds > 999)
        return fail(ERROR_INVALID_PARAMETER);
    const uint64_t seconds = (s.wHour * 60u + s.wMinute) * 60u + s.wSecond;
    store(days_from_1601(s.wYear, s.wMonth, s.wDay) * kIntervalsPerDay +
              seconds * kIntervalsPerSecond + s.wMilliseconds * 10000ull,
          time);
    return TRUE;
}

// Like Windows, no range check: the sum wraps as 64-bit arithmetic does.
BOOL quorvel_win32::FileTimeToLocalFileTime(const FILETIME *utc, FILETIME *local) {
    if (!utc || !local) return fail(ERROR_INVALID_PARAMETER);
    int64_t offset = 0;
    if (!current_offset(offset)) return fail(ERROR_INVALID_FUNCTION);
    store(to_u64(*utc) + static_cast<uint64_t>(offset), local);
    return TRUE;
}

BOOL quorvel_win32::LocalFileTimeToFileTime(const FILETIME *local, FILETIME *utc) {
    if (!local || !utc) return fail(ERROR_INVALID_PARAMETER);
    int64_t offset = 0;
    if (!current_offset(offset)) return fail(ERROR_INVALID_FUNCTION);
    store(to_u64(*local) - static_cast<uint64_t>(offset), utc);
    return TRUE;
}
