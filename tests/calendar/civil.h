// Reference date arithmetic for the calendar tests, written independently
// of the library: days since 1970-01-01 by the proleptic Gregorian rules.
#pragma once

#include <cstdint>

namespace civil {

struct Date {
    int year, month, day;
};

inline int64_t days_from_epoch(int year, int month, int day) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

inline Date date_from_epoch(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t m = (5 * dayOfYear + 2) / 153;
    const int month = static_cast<int>(m < 10 ? m + 3 : m - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, static_cast<int>(dayOfYear - (153 * m + 2) / 5 + 1)};
}

// 0 Sunday to 6 Saturday; 1970-01-01 was a Thursday.
inline int weekday(int64_t daysFromEpoch) {
    const int64_t r = (daysFromEpoch + 4) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

// Unix time of the date's midnight at UTC+9.
inline int32_t japan_midnight(int year, int month, int day) {
    return static_cast<int32_t>(days_from_epoch(year, month, day) * 86400 - 9 * 3600);
}

}  // namespace civil
