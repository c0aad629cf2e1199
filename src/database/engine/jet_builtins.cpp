// The engine's text, number and conversion functions, and its First and
// Last aggregates. Null in gives Null out, except where noted.
#include "database/engine/jet_values.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace dbengine {
namespace {

using Context = sqlite3_context;
using Arg = sqlite3_value;
using Text = std::u16string;

bool any_null(int n, Arg **a) {
    for (int i = 0; i < n; ++i)
        if (is_null(a[i])) return true;
    return false;
}

// A whole-number argument (rounded as the engine rounds), or false.
bool arg_long(Arg *v, long long *out, long long low = LLONG_MIN / 2, long long high = LLONG_MAX / 2) {
    double d;
    if (!arg_number(v, &d)) return false;
    d = round_even(d);
    if (d < static_cast<double>(low) || d > static_cast<double>(high)) return false;
    *out = static_cast<long long>(d);
    return true;
}

Text folded(Text text) {
    for (char16_t &c : text) c = static_cast<char16_t>(to_upper(c));
    return text;
}

#define FUNCTION(name) void name(Context *c, int n, Arg **a)
#define NULL_GIVES_NULL \
    if (any_null(n, a)) return sqlite3_result_null(c)

FUNCTION(jet_len) {
    NULL_GIVES_NULL;
    sqlite3_result_int64(c, static_cast<sqlite3_int64>(value_text(a[0]).size()));
}
FUNCTION(jet_mid) {
    long long start, length = LLONG_MAX / 2;
    if (is_null(a[0])) return sqlite3_result_null(c);
    if (!arg_long(a[1], &start) || start < 1 || (n > 2 && (!arg_long(a[2], &length) || length < 0)))
        return invalid_call(c);
    const Text text = value_text(a[0]);
    if (static_cast<size_t>(start) > text.size()) return result_text(c, u"");
    result_text(c, text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}
void left_or_right(Context *c, Arg **a, bool left) {
    long long count;
    if (is_null(a[0])) return sqlite3_result_null(c);
    if (!arg_long(a[1], &count) || count < 0) return invalid_call(c);
    const Text text = value_text(a[0]);
    const size_t take = std::min(text.size(), static_cast<size_t>(count));
    result_text(c, left ? text.substr(0, take) : text.substr(text.size() - take));
}
FUNCTION(jet_left) { (void)n, left_or_right(c, a, true); }
FUNCTION(jet_right) { (void)n, left_or_right(c, a, false); }
FUNCTION(jet_ucase) {
    NULL_GIVES_NULL;
    result_text(c, folded(value_text(a[0])));
}
FUNCTION(jet_lcase) {
    NULL_GIVES_NULL;
    Text text = value_text(a[0]);
    for (char16_t &ch : text) ch = static_cast<char16_t>(to_lower(ch));
    result_text(c, text);
}
void trim(Context *c, Arg *v, bool front, bool back) {
    if (is_null(v)) return sqlite3_result_null(c);
    const Text text = value_text(v);
    size_t from = 0, to = text.size();
    while (front && from < to && text[from] == ' ') ++from;
    while (back && to > from && text[to - 1] == ' ') --to;
    result_text(c, text.substr(from, to - from));
}
FUNCTION(jet_trim) { (void)n, trim(c, a[0], true, true); }
FUNCTION(jet_ltrim) { (void)n, trim(c, a[0], true, false); }
FUNCTION(jet_rtrim) { (void)n, trim(c, a[0], false, true); }

// InStr([start,] text, sought [, compare]): compare 0 is binary, otherwise
// (and by default, as the database compares) without case.
FUNCTION(jet_instr) {
    const bool started = n >= 3 && sqlite3_value_type(a[0]) != SQLITE_TEXT;
    long long start = 1, compare = 1;
    Arg **args = started ? a + 1 : a;
    if ((started && is_null(a[0])) || (started && (!arg_long(a[0], &start) || start < 1))) return invalid_call(c);
    if (n == 4 && !arg_long(a[3], &compare)) return invalid_call(c);
    if (is_null(args[0]) || is_null(args[1])) return sqlite3_result_null(c);
    Text text = value_text(args[0]), sought = value_text(args[1]);
    if (compare != 0) text = folded(text), sought = folded(sought);
    if (static_cast<size_t>(start) > text.size()) return sqlite3_result_int(c, 0);
    const size_t at = text.find(sought, static_cast<size_t>(start - 1));
    sqlite3_result_int64(c, at == Text::npos ? 0 : static_cast<sqlite3_int64>(at + 1));
}

// Replace(text, find, with [, start [, count [, compare]]]): the text from
// start on, with up to count replacements (-1: all).
FUNCTION(jet_replace) {
    long long start = 1, count = -1, compare = 1;
    if (is_null(a[0])) return sqlite3_result_null(c);
    if ((n > 3 && (!arg_long(a[3], &start) || start < 1)) || (n > 4 && !arg_long(a[4], &count)) ||
        (n > 5 && !arg_long(a[5], &compare)))
        return invalid_call(c);
    const Text whole = value_text(a[0]);
    if (static_cast<size_t>(start) > whole.size()) return result_text(c, u"");
    const Text text = whole.substr(static_cast<size_t>(start - 1)), find = value_text(a[1]), with = value_text(a[2]);
    if (find.empty()) return result_text(c, text);
    const Text key = compare ? folded(text) : text, sought = compare ? folded(find) : find;
    Text out;
    size_t from = 0, at;
    while (count != 0 && (at = key.find(sought, from)) != Text::npos) {
        out += text.substr(from, at - from) + with;
        from = at + find.size();
        if (count > 0) --count;
    }
    result_text(c, out + text.substr(from));
}
FUNCTION(jet_space) {
    long long count;
    NULL_GIVES_NULL;
    if (!arg_long(a[0], &count, 0, 1 << 24)) return invalid_call(c);
    result_text(c, Text(static_cast<size_t>(count), u' '));
}
// String(count, character): the character as text (its first unit) or a code.
FUNCTION(jet_string) {
    long long count, code;
    NULL_GIVES_NULL;
    if (!arg_long(a[0], &count, 0, 1 << 24)) return invalid_call(c);
    char16_t unit;
    if (sqlite3_value_type(a[1]) == SQLITE_TEXT) {
        const Text text = arg_text16(a[1]);
        if (text.empty()) return invalid_call(c);
        unit = text[0];
    } else if (arg_long(a[1], &code)) {
        unit = static_cast<char16_t>(code % 256);
    } else {
        return invalid_call(c);
    }
    result_text(c, Text(static_cast<size_t>(count), unit));
}
FUNCTION(jet_chr) {
    long long code;
    NULL_GIVES_NULL;
    if (!arg_long(a[0], &code, 0, 0xFFFF)) return invalid_call(c);
    result_text(c, Text(1, static_cast<char16_t>(code)));
}
FUNCTION(jet_asc) {
    NULL_GIVES_NULL;
    const Text text = value_text(a[0]);
    if (text.empty()) return invalid_call(c);
    sqlite3_result_int(c, text[0]);
}

// IIf(condition, then, else): Null and 0 are false. IsNull(x): -1 or 0.
FUNCTION(jet_iif) {
    (void)n;
    double d;
    const bool yes = !is_null(a[0]) && arg_number(a[0], &d) && d != 0;
    sqlite3_result_value(c, a[yes ? 1 : 2]);
}
FUNCTION(jet_isnull) { (void)n, sqlite3_result_int(c, is_null(a[0]) ? -1 : 0); }

// A number result keeps an integer an integer.
void result_number(Context *c, double value, bool whole) {
    if (whole && std::fabs(value) < 9e18) return sqlite3_result_int64(c, static_cast<sqlite3_int64>(value));
    sqlite3_result_double(c, value);
}
void numeric(Context *c, Arg *v, double (*f)(double)) {
    double d;
    if (is_null(v)) return sqlite3_result_null(c);
    if (!arg_number(v, &d)) return mismatch(c);
    result_number(c, f(d), sqlite3_value_type(v) == SQLITE_INTEGER);
}
FUNCTION(jet_int) { (void)n, numeric(c, a[0], [](double d) { return std::floor(d); }); }
FUNCTION(jet_fix) { (void)n, numeric(c, a[0], [](double d) { return std::trunc(d); }); }
FUNCTION(jet_abs) { (void)n, numeric(c, a[0], [](double d) { return std::fabs(d); }); }
FUNCTION(jet_sgn) {
    double d;
    NULL_GIVES_NULL;
    if (!arg_number(a[0], &d)) return mismatch(c);
    sqlite3_result_int(c, (d > 0) - (d < 0));
}
// Round(x [, places]): halves to even.
FUNCTION(jet_round) {
    double d;
    long long places = 0;
    NULL_GIVES_NULL;
    if (!arg_number(a[0], &d)) return mismatch(c);
    if (n > 1 && (!arg_long(a[1], &places) || places < 0 || places > 15)) return invalid_call(c);
    const double scale = std::pow(10.0, static_cast<double>(places));
    result_number(c, round_even(d * scale) / scale, sqlite3_value_type(a[0]) == SQLITE_INTEGER);
}

// Val(text): the number at the start of the text, spaces, tabs and line
// feeds skipped; &H and &O for hexadecimal and octal; 0 when there is none.
FUNCTION(jet_val) {
    if (is_null(a[0])) return failure(c, "94 Invalid use of Null");
    (void)n;
    std::string digits;
    for (char16_t ch : value_text(a[0]))
        if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\r') digits += ch < 0x80 ? static_cast<char>(ch) : '\x7f';
    if (digits.size() > 2 && digits[0] == '&' && (digits[1] == 'H' || digits[1] == 'h' || digits[1] == 'O' || digits[1] == 'o')) {
        const int base = digits[1] == 'H' || digits[1] == 'h' ? 16 : 8;
        return sqlite3_result_int64(c, std::strtoll(digits.c_str() + 2, nullptr, base));
    }
    size_t end = 0;
    if (end < digits.size() && (digits[end] == '-' || digits[end] == '+')) ++end;
    while (end < digits.size() && std::isdigit(static_cast<unsigned char>(digits[end]))) ++end;
    if (end < digits.size() && digits[end] == '.')
        for (++end; end < digits.size() && std::isdigit(static_cast<unsigned char>(digits[end]));) ++end;
    if (end < digits.size() && (digits[end] == 'E' || digits[end] == 'e' || digits[end] == 'D' || digits[end] == 'd')) {
        size_t exponent = end + 1;
        if (exponent < digits.size() && (digits[exponent] == '-' || digits[exponent] == '+')) ++exponent;
        if (exponent < digits.size() && std::isdigit(static_cast<unsigned char>(digits[exponent]))) {
            digits[end] = 'E';
            for (end = exponent; end < digits.size() && std::isdigit(static_cast<unsigned char>(digits[end]));) ++end;
        }
    }
    sqlite3_result_double(c, std::strtod(digits.substr(0, end).c_str(), nullptr));
}

// The conversions: CLng and CInt round halves to even and overflow beyond
// their range; CBool gives -1 or 0; CStr the text the engine shows.
void to_whole(Context *c, Arg *v, long long low, long long high) {
    double d;
    if (is_null(v)) return failure(c, "94 Invalid use of Null");
    if (!arg_number(v, &d)) return mismatch(c);
    d = round_even(d);
    if (d < static_cast<double>(low) || d > static_cast<double>(high)) return failure(c, "6 Overflow");
    sqlite3_result_int64(c, static_cast<sqlite3_int64>(d));
}
FUNCTION(jet_clng) { (void)n, to_whole(c, a[0], INT32_MIN, INT32_MAX); }
FUNCTION(jet_cint) { (void)n, to_whole(c, a[0], -32768, 32767); }
FUNCTION(jet_cdbl) {
    double d;
    (void)n;
    if (is_null(a[0])) return failure(c, "94 Invalid use of Null");
    if (!arg_number(a[0], &d)) return mismatch(c);
    sqlite3_result_double(c, d);
}
FUNCTION(jet_cbool) {
    double d;
    (void)n;
    if (is_null(a[0])) return failure(c, "94 Invalid use of Null");
    if (sqlite3_value_type(a[0]) == SQLITE_TEXT) {
        const Text text = folded(arg_text16(a[0]));
        if (text == u"TRUE" || text == u"YES" || text == u"ON") return sqlite3_result_int(c, -1);
        if (text == u"FALSE" || text == u"NO" || text == u"OFF") return sqlite3_result_int(c, 0);
    }
    if (!arg_number(a[0], &d)) return mismatch(c);
    sqlite3_result_int(c, d != 0 ? -1 : 0);
}
FUNCTION(jet_cstr) {
    (void)n;
    if (is_null(a[0])) return failure(c, "94 Invalid use of Null");
    result_text(c, value_text(a[0]));
}

// First and Last: the value of the first and the last row of the group.
struct Kept {
    sqlite3_value *value;
};
void keep(Context *c, Arg *v, bool replace) {
    auto *kept = static_cast<Kept *>(sqlite3_aggregate_context(c, sizeof(Kept)));
    if (!kept) return sqlite3_result_error_nomem(c);
    if (kept->value && !replace) return;
    sqlite3_value_free(kept->value);
    kept->value = sqlite3_value_dup(v);
}
FUNCTION(jet_first_step) { (void)n, keep(c, a[0], false); }
FUNCTION(jet_last_step) { (void)n, keep(c, a[0], true); }
void jet_kept(Context *c) {
    auto *kept = static_cast<Kept *>(sqlite3_aggregate_context(c, 0));
    if (!kept || !kept->value) return sqlite3_result_null(c);
    sqlite3_result_value(c, kept->value);
    sqlite3_value_free(kept->value);
    kept->value = nullptr;
}

}  // namespace

void register_text_functions(sqlite3 *db, int *rc) {
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_SUBTYPE;
    struct {
        const char *name;
        int least, most;
        void (*call)(Context *, int, Arg **);
    } const functions[] = {
        {"Len", 1, 1, jet_len},       {"Mid", 2, 3, jet_mid},         {"Left", 2, 2, jet_left},
        {"Right", 2, 2, jet_right},   {"UCase", 1, 1, jet_ucase},     {"LCase", 1, 1, jet_lcase},
        {"Trim", 1, 1, jet_trim},     {"LTrim", 1, 1, jet_ltrim},     {"RTrim", 1, 1, jet_rtrim},
        {"InStr", 2, 4, jet_instr},   {"Replace", 3, 6, jet_replace}, {"Space", 1, 1, jet_space},
        {"String", 2, 2, jet_string}, {"Chr", 1, 1, jet_chr},         {"Asc", 1, 1, jet_asc},
        {"IIf", 3, 3, jet_iif},       {"jet_isnull", 1, 1, jet_isnull},   {"Int", 1, 1, jet_int},
        {"Fix", 1, 1, jet_fix},       {"Abs", 1, 1, jet_abs},         {"Sgn", 1, 1, jet_sgn},
        {"Round", 1, 2, jet_round},   {"Val", 1, 1, jet_val},         {"CLng", 1, 1, jet_clng},
        {"CInt", 1, 1, jet_cint},     {"CDbl", 1, 1, jet_cdbl},       {"CBool", 1, 1, jet_cbool},
        {"CStr", 1, 1, jet_cstr},
    };
    for (const auto &f : functions)
        for (int args = f.least; args <= f.most && *rc == SQLITE_OK; ++args)
            *rc = sqlite3_create_function(db, f.name, args, pure | (f.call == jet_iif ? SQLITE_RESULT_SUBTYPE : 0),
                                          nullptr, f.call, nullptr, nullptr);
    if (*rc == SQLITE_OK)
        *rc = sqlite3_create_function(db, "First", 1, SQLITE_UTF8 | SQLITE_SUBTYPE | SQLITE_RESULT_SUBTYPE, nullptr,
                                      nullptr, jet_first_step, jet_kept);
    if (*rc == SQLITE_OK)
        *rc = sqlite3_create_function(db, "Last", 1, SQLITE_UTF8 | SQLITE_SUBTYPE | SQLITE_RESULT_SUBTYPE, nullptr,
                                      nullptr, jet_last_step, jet_kept);
}

}  // namespace dbengine
