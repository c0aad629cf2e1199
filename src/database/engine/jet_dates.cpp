// The engine's date functions and Format. Dates are OLE date numbers;
// intervals are Visual Basic's ("yyyy", "q", "m", "y", "d", "w", "ww",
// "h", "n", "s").
#include "database/engine/jet_values.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace dbengine {
namespace {

using Context = sqlite3_context;
using Arg = sqlite3_value;

#define FUNCTION(name) void name(Context *c, int n, Arg **a)

bool date_fields(Context *c, Arg *v, Civil *fields) {
    double date;
    if (!arg_date(v, &date) || !split_date(date, fields)) return mismatch(c), false;
    return true;
}

// Sunday is 1, as the engine counts by default; first is the week's first day.
int weekday(const Civil &f, int first) {
    const double date = make_date(f.year, f.month, f.day, 0);
    const long long days = static_cast<long long>(std::floor(date_seconds(date) / 86400));
    const int sunday_based = static_cast<int>(((days - 1) % 7 + 7) % 7);  // 1899-12-31 was a Sunday
    return (sunday_based - (first - 1) + 7) % 7 + 1;
}

void field(Context *c, Arg *v, int Civil::*member) {
    Civil f;
    if (is_null(v)) return sqlite3_result_null(c);
    if (date_fields(c, v, &f)) sqlite3_result_int(c, f.*member);
}
FUNCTION(jet_year) { (void)n, field(c, a[0], &Civil::year); }
FUNCTION(jet_month) { (void)n, field(c, a[0], &Civil::month); }
FUNCTION(jet_day) { (void)n, field(c, a[0], &Civil::day); }
FUNCTION(jet_hour) { (void)n, field(c, a[0], &Civil::hour); }
FUNCTION(jet_minute) { (void)n, field(c, a[0], &Civil::minute); }
FUNCTION(jet_second) { (void)n, field(c, a[0], &Civil::second); }

int first_day(Context *c, int n, Arg **a, int at) {
    if (n <= at || is_null(a[at])) return 1;
    const int first = sqlite3_value_int(a[at]);
    if (first < 0 || first > 7) return invalid_call(c), -1;
    return first == 0 ? 1 : first;
}
FUNCTION(jet_weekday) {
    Civil f;
    const int first = first_day(c, n, a, 1);
    if (is_null(a[0])) return sqlite3_result_null(c);
    if (first > 0 && date_fields(c, a[0], &f)) sqlite3_result_int(c, weekday(f, first));
}

enum Interval { kYear, kQuarter, kMonth, kDayOfYear, kDay, kWeekday, kWeek, kHour, kMinute, kSecond, kBad };
Interval interval(Arg *v) {
    static const char *const names[] = {"yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s"};
    const std::u16string text = value_text(v);
    for (int i = 0; i < kBad; ++i) {
        std::u16string name(names[i], names[i] + std::char_traits<char>::length(names[i]));
        if (text.size() == name.size() && std::equal(text.begin(), text.end(), name.begin(),
                                                     [](char16_t x, char16_t y) { return to_lower(x) == y; }))
            return static_cast<Interval>(i);
    }
    return kBad;
}

// DateAdd(interval, count, date): months and years keep the day, or take
// the month's last day when it has fewer.
FUNCTION(jet_dateadd) {
    (void)n;
    double date, count;
    if (is_null(a[0]) || is_null(a[1]) || is_null(a[2])) return sqlite3_result_null(c);
    const Interval unit = interval(a[0]);
    if (unit == kBad) return invalid_call(c);
    if (!arg_number(a[1], &count) || !arg_date(a[2], &date)) return mismatch(c);
    if (std::fabs(count) > 1e8) return invalid_call(c);  // beyond any date
    const long long whole = static_cast<long long>(std::trunc(count));
    Civil f;
    split_date(date, &f);
    const long long clock = f.hour * 3600 + f.minute * 60 + f.second;
    if (unit == kYear || unit == kQuarter || unit == kMonth) {
        const long long months = unit == kYear ? whole * 12 : unit == kQuarter ? whole * 3 : whole;
        const double first = make_date(f.year, f.month + months, 1, 0);
        Civil target;
        if (!split_date(first, &target)) return invalid_call(c);
        Civil last;
        split_date(make_date(target.year, target.month + 1, 0, 0), &last);
        return result_date(c, make_date(target.year, target.month, std::min(f.day, last.day), clock));
    }
    const double per = unit == kWeek ? 7 * 86400.0 : unit == kHour ? 3600.0 : unit == kMinute ? 60.0
                     : unit == kSecond ? 1.0 : 86400.0;
    result_date(c, seconds_date(date_seconds(date) + static_cast<double>(whole) * per));
}

// DateDiff(interval, date1, date2 [, firstday]): the boundaries of the
// interval crossed from date1 to date2.
FUNCTION(jet_datediff) {
    double from, to;
    if (is_null(a[0]) || is_null(a[1]) || is_null(a[2])) return sqlite3_result_null(c);
    const Interval unit = interval(a[0]);
    const int first = first_day(c, n, a, 3);
    if (unit == kBad || first < 0) return invalid_call(c);
    if (!arg_date(a[1], &from) || !arg_date(a[2], &to)) return mismatch(c);
    Civil f, t;
    split_date(from, &f);
    split_date(to, &t);
    const double s1 = date_seconds(from), s2 = date_seconds(to);
    auto count = [](double s, double per) { return static_cast<long long>(std::floor(s / per)); };
    long long result = 0;
    switch (unit) {
    case kYear: result = t.year - f.year; break;
    case kQuarter: result = t.year * 4LL + (t.month - 1) / 3 - (f.year * 4LL + (f.month - 1) / 3); break;
    case kMonth: result = t.year * 12LL + t.month - (f.year * 12LL + f.month); break;
    case kDayOfYear: case kDay: result = count(s2, 86400) - count(s1, 86400); break;
    case kWeekday: result = (count(s2, 86400) - count(s1, 86400)) / 7; break;
    case kWeek: {  // weeks starting on the first day between the two days
        const long long d1 = count(s1, 86400), d2 = count(s2, 86400);
        const long long back1 = weekday(f, first) - 1, back2 = weekday(t, first) - 1;
        result = ((d2 - back2) - (d1 - back1)) / 7;
        break;
    }
    case kHour: result = count(s2, 3600) - count(s1, 3600); break;
    case kMinute: result = count(s2, 60) - count(s1, 60); break;
    default: result = static_cast<long long>(std::llround(s2) - std::llround(s1)); break;
    }
    sqlite3_result_int64(c, result);
}

// DatePart(interval, date [, firstday]); the first week holds January 1.
FUNCTION(jet_datepart) {
    Civil f;
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    const Interval unit = interval(a[0]);
    const int first = first_day(c, n, a, 2);
    if (unit == kBad || first < 0) return invalid_call(c);
    if (!date_fields(c, a[1], &f)) return;
    const long long day_of_year = static_cast<long long>(
        (date_seconds(make_date(f.year, f.month, f.day, 0)) - date_seconds(make_date(f.year, 1, 1, 0))) / 86400) + 1;
    Civil january = {f.year, 1, 1, 0, 0, 0};
    const long long values[] = {f.year, (f.month - 1) / 3 + 1, f.month, day_of_year, f.day, weekday(f, first),
                                (day_of_year - 1 + weekday(january, first) - 1) / 7 + 1, f.hour, f.minute, f.second};
    sqlite3_result_int64(c, values[unit]);
}

// DateSerial(year, month, day): months and days beyond their range carry
// over; years 0 to 29 are 2000-2029, 30 to 99 are 1930-1999.
FUNCTION(jet_dateserial) {
    (void)n;
    double y, m, d;
    if (is_null(a[0]) || is_null(a[1]) || is_null(a[2])) return sqlite3_result_null(c);
    if (!arg_number(a[0], &y) || !arg_number(a[1], &m) || !arg_number(a[2], &d)) return mismatch(c);
    long long year = static_cast<long long>(round_even(y));
    if (year >= 0 && year < 30) year += 2000;
    else if (year >= 30 && year < 100) year += 1900;
    if (std::fabs(m) > 1e6 || std::fabs(d) > 1e7 || year < 100 || year > 9999) return invalid_call(c);
    result_date(c, make_date(year, static_cast<long long>(round_even(m)), static_cast<long long>(round_even(d)), 0));
}
FUNCTION(jet_timeserial) {
    (void)n;
    double h, m, s;
    if (is_null(a[0]) || is_null(a[1]) || is_null(a[2])) return sqlite3_result_null(c);
    if (!arg_number(a[0], &h) || !arg_number(a[1], &m) || !arg_number(a[2], &s)) return mismatch(c);
    result_date(c, seconds_date(round_even(h) * 3600 + round_even(m) * 60 + round_even(s)));
}
FUNCTION(jet_cdate) {
    (void)n;
    double date;
    if (is_null(a[0])) return failure(c, "94 Invalid use of Null");
    if (!arg_date(a[0], &date)) return mismatch(c);
    result_date(c, date);
}
FUNCTION(jet_datevalue) {
    (void)n;
    double date;
    if (is_null(a[0])) return sqlite3_result_null(c);
    if (!arg_date(a[0], &date)) return mismatch(c);
    result_date(c, std::trunc(date));
}
FUNCTION(jet_timevalue) {
    (void)n;
    double date;
    if (is_null(a[0])) return sqlite3_result_null(c);
    if (!arg_date(a[0], &date)) return mismatch(c);
    result_date(c, std::fabs(date - std::trunc(date)));
}

// Now, Date and Time: the local clock, to the second.
double local_now() {
    const std::time_t now = std::time(nullptr);
    const std::tm *t = std::localtime(&now);
    return make_date(t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour * 3600 + t->tm_min * 60 + t->tm_sec);
}
FUNCTION(jet_now) { (void)n, (void)a, result_date(c, local_now()); }
FUNCTION(jet_date) { (void)n, (void)a, result_date(c, std::trunc(local_now())); }
FUNCTION(jet_time) {
    (void)n, (void)a;
    const double now = local_now();
    result_date(c, now - std::trunc(now));
}

}  // namespace

std::u16string format_value(sqlite3_value *value, const std::u16string &pattern);

namespace {
FUNCTION(jet_format) {
    if (is_null(a[0])) return sqlite3_result_null(c);
    result_text(c, n > 1 && !is_null(a[1]) ? format_value(a[0], value_text(a[1])) : value_text(a[0]));
}
}  // namespace

void register_date_functions(sqlite3 *db, int *rc) {
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE | SQLITE_RESULT_SUBTYPE;
    struct {
        const char *name;
        int least, most;
        void (*call)(Context *, int, Arg **);
    } const functions[] = {
        {"Year", 1, 1, jet_year},           {"Month", 1, 1, jet_month},         {"Day", 1, 1, jet_day},
        {"Hour", 1, 1, jet_hour},           {"Minute", 1, 1, jet_minute},       {"Second", 1, 1, jet_second},
        {"Weekday", 1, 2, jet_weekday},     {"DateAdd", 3, 3, jet_dateadd},     {"DateDiff", 3, 4, jet_datediff},
        {"DatePart", 2, 3, jet_datepart},   {"DateSerial", 3, 3, jet_dateserial},
        {"TimeSerial", 3, 3, jet_timeserial}, {"DateValue", 1, 1, jet_datevalue},
        {"TimeValue", 1, 1, jet_timevalue}, {"CDate", 1, 1, jet_cdate},         {"CVDate", 1, 1, jet_cdate},
        {"Format", 1, 2, jet_format},
    };
    for (const auto &f : functions)
        for (int args = f.least; args <= f.most && *rc == SQLITE_OK; ++args)
            *rc = sqlite3_create_function(db, f.name, args, pure, nullptr, f.call, nullptr, nullptr);
    const struct {
        const char *name;
        void (*call)(Context *, int, Arg **);
    } clocks[] = {{"Now", jet_now}, {"Date", jet_date}, {"Time", jet_time}};
    for (const auto &f : clocks)
        if (*rc == SQLITE_OK)
            *rc = sqlite3_create_function(db, f.name, 0, SQLITE_UTF8 | SQLITE_RESULT_SUBTYPE, nullptr, f.call,
                                          nullptr, nullptr);
}

}  // namespace dbengine
