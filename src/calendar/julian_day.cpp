// Day numbers, weekdays, month lengths and leap years. Every step follows
// the published constants exactly: reciprocals are multiplied, never
// divided, and each conversion to an integer truncates toward zero.
#include "calendar/precise_double.h"

#include <quorvel/calendar.h>

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

const int32_t kMonthLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Truncation toward zero, kept in a double: every step goes on in double
// arithmetic.
inline double trunc_d(double value) { return std::trunc(value); }

}  // namespace

QUORVEL_API double Tm_Date2Jd(int year, int month, int day, int hour, int minute, int second) {
    // January and February count as months 13 and 14 of the year before.
    double y = year, m = month;
    if (month < 3) {
        y -= 1.0;
        m += 12.0;
    }
    const double a = trunc_d(y * 365.25);
    const double b = trunc_d(y * 0.0025);
    const double c = trunc_d(y * 0.01);
    const double e = trunc_d((m - 2.0) * 30.59);
    const double days = ((a + b) - c + e) + 1721088.0 + day;
    const double fraction =
        ((second * 0.0002777777777777778 + minute * 0.016666666666666666) + hour) *
        0.041666666666666664;
    return days + fraction;
}

QUORVEL_API struct tm Tm_Jd2Date(double dayNumber) {
    struct tm result;
    std::memset(&result, 0, sizeof result);
    // Beyond this the year no longer fits the steps' integers.
    if (!(std::fabs(dayNumber) < 2147483648.0)) return result;

    double l = trunc_d(dayNumber + 68570.0);
    const double n = trunc_d(l * 2.7379070069885075e-05);
    l = l - trunc_d(n * 36524.25 + 0.75);
    const double i = trunc_d((l + 1) * 0.002737907006988508);
    l = l - trunc_d(i * 365.25) + 31;
    const double k1 = trunc_d(l * 0.032690421706440015);
    const double k2 = trunc_d(k1 * 0.09090909090909091);
    int day = static_cast<int>(l - trunc_d(k1 * 30.59));
    const int month = static_cast<int>(k1 - 12 * k2 + 2);
    const int year = static_cast<int>(100 * (n - 49) + i + k2);
    // The 30.59-day month model overshoots February.
    if (month == 2 && day > 28) day = Tm_LeapYear(year) ? 29 : 28;

    const double seconds = (dayNumber - trunc_d(dayNumber)) * 86400.0;
    const double hour = trunc_d(seconds * 0.0002777777777777778);
    const double rest = seconds - hour * 3600.0;
    const double minute = trunc_d(rest * 0.016666666666666666);
    const double second = trunc_d(rest - minute * 60);

    result.tm_sec = static_cast<int>(second);
    result.tm_min = static_cast<int>(minute);
    result.tm_hour = static_cast<int>(hour);
    result.tm_mday = day;
    result.tm_mon = month - 1;
    result.tm_year = year - 1900;
    result.tm_wday = Tm_Zeller(year, month, day);
    return result;
}

QUORVEL_API unsigned char Tm_Zeller(int year, int month, int day) {
    double y = year, m = month;
    if (month < 3) {
        y -= 1.0;
        m += 12.0;
    }
    double t = std::floor(y * 0.25) + y;
    t = t - std::floor(y * 0.01);
    t = t + std::floor(m * 2.6 + 1.6);
    t = std::floor(y * 0.0025) + t;
    t = t + day;
    // |t| stays below 2^34 for any int arguments, so int64 holds it.
    assert(std::fabs(t) < 17179869184.0);
    const int64_t n = static_cast<int64_t>(t);
    return static_cast<unsigned char>(n % 7);
}

QUORVEL_API unsigned char Tm_LeapYear(int year) {
    if (year % 400 == 0) return 1;
    if (year % 100 == 0) return 0;
    return year % 4 == 0 ? 1 : 0;
}

QUORVEL_API unsigned char Tm_LastDay(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 2 && Tm_LeapYear(year)) return 29;
    return static_cast<unsigned char>(kMonthLength[month]);
}
