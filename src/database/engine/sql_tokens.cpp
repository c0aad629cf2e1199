// The scanner of the engine's dialect: a statement's text as tokens, with
// strings, bracketed names, # dates and &H/&O numbers already translated.
#include "database/engine/sql_tokens.h"

#include <cstdio>

namespace dbengine {
namespace {

// The OLE date of a date and time, false when the fields are not a date.
bool ole_date(int year, int month, int day, int hour, int minute, int second, double *date) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap)) return false;
    // Days from 1970-01-01 (the civil-from-days inverse), then from 1899-12-30.
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097L + static_cast<long>(doe) - 719468L + 25569L;
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    *date = days >= 0 ? days + fraction : days - fraction;
    return true;
}


bool is_space(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_hex(char16_t c) { return is_digit(c) || (upper_ascii(c) >= 'A' && upper_ascii(c) <= 'F'); }

// #date#: y-m-d or m/d/y, then an optional h:m[:s] with AM/PM.
bool parse_date(const std::u16string &text, double *date) {
    std::string s;
    for (char16_t c : text) {
        if (c >= 0x80) return false;
        s += static_cast<char>(c);
    }
    int a = 0, b = 0, c = 0, hour = 0, minute = 0, second = 0, used = 0;
    int year, month, day;
    if (std::sscanf(s.c_str(), " %d-%d-%d%n", &a, &b, &c, &used) == 3) {
        year = a, month = b, day = c;
    } else if (std::sscanf(s.c_str(), " %d/%d/%d%n", &a, &b, &c, &used) == 3) {
        // m/d/y as Jet reads it, or y/m/d when the year comes first.
        const bool year_first = s.find('/') - s.find_first_not_of(' ') > 2;
        year = year_first ? a : c, month = year_first ? b : a, day = year_first ? c : b;
    } else if (s.find(':') != std::string::npos) {
        year = 1899, month = 12, day = 30;  // a time alone
    } else {
        return false;
    }
    std::string rest = s.substr(used);
    int more = 0;
    if (std::sscanf(rest.c_str(), " %d:%d%n", &hour, &minute, &more) == 2) {
        rest = rest.substr(more);
        if (std::sscanf(rest.c_str(), ":%d%n", &second, &more) == 1) rest = rest.substr(more);
        size_t p = rest.find_first_not_of(' ');
        if (p != std::string::npos) {
            std::string half = rest.substr(p);
            for (char &ch : half) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
            if (half == "PM" && hour < 12) hour += 12;
            else if (half == "AM" && hour == 12) hour = 0;
            else if (half != "AM" && half != "PM") return false;
        }
    } else if (rest.find_first_not_of(' ') != std::string::npos) {
        return false;
    }
    if (year >= 0 && year < 30) year += 2000;
    else if (year >= 30 && year < 100) year += 1900;
    return ole_date(year, month, day, hour, minute, second, date);
}

}  // namespace

bool tokenize(const std::u16string &in, std::vector<Token> *out, std::string *error) {
    size_t i = 0;
    while (i < in.size()) {
        const char16_t c = in[i];
        size_t j = i + 1;
        if (is_space(c)) {
            while (j < in.size() && is_space(in[j])) ++j;
            out->push_back({TokenKind::Space, in.substr(i, j - i)});
        } else if (c == '\'' || c == '"') {
            // Either quote opens a string; a doubled quote is one quote.
            std::u16string body;
            for (;; ++j) {
                if (j >= in.size()) {
                    *error = "3075 Syntax error in string in query expression.";
                    return false;
                }
                if (in[j] == c) {
                    if (j + 1 < in.size() && in[j + 1] == c) {
                        body += c;
                        ++j;
                        continue;
                    }
                    break;
                }
                body += in[j];
            }
            ++j;
            std::u16string quoted = u"'";
            for (char16_t d : body) {
                quoted += d;
                if (d == '\'') quoted += d;
            }
            out->push_back({TokenKind::String, quoted + u"'"});
        } else if (c == '[') {
            while (j < in.size() && in[j] != ']') ++j;
            if (j >= in.size()) {
                *error = "3075 Syntax error in query expression (an unterminated bracket).";
                return false;
            }
            std::u16string quoted = u"\"";
            for (size_t k = i + 1; k < j; ++k) {
                quoted += in[k];
                if (in[k] == '"') quoted += in[k];
            }
            out->push_back({TokenKind::Name, quoted + u"\""});
            ++j;
        } else if (c == '#') {
            while (j < in.size() && in[j] != '#') ++j;
            double date;
            if (j >= in.size() || !parse_date(in.substr(i + 1, j - i - 1), &date)) {
                *error = "3075 Syntax error in date in query expression.";
                return false;
            }
            char number[40];
            std::snprintf(number, sizeof number, "%.17g", date);
            out->push_back({TokenKind::Date, ascii(number)});
            ++j;
        } else if (is_word_start(c)) {
            while (j < in.size() && (is_word_start(in[j]) || is_digit(in[j]))) ++j;
            out->push_back({TokenKind::Word, in.substr(i, j - i)});
        } else if (is_digit(c) || (c == '.' && j < in.size() && is_digit(in[j]))) {
            while (j < in.size() && (is_digit(in[j]) || in[j] == '.')) ++j;
            const size_t sign = j + 1 < in.size() && (in[j + 1] == '-' || in[j + 1] == '+') ? j + 2 : j + 1;
            if (j < in.size() && upper_ascii(in[j]) == 'E' && sign < in.size() && is_digit(in[sign]))
                for (j = sign; j < in.size() && is_digit(in[j]);) ++j;
            out->push_back({TokenKind::Number, in.substr(i, j - i)});
        } else if (c == '&' && j + 1 < in.size() && (upper_ascii(in[j]) == 'H' || upper_ascii(in[j]) == 'O') &&
                   is_hex(in[j + 1])) {
            // &H1F and &O17: whole numbers in hexadecimal and octal.
            const int base = upper_ascii(in[j]) == 'H' ? 16 : 8;
            unsigned long long value = 0;
            for (j += 1; j < in.size() && (is_hex(in[j]) || is_word_start(in[j])); ++j) {
                const int digit = is_digit(in[j]) ? in[j] - '0' : upper_ascii(in[j]) - 'A' + 10;
                if (!is_hex(in[j]) || digit >= base || value > 0xFFFFFFFFull) {
                    *error = "3075 Syntax error in number in query expression.";
                    return false;
                }
                value = value * base + static_cast<unsigned>(digit);
            }
            // Up to four digits make a 16-bit number, up to eight a 32-bit one.
            long long n = static_cast<long long>(value);
            if (base == 16 && j - i - 2 <= 4 && n > 0x7FFF) n -= 0x10000;
            else if (n > 0x7FFFFFFF) n -= 0x100000000LL;
            const std::string digits = std::to_string(n);
            out->push_back({TokenKind::Number, ascii(digits)});
        } else {
            out->push_back({TokenKind::Symbol, in.substr(i, 1)});
        }
        i = j;
    }
    return true;
}

}  // namespace dbengine
