// Values as the Access engine's functions take and give them, over SQLite's
// values: text, numbers read from text, and dates (OLE date numbers marked
// with kDateSubtype).
#pragma once

#include "database/engine/jet_functions.h"

#include <sqlite3.h>

#include <string>

namespace dbengine {

char32_t to_upper(char32_t c);
char32_t to_lower(char32_t c);

std::u16string arg_text16(sqlite3_value *v);
// The value as text, the way the engine shows it: numbers as Str gives them
// without its leading space, dates in the system's short form, Null empty.
std::u16string value_text(sqlite3_value *v);
// A number, or text that reads whole as one (spaces around it allowed).
bool arg_number(sqlite3_value *v, double *out);
// A date: a number (days from 1899-12-30) or text that reads as a date.
bool arg_date(sqlite3_value *v, double *out);
inline bool is_null(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }
inline bool is_date(sqlite3_value *v) { return sqlite3_value_subtype(v) == kDateSubtype; }

void result_text(sqlite3_context *c, const std::u16string &text);
void result_date(sqlite3_context *c, double date);
// Failures carry the engine's error number before their text.
inline void failure(sqlite3_context *c, const char *message) { sqlite3_result_error(c, message, -1); }
inline void mismatch(sqlite3_context *c) { failure(c, "3464 Data type mismatch in criteria expression."); }
inline void invalid_call(sqlite3_context *c) { failure(c, "5 Invalid procedure call or argument."); }

// Visual Basic's rounding to a whole number: halves go to the even one.
double round_even(double x);

// A date's fields; the time of a negative date counts forward from its day.
struct Civil {
    int year, month, day, hour, minute, second;
};
bool split_date(double date, Civil *out);
// The date of fields that may run over (month 13, day 0, ...).
double make_date(long long year, long long month, long long day, long long seconds);
// Dates on a straight line of seconds, and back.
double date_seconds(double date);
double seconds_date(double seconds);
// Text as a date: y/m/d or y-m-d (the system's order), m/d/y with a
// four-digit year, an optional h:m[:s] [AM|PM], or a time alone.
bool text_date(const std::u16string &text, double *date);

void register_text_functions(sqlite3 *db, int *rc);
void register_date_functions(sqlite3 *db, int *rc);

}  // namespace dbengine
