// The token translation described in sql_dialect.h.
#include "database/engine/sql_dialect.h"

#include <cstdio>
#include <vector>

namespace dbengine {
namespace {

enum class TokenKind { Space, Word, Number, String, Name, Date, Symbol };

struct Token {
    TokenKind kind;
    std::u16string text;  // as written (Word, Number, Symbol, Space) or the translation
};

bool is_word_start(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool is_digit(char16_t c) { return c >= '0' && c <= '9'; }
bool is_space(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char16_t upper(char16_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool same_word(const std::u16string &a, const char *b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (upper(a[i]) != static_cast<unsigned char>(b[i])) return false;
    return i == a.size() && !b[i];
}

std::u16string ascii(const std::string &text) { return std::u16string(text.begin(), text.end()); }

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
        month = a, day = b, year = c;
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
                    *error = "unterminated string";
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
                *error = "unterminated bracketed name";
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
                *error = "not a date between # signs";
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
            out->push_back({TokenKind::Number, in.substr(i, j - i)});
        } else if (c == '-' && j < in.size() && in[j] == '-') {
            while (j < in.size() && in[j] != '\n') ++j;  // a comment, kept as space
            out->push_back({TokenKind::Space, u" "});
        } else {
            out->push_back({TokenKind::Symbol, in.substr(i, 1)});
        }
        i = j;
    }
    return true;
}

struct TypeName {
    const char *jet;
    const char *sqlite;
    FieldKind kind;
};

const TypeName kTypes[] = {
    {"TEXT", "TEXT", FieldKind::Text},          {"CHAR", "TEXT", FieldKind::Text},
    {"VARCHAR", "TEXT", FieldKind::Text},       {"MEMO", "CLOB", FieldKind::Memo},
    {"LONGTEXT", "CLOB", FieldKind::Memo},      {"LONGCHAR", "CLOB", FieldKind::Memo},
    {"NOTE", "CLOB", FieldKind::Memo},          {"CLOB", "CLOB", FieldKind::Memo},
    {"LONG", "INTEGER", FieldKind::Long},       {"INTEGER", "INTEGER", FieldKind::Long},
    {"INT", "INTEGER", FieldKind::Long},        {"SHORT", "SMALLINT", FieldKind::Short},
    {"SMALLINT", "SMALLINT", FieldKind::Short}, {"BYTE", "TINYINT", FieldKind::Byte},
    {"TINYINT", "TINYINT", FieldKind::Byte},    {"DATETIME", "DATETIME", FieldKind::Date},
    {"DATE", "DATETIME", FieldKind::Date},      {"TIME", "DATETIME", FieldKind::Date},
    {"YESNO", "BOOLEAN", FieldKind::Boolean},   {"BIT", "BOOLEAN", FieldKind::Boolean},
    {"LOGICAL", "BOOLEAN", FieldKind::Boolean}, {"BOOLEAN", "BOOLEAN", FieldKind::Boolean},
    {"CURRENCY", "CURRENCY", FieldKind::Currency}, {"MONEY", "CURRENCY", FieldKind::Currency},
    {"DOUBLE", "DOUBLE", FieldKind::Double},    {"FLOAT", "DOUBLE", FieldKind::Double},
    {"NUMBER", "DOUBLE", FieldKind::Double},    {"SINGLE", "REAL", FieldKind::Single},
    {"REAL", "REAL", FieldKind::Single},        {"LONGBINARY", "BLOB", FieldKind::Binary},
    {"OLEOBJECT", "BLOB", FieldKind::Binary},   {"IMAGE", "BLOB", FieldKind::Binary},
    {"BINARY", "BLOB", FieldKind::Binary},      {"VARBINARY", "BLOB", FieldKind::Binary},
    {"BLOB", "BLOB", FieldKind::Binary},
    {"COUNTER", "INTEGER PRIMARY KEY AUTOINCREMENT", FieldKind::Counter},
    {"AUTOINCREMENT", "INTEGER PRIMARY KEY AUTOINCREMENT", FieldKind::Counter},
};

const TypeName *find_type(const std::u16string &word) {
    for (const TypeName &type : kTypes)
        if (same_word(word, type.jet)) return &type;
    return nullptr;
}

size_t next_solid(const std::vector<Token> &t, size_t i) {
    while (i < t.size() && t[i].kind == TokenKind::Space) ++i;
    return i;
}

bool is_symbol(const std::vector<Token> &t, size_t i, char16_t c) {
    return i < t.size() && t[i].kind == TokenKind::Symbol && t[i].text[0] == c;
}

// Rewrites the type of the column definition whose type token is at i.
void translate_type(std::vector<Token> &t, size_t i) {
    if (i >= t.size() || t[i].kind != TokenKind::Word) return;
    const TypeName *type = find_type(t[i].text);
    if (!type) return;
    t[i].text = ascii(type->sqlite);
    size_t open = next_solid(t, i + 1);
    if (!is_symbol(t, open, '(')) {
        if (type->kind == FieldKind::Text && same_word(ascii(type->jet), "TEXT"))
            t[i].text = u"TEXT(255)";
        return;
    }
    size_t close = open;
    while (close < t.size() && !is_symbol(t, close, ')')) ++close;
    if (close >= t.size()) return;
    if (type->kind == FieldKind::Text) return;  // TEXT(n) keeps its size
    for (size_t k = open; k <= close; ++k) t[k] = {TokenKind::Space, u""};
}

// Column definitions of CREATE TABLE name ( ... ): the word after each
// column name at depth 1 is its type.
void translate_create(std::vector<Token> &t, size_t from) {
    int depth = 0;
    bool expect_name = false;
    for (size_t i = from; i < t.size(); ++i) {
        if (is_symbol(t, i, '(')) {
            if (++depth == 1) expect_name = true;
            continue;
        }
        if (is_symbol(t, i, ')')) {
            --depth;
            continue;
        }
        if (depth == 1 && is_symbol(t, i, ',')) {
            expect_name = true;
            continue;
        }
        if (depth == 1 && expect_name && t[i].kind != TokenKind::Space) {
            expect_name = false;
            static const char *const kConstraints[] = {"CONSTRAINT", "PRIMARY", "UNIQUE",
                                                       "FOREIGN", "CHECK"};
            bool constraint = false;
            for (const char *word : kConstraints)
                constraint = constraint || (t[i].kind == TokenKind::Word && same_word(t[i].text, word));
            if (!constraint) translate_type(t, next_solid(t, i + 1));
        }
    }
}

}  // namespace

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

ColumnType column_type(const std::u16string &declared) {
    ColumnType result;
    size_t end = 0;
    while (end < declared.size() && is_word_start(declared[end])) ++end;
    const std::u16string word = declared.substr(0, end);
    for (const TypeName &type : kTypes) {
        if (same_word(word, type.sqlite) || same_word(word, type.jet)) {
            result.kind = type.kind;
            break;
        }
    }
    if (result.kind == FieldKind::Long && declared.find(u"AUTOINCREMENT") != std::u16string::npos)
        result.kind = FieldKind::Counter;
    if (result.kind == FieldKind::Text) {
        size_t open = declared.find(u'(');
        long size = 0;
        for (size_t i = open == std::u16string::npos ? declared.size() : open + 1;
             i < declared.size() && is_digit(declared[i]) && size < 100000; ++i)
            size = size * 10 + (declared[i] - '0');
        result.size = size;
    }
    return result;
}

bool translate_sql(const std::u16string &jet, std::u16string *sqlite, std::string *error) {
    std::vector<Token> t;
    if (!tokenize(jet, &t, error)) return false;

    size_t first = next_solid(t, 0);
    size_t second = next_solid(t, first + 1);
    const bool create_table = first < t.size() && same_word(t[first].text, "CREATE") &&
                              second < t.size() && same_word(t[second].text, "TABLE");
    const bool alter_table = first < t.size() && same_word(t[first].text, "ALTER") &&
                             second < t.size() && same_word(t[second].text, "TABLE");
    if (create_table) translate_create(t, second + 1);
    if (alter_table) {
        size_t name = next_solid(t, second + 1);
        size_t add = next_solid(t, name + 1);
        if (add < t.size() && same_word(t[add].text, "ADD")) {
            size_t column = next_solid(t, add + 1);
            if (column < t.size() && same_word(t[column].text, "COLUMN")) {
                column = next_solid(t, column + 1);
            } else if (column < t.size()) {
                t[add].text = u"ADD COLUMN";
            }
            translate_type(t, next_solid(t, column + 1));
        }
    }

    // SELECT [DISTINCT] TOP n at the outer level becomes LIMIT n at the end.
    std::u16string limit;
    int depth = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (is_symbol(t, i, '(')) ++depth;
        if (is_symbol(t, i, ')')) --depth;
        if (t[i].kind == TokenKind::Word) {
            if (same_word(t[i].text, "TRUE")) t[i].text = u"-1";
            else if (same_word(t[i].text, "FALSE")) t[i].text = u"0";
        }
        if (is_symbol(t, i, '&')) t[i].text = u"||";
        if (depth != 0 || !limit.empty() || t[i].kind != TokenKind::Word ||
            !same_word(t[i].text, "SELECT"))
            continue;
        size_t k = next_solid(t, i + 1);
        if (k < t.size() && (same_word(t[k].text, "DISTINCT") || same_word(t[k].text, "ALL")))
            k = next_solid(t, k + 1);
        size_t n = next_solid(t, k + 1);
        if (k < t.size() && same_word(t[k].text, "TOP") && n < t.size() &&
            t[n].kind == TokenKind::Number) {
            limit = t[n].text;
            t[k] = t[n] = {TokenKind::Space, u""};
        }
    }

    sqlite->clear();
    size_t end = t.size();
    if (!limit.empty()) {
        // Before a closing semicolon and the space around it.
        while (end > 0 && (t[end - 1].kind == TokenKind::Space || is_symbol(t, end - 1, ';'))) --end;
    }
    for (size_t i = 0; i < end; ++i) *sqlite += t[i].text;
    if (!limit.empty()) *sqlite += u" LIMIT " + limit;
    for (size_t i = end; i < t.size(); ++i) *sqlite += t[i].text;
    return true;
}

}  // namespace dbengine
