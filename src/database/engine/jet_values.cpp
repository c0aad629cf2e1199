// Conversions shared by the engine's functions (see jet_values.h).
#include "database/engine/jet_values.h"

#include "platform/win32.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dbengine {

// Case folding of the letters the engine's sort order treats alike: Latin,
// Greek and Cyrillic, and the full-width Latin letters.
char32_t to_upper(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}
char32_t to_lower(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

std::u16string arg_text16(sqlite3_value *v) {
    auto *text = static_cast<const char16_t *>(sqlite3_value_text16(v));
    return text ? std::u16string(text, static_cast<size_t>(sqlite3_value_bytes16(v)) / 2) : u"";
}

std::u16string value_text(sqlite3_value *v) {
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_TEXT) return arg_text16(v);
    if (type == SQLITE_NULL) return u"";
    if (type == SQLITE_INTEGER && !is_date(v)) {
        const std::string digits = std::to_string(sqlite3_value_int64(v));
        return std::u16string(digits.begin(), digits.end());
    }
    // The system's conversion, as a column of the type reads.
    VARIANT number, text;
    VariantInit(&number);
    VariantInit(&text);
    number.vt = is_date(v) ? VT_DATE : VT_R8;
    number.dblVal = sqlite3_value_double(v);
    std::u16string out;
    if (SUCCEEDED(VariantChangeType(&text, &number, 0, VT_BSTR)))
        out.assign(as_u16(text.bstrVal), SysStringLen(text.bstrVal));
    VariantClear(&text);
    return out;
}

bool arg_number(sqlite3_value *v, double *out) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: case SQLITE_FLOAT: *out = sqlite3_value_double(v); return true;
    case SQLITE_TEXT: {
        const char *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
        char *end = nullptr;
        *out = std::strtod(text, &end);
        if (end == text || (text[0] && (text[1] == 'x' || text[1] == 'X'))) return false;
        while (*end == ' ') ++end;
        return !*end && std::isfinite(*out);
    }
    default: return false;
    }
}

bool arg_date(sqlite3_value *v, double *out) {
    if (sqlite3_value_type(v) == SQLITE_TEXT) return text_date(arg_text16(v), out);
    return arg_number(v, out) && *out >= -657434.0 && *out < 2958466.0;
}

void result_text(sqlite3_context *c, const std::u16string &text) {
    sqlite3_result_text16(c, text.data(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

void result_date(sqlite3_context *c, double date) {
    if (!(date >= -657434.0 && date < 2958466.0)) return invalid_call(c);
    sqlite3_result_double(c, date);
    sqlite3_result_subtype(c, kDateSubtype);
}

double round_even(double x) {
    const double r = std::round(x);
    return std::fabs(x - std::trunc(x)) == 0.5 ? 2 * std::round(x / 2) : r;
}

namespace {

// Days from 1970-01-01 of a civil date, and back (Howard Hinnant's algorithms).
long long days_from_civil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + static_cast<long long>(yoe * 365 + yoe / 4 - yoe / 100 + doy) - 719468;
}
void civil_from_days(long long z, Civil *out) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    out->day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out->month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out->year = static_cast<int>(yoe + era * 400 + (out->month <= 2));
}

constexpr long long kEpoch = 25569;  // 1970-01-01 as an OLE date

}  // namespace

double date_seconds(double date) {
    const double day = std::trunc(date);
    return day * 86400 + std::fabs(date - day) * 86400;
}

double seconds_date(double seconds) {
    const double day = std::floor(seconds / 86400);
    const double fraction = (seconds - day * 86400) / 86400;
    return day >= 0 ? day + fraction : day - fraction;
}

bool split_date(double date, Civil *out) {
    if (!(date >= -657434.0 && date < 2958466.0)) return false;
    long long seconds = std::llround(date_seconds(date));
    long long day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    seconds -= day * 86400;
    civil_from_days(day - kEpoch, out);
    out->hour = static_cast<int>(seconds / 3600);
    out->minute = static_cast<int>(seconds / 60 % 60);
    out->second = static_cast<int>(seconds % 60);
    return true;
}

double make_date(long long year, long long month, long long day, long long seconds) {
    year += (month - 1 >= 0 ? (month - 1) / 12 : -((12 - month) / 12));
    month = ((month - 1) % 12 + 12) % 12 + 1;
    const long long days = days_from_civil(year, static_cast<unsigned>(month), 1) + day - 1 + kEpoch;
    return seconds_date(static_cast<double>(days) * 86400 + static_cast<double>(seconds));
}

bool text_date(const std::u16string &text, double *date) {
    std::string s;
    for (char16_t c : text) {
        if (c >= 0x80) return false;
        s += static_cast<char>(c);
    }
    int a = 0, b = 0, c = 0, used = 0, hour = 0, minute = 0, second = 0;
    long long year = 1899, month = 12, day = 30;
    char sep1 = 0, sep2 = 0;
    if (std::sscanf(s.c_str(), " %d%c%d%c%d%n", &a, &sep1, &b, &sep2, &c, &used) == 5 && sep1 == sep2 &&
        (sep1 == '/' || sep1 == '-')) {
        const bool year_first = s.find_first_of("/-") - s.find_first_not_of(' ') > 2;
        year = year_first ? a : c, month = year_first ? b : a, day = year_first ? c : b;
        if (year < 30) year += 2000;
        else if (year < 100) year += 1900;
        if (month < 1 || month > 12 || day < 1 || day > 31) return false;
        s = s.substr(static_cast<size_t>(used));
    }
    int more = 0;
    if (std::sscanf(s.c_str(), " %d:%d%n", &hour, &minute, &more) == 2) {
        s = s.substr(static_cast<size_t>(more));
        if (std::sscanf(s.c_str(), ":%d%n", &second, &more) == 1) s = s.substr(static_cast<size_t>(more));
        const size_t p = s.find_first_not_of(' ');
        if (p != std::string::npos) {
            std::string half = s.substr(p);
            for (char &ch : half) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
            if (half != "AM" && half != "PM") return false;
            if (hour > 12) return false;
            hour = hour % 12 + (half == "PM" ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59) return false;
    } else if (s.find_first_not_of(' ') != std::string::npos || year == 1899) {
        return false;
    }
    *date = make_date(year, month, day, hour * 3600 + minute * 60 + second);
    Civil check;
    return split_date(*date, &check) && check.day == day;
}

}  // namespace dbengine
