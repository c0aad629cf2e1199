// Dates for the calendar tests from outside the library: the day number and
// weekday of each 1 January from tests/data/year-starts.tsv (written by
// scripts/gen-year-starts.py with Python's datetime); within a year only the
// month lengths are added, February's from the year's length in the table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/data_paths.h"

namespace civil {

struct Date {
    int year, month, day;
};

struct YearStart {
    int year;
    int64_t days;  // from 1970-01-01
    int weekday;   // 0 Sunday
};

inline const std::vector<YearStart> &year_starts() {
    static const std::vector<YearStart> table = [] {
        std::vector<YearStart> rows;
        std::ifstream file(QUORVEL_TEST_DATA "/year-starts.tsv");
        for (std::string line; std::getline(file, line);) {
            if (line.empty() || line[0] == '#') continue;
            YearStart row{};
            std::istringstream(line) >> row.year >> row.days >> row.weekday;
            rows.push_back(row);
        }
        if (rows.empty()) {
            std::fprintf(stderr, "civil.h: cannot read %s\n", QUORVEL_TEST_DATA "/year-starts.tsv");
            std::abort();
        }
        return rows;
    }();
    return table;
}

// The row of `year`, which must have the next year's row after it.
inline const YearStart &year_row(int year) {
    const auto &rows = year_starts();
    const size_t i = static_cast<size_t>(year - rows.front().year);
    if (year < rows.front().year || i + 1 >= rows.size()) {
        std::fprintf(stderr, "civil.h: year %d is outside the table\n", year);
        std::abort();
    }
    return rows[i];
}

inline int month_length(int year, int month) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const YearStart &row = year_row(year);
    const bool leap = (&row + 1)->days - row.days == 366;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

inline int64_t days_from_epoch(int year, int month, int day) {
    int64_t days = year_row(year).days + day - 1;
    for (int m = 1; m < month; ++m) days += month_length(year, m);
    return days;
}

inline Date date_from_epoch(int64_t days) {
    const auto &rows = year_starts();
    const auto next = std::upper_bound(rows.begin(), rows.end(), days,
                                       [](int64_t d, const YearStart &r) { return d < r.days; });
    const YearStart &row = *(next - 1);
    int64_t rest = days - row.days;
    int month = 1;
    while (rest >= month_length(row.year, month)) rest -= month_length(row.year, month++);
    return {row.year, month, static_cast<int>(rest + 1)};
}

// 0 Sunday to 6 Saturday.
inline int weekday(int64_t daysFromEpoch) {
    const YearStart &row = year_row(date_from_epoch(daysFromEpoch).year);
    return static_cast<int>((row.weekday + daysFromEpoch - row.days) % 7);
}

// Any year's: the calendar repeats every 400 years, a whole number of weeks.
inline int weekday_of(int64_t year, int month, int day) {
    const int64_t inCycle = ((year - 2000) % 400 + 400) % 400;
    return weekday(days_from_epoch(static_cast<int>(2000 + inCycle), month, day));
}

// Unix time of the date's midnight at UTC+9.
inline int32_t japan_midnight(int year, int month, int day) {
    return static_cast<int32_t>(days_from_epoch(year, month, day) * 86400 - 9 * 3600);
}

}  // namespace civil
