// The Access engine's operators, comparison and functions over SQLite.
// Texts are worked on as UTF-16 (the engine counts lengths in UTF-16
// units); numbers follow Visual Basic's rules: Null spreads through every
// operator except &, text becomes a number where one is needed, and the
// integer conversions round halves to even.
#include "database/engine/jet_functions.h"

#include "database/engine/jet_values.h"

#include <sqlite3.h>

#include <cmath>

namespace dbengine {
namespace {

using Context = sqlite3_context;
using Arg = sqlite3_value;

// The collation of text columns: letters compare without case.
char32_t next_point(const unsigned char *&p, const unsigned char *end) {
    char32_t c = *p++;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (more) c &= 0x3F >> more;
    while (more-- && p < end && (*p & 0xC0) == 0x80) c = (c << 6) | (*p++ & 0x3F);
    return c;
}

int compare_text(void *, int n1, const void *s1, int n2, const void *s2) {
    auto *a = static_cast<const unsigned char *>(s1), *b = static_cast<const unsigned char *>(s2);
    const unsigned char *a_end = a + n1, *b_end = b + n2;
    while (a < a_end && b < b_end) {
        const char32_t x = to_upper(next_point(a, a_end)), y = to_upper(next_point(b, b_end));
        if (x != y) return x < y ? -1 : 1;
    }
    return (a < a_end) - (b < b_end);
}

// ---- operators --------------------------------------------------------------------

// a + b: text joined to text, otherwise numbers added; a date plus days
// stays a date.
void jet_add(Context *c, int, Arg **a) {
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    if (sqlite3_value_type(a[0]) == SQLITE_TEXT && sqlite3_value_type(a[1]) == SQLITE_TEXT)
        return result_text(c, arg_text16(a[0]) + arg_text16(a[1]));
    sqlite3_int64 sum;
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER && sqlite3_value_type(a[1]) == SQLITE_INTEGER &&
        !is_date(a[0]) && !is_date(a[1]) &&
        !__builtin_add_overflow(sqlite3_value_int64(a[0]), sqlite3_value_int64(a[1]), &sum))
        return sqlite3_result_int64(c, sum);
    double x, y;
    if (!arg_number(a[0], &x) || !arg_number(a[1], &y)) return mismatch(c);
    if (is_date(a[0]) != is_date(a[1])) return result_date(c, seconds_date(date_seconds(is_date(a[0]) ? x : y) + (is_date(a[0]) ? y : x) * 86400));
    sqlite3_result_double(c, x + y);
}

// a - b: a date less days is a date; two dates give the days between.
void jet_subtract(Context *c, int, Arg **a) {
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    sqlite3_int64 difference;
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER && sqlite3_value_type(a[1]) == SQLITE_INTEGER &&
        !is_date(a[0]) && !is_date(a[1]) &&
        !__builtin_sub_overflow(sqlite3_value_int64(a[0]), sqlite3_value_int64(a[1]), &difference))
        return sqlite3_result_int64(c, difference);
    double x, y;
    if (!arg_number(a[0], &x) || !arg_number(a[1], &y)) return mismatch(c);
    if (is_date(a[0]) && !is_date(a[1])) return result_date(c, seconds_date(date_seconds(x) - y * 86400));
    if (is_date(a[0]) && is_date(a[1])) return sqlite3_result_double(c, (date_seconds(x) - date_seconds(y)) / 86400);
    sqlite3_result_double(c, x - y);
}

// a & b: Null counts as empty text unless both are Null.
void jet_concat(Context *c, int, Arg **a) {
    if (is_null(a[0]) && is_null(a[1])) return sqlite3_result_null(c);
    result_text(c, value_text(a[0]) + value_text(a[1]));
}

// a / b is always real division.
void jet_divide(Context *c, int, Arg **a) {
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    double x, y;
    if (!arg_number(a[0], &x) || !arg_number(a[1], &y)) return mismatch(c);
    if (y == 0) return failure(c, "11 Division by zero");
    sqlite3_result_double(c, x / y);
}

// a \ b and a Mod b round both sides to whole numbers first.
bool whole_operands(Context *c, Arg **a, sqlite3_int64 *x, sqlite3_int64 *y) {
    double p, q;
    if (!arg_number(a[0], &p) || !arg_number(a[1], &q)) return mismatch(c), false;
    p = round_even(p), q = round_even(q);
    if (std::fabs(p) > 9.2e18 || std::fabs(q) > 9.2e18) return failure(c, "6 Overflow"), false;
    if (q == 0) return failure(c, "11 Division by zero"), false;
    *x = static_cast<sqlite3_int64>(p), *y = static_cast<sqlite3_int64>(q);
    return true;
}
void jet_int_divide(Context *c, int, Arg **a) {
    sqlite3_int64 x, y;
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    if (whole_operands(c, a, &x, &y)) sqlite3_result_int64(c, y == -1 ? -x : x / y);
}
void jet_mod(Context *c, int, Arg **a) {
    sqlite3_int64 x, y;
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    if (whole_operands(c, a, &x, &y)) sqlite3_result_int64(c, y == -1 ? 0 : x % y);
}
void jet_power(Context *c, int, Arg **a) {
    double x, y;
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    if (!arg_number(a[0], &x) || !arg_number(a[1], &y)) return mismatch(c);
    sqlite3_result_double(c, std::pow(x, y));
}
// A #date# literal: the number marked as a date.
void jet_date(Context *c, int, Arg **a) { result_date(c, sqlite3_value_double(a[0])); }

// x LIKE pattern with the engine's wildcards: * any run, ? one character,
// # one digit, [abc] [a-z] [!a-z] one of (or none of) a list; letters
// compare without case. One step back to the last * on a mismatch is
// enough (the other wildcards match one character each), so the match
// takes at most pattern times text steps.
bool one_matches(const char16_t *&p, const char16_t *pe, char16_t c) {
    if (*p == '?') return ++p, true;
    if (*p == '#') return ++p, c >= '0' && c <= '9';
    if (*p == '[') {
        const char16_t *close = p + 1;
        while (close < pe && *close != ']') ++close;
        if (close == pe) return false;
        const char16_t *q = p + 1;
        const bool negate = q < close && *q == '!';
        if (negate) ++q;
        bool found = false;
        const char32_t ch = to_upper(c);
        for (; q < close; ++q) {
            if (q + 2 < close && q[1] == '-') {
                found = found || (ch >= to_upper(q[0]) && ch <= to_upper(q[2])) || (c >= q[0] && c <= q[2]);
                q += 2;
            } else {
                found = found || ch == to_upper(*q);
            }
        }
        p = close + 1;
        return found != negate;
    }
    return to_upper(*p++) == to_upper(c);
}
bool like(const char16_t *p, const char16_t *pe, const char16_t *s, const char16_t *se) {
    const char16_t *star = nullptr, *resume = nullptr;
    while (s < se) {
        if (p < pe && *p == '*') {
            star = ++p, resume = s;
            continue;
        }
        const char16_t *next = p;
        if (p < pe && one_matches(next, pe, *s)) {
            p = next, ++s;
        } else if (star) {
            p = star, s = ++resume;
        } else {
            return false;
        }
    }
    while (p < pe && *p == '*') ++p;
    return p == pe;
}
void jet_like(Context *c, int, Arg **a) {
    if (is_null(a[0]) || is_null(a[1])) return sqlite3_result_null(c);
    const std::u16string pattern = value_text(a[0]), text = value_text(a[1]);
    sqlite3_result_int(c, like(pattern.data(), pattern.data() + pattern.size(), text.data(),
                               text.data() + text.size()));
}

}  // namespace

int register_jet_functions(sqlite3 *db) {
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE | SQLITE_RESULT_SUBTYPE;
    struct {
        const char *name;
        int args;
        void (*call)(Context *, int, Arg **);
    } const operators[] = {
        {"jet_add", 2, jet_add},       {"jet_subtract", 2, jet_subtract}, {"jet_concat", 2, jet_concat},
        {"jet_divide", 2, jet_divide}, {"jet_int_divide", 2, jet_int_divide}, {"jet_mod", 2, jet_mod},
        {"jet_power", 2, jet_power},   {"jet_date", 1, jet_date},         {"like", 2, jet_like},
    };
    int rc = sqlite3_create_collation(db, kJetCollation, SQLITE_UTF8, nullptr, compare_text);
    for (const auto &op : operators)
        if (rc == SQLITE_OK) rc = sqlite3_create_function(db, op.name, op.args, pure, nullptr, op.call, nullptr, nullptr);
    register_text_functions(db, &rc);
    register_date_functions(db, &rc);
    return rc;
}

}  // namespace dbengine
