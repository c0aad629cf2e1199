// The token translation described in sql_dialect.h.
#include "database/engine/sql_dialect.h"

#include "database/engine/jet_functions.h"
#include "database/engine/sql_tokens.h"

#include <algorithm>
#include <vector>

namespace dbengine {
namespace {

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

// Rewrites the type of the column definition whose type token is at i.
FieldKind translate_type(std::vector<Token> &t, size_t i) {
    if (i >= t.size() || t[i].kind != TokenKind::Word) return FieldKind::Other;
    const TypeName *type = find_type(t[i].text);
    if (!type) return FieldKind::Other;
    t[i].text = ascii(type->sqlite);
    const bool text = type->kind == FieldKind::Text || type->kind == FieldKind::Memo;
    // Text compares as the engine compares it, without case.
    const std::u16string collate = text ? u" COLLATE " + ascii(kJetCollation) : u"";
    size_t open = next_solid(t, i + 1), close = open;
    if (is_symbol(t, open, '(')) {
        while (close < t.size() && !is_symbol(t, close, ')')) ++close;
        if (close >= t.size()) return type->kind;
        if (type->kind != FieldKind::Text) {
            for (size_t k = open; k <= close; ++k) t[k] = {TokenKind::Space, u""};
        }
        t[close].text += collate;
        close = next_solid(t, close + 1);
    } else {
        if (type->kind == FieldKind::Text && same_word(ascii(type->jet), "TEXT")) t[i].text = u"TEXT(255)";
        t[i].text += collate;
        close = open;
    }
    // WITH COMPRESSION (or COMP) only tells how text is kept.
    const size_t comp = next_solid(t, close + 1);
    if (is_word(t, close, "WITH") && (is_word(t, comp, "COMPRESSION") || is_word(t, comp, "COMP")))
        t[close] = t[comp] = {TokenKind::Space, u""};
    return type->kind;
}

// Column definitions of CREATE TABLE name ( ... ): the word after each
// column name at depth 1 is its type.
void translate_create(std::vector<Token> &t, size_t from) {
    bool counter = false;
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
            if (!constraint) counter = translate_type(t, next_solid(t, i + 1)) == FieldKind::Counter || counter;
        }
    }
    // A counter is the table's key in SQLite; a primary key the engine's
    // table also names (often the counter itself) becomes a unique index.
    for (size_t i = from; counter && i < t.size(); ++i) {
        const size_t key = next_solid(t, i + 1);
        if (is_word(t, i, "PRIMARY") && is_word(t, key, "KEY")) {
            t[i].text = u"UNIQUE";
            t[key] = {TokenKind::Space, u""};
        }
    }
}

}  // namespace

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

namespace {

constexpr const char *kNotAStatement =
    "3129 Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";

void blank(Tokens &t, size_t from, size_t to) {
    for (size_t k = from; k < to && k < t.size(); ++k) t[k] = {TokenKind::Space, u""};
}

// The first token at depth 0 from `from` that is the word, or t.size().
size_t find_word(const Tokens &t, size_t from, const char *word) {
    int depth = 0;
    for (size_t i = from; i < t.size(); ++i) {
        if (is_symbol(t, i, '(')) ++depth;
        if (is_symbol(t, i, ')')) --depth;
        if (depth == 0 && is_word(t, i, word)) return i;
    }
    return t.size();
}

std::u16string text_of(const Tokens &t, size_t from, size_t to) {
    std::u16string out;
    for (size_t i = from; i < to && i < t.size(); ++i) out += t[i].text;
    return out;
}

// CREATE, ALTER and DROP: column types and the engine's own clauses.
bool translate_definition(Tokens &t, size_t first, std::u16string *sqlite, std::string *error) {
    const size_t second = next_solid(t, first + 1);
    const bool create = is_word(t, first, "CREATE");
    if (create && is_word(t, second, "TABLE")) translate_create(t, second + 1);
    if (create) {
        // CREATE [UNIQUE] INDEX ... WITH PRIMARY | DISALLOW NULL | IGNORE NULL
        const size_t with = find_word(t, second, "WITH");
        if (with < t.size()) {
            if (is_word(t, next_solid(t, with + 1), "PRIMARY") && !is_word(t, second, "UNIQUE"))
                t[second].text = u"UNIQUE " + t[second].text;
            blank(t, with, t.size());
        }
    }
    if (is_word(t, first, "ALTER") && is_word(t, second, "TABLE")) {
        const size_t name = next_solid(t, second + 1);
        const size_t action = next_solid(t, name + 1);
        size_t column = next_solid(t, action + 1);
        const bool named_column = is_word(t, column, "COLUMN");
        if (is_word(t, action, "ALTER")) {
            *error = "3293 Syntax error in ALTER TABLE statement.";  // the engine changes types itself
            return false;
        }
        if ((is_word(t, action, "ADD") || is_word(t, action, "DROP")) && !is_word(t, column, "CONSTRAINT")) {
            if (named_column) column = next_solid(t, column + 1);
            else t[action].text += u" COLUMN";
            if (is_word(t, action, "ADD COLUMN") || is_word(t, action, "ADD")) translate_type(t, next_solid(t, column + 1));
        }
    }
    // DROP INDEX name ON table: index names are the file's, not the table's.
    if (is_word(t, first, "DROP") && is_word(t, second, "INDEX")) {
        const size_t on = find_word(t, second, "ON");
        blank(t, on, t.size());
    }
    for (Token &token : t)
        if (token.kind == TokenKind::Symbol && token.text == u"&") token.text = u"||";
    *sqlite = text_of(t, 0, t.size());
    return true;
}

// UPDATE a INNER JOIN b ON condition SET ... [WHERE more]
//   UPDATE a SET ... FROM b WHERE (condition) AND (more)
// ON before JOIN, both before SET, is Jet's syntax error 3144.
bool translate_update_join(Tokens &t, size_t update, std::string *error) {
    const size_t join = find_word(t, update, "JOIN"), on = find_word(t, update, "ON"), set = find_word(t, update, "SET");
    if (on < join && join < set) {
        *error = "3144 Syntax error in UPDATE statement.";
        return false;
    }
    if (join >= on || on >= set) return true;
    size_t kind = join;  // INNER, LEFT or RIGHT before JOIN
    while (kind > update && !is_word(t, kind, "INNER") && !is_word(t, kind, "LEFT") && !is_word(t, kind, "RIGHT")) --kind;
    if (kind == update) kind = join;
    const size_t where = find_word(t, set, "WHERE");
    Tokens out(t.begin(), t.begin() + static_cast<long>(kind));
    out.insert(out.end(), t.begin() + static_cast<long>(set), t.begin() + static_cast<long>(where));
    out.push_back({TokenKind::Word, u"FROM"});
    out.insert(out.end(), t.begin() + static_cast<long>(join) + 1, t.begin() + static_cast<long>(on));
    out.push_back({TokenKind::Word, u"WHERE"});
    out.push_back({TokenKind::Symbol, u"("});
    out.insert(out.end(), t.begin() + static_cast<long>(on) + 1, t.begin() + static_cast<long>(set));
    out.push_back({TokenKind::Symbol, u")"});
    if (where < t.size()) {
        out.push_back({TokenKind::Word, u"AND"});
        out.push_back({TokenKind::Symbol, u"("});
        out.insert(out.end(), t.begin() + static_cast<long>(where) + 1, t.end());
        out.push_back({TokenKind::Symbol, u")"});
    }
    t.swap(out);
    return true;
}

}  // namespace

bool split_select_into(const std::u16string &jet, std::u16string *table, std::u16string *select) {
    Tokens t;
    std::string error;
    if (!tokenize(jet, &t, &error)) return false;
    const size_t first = next_solid(t, 0);
    if (!is_word(t, first, "SELECT")) return false;
    const size_t into = find_word(t, first, "INTO"), name = next_solid(t, into + 1);
    if (into >= find_word(t, first, "FROM") || name >= t.size()) return false;
    *table = t[name].kind == TokenKind::Name ? t[name].text.substr(1, t[name].text.size() - 2) : t[name].text;
    // The rest as written: strings and names go back to the dialect's quotes.
    select->clear();
    for (size_t i = 0; i < t.size(); ++i) {
        if (i == into || i == name) continue;
        if (t[i].kind == TokenKind::Name) {
            *select += u"[";
            for (size_t k = 1; k + 1 < t[i].text.size(); ++k) *select += t[i].text[k] == '"' ? t[i].text[k++] : t[i].text[k];
            *select += u"]";
        } else if (t[i].kind == TokenKind::Date) {
            *select += u"CDate(" + t[i].text + u")";
        } else {
            *select += t[i].text;
        }
    }
    return true;
}

bool alter_column(const std::u16string &jet, std::u16string *table, std::u16string *column,
                  std::u16string *definition) {
    Tokens t;
    std::string error;
    if (!tokenize(jet, &t, &error)) return false;
    while (!t.empty() && (t.back().kind == TokenKind::Space || is_symbol(t, t.size() - 1, ';'))) t.pop_back();
    const size_t first = next_solid(t, 0), second = next_solid(t, first + 1), name = next_solid(t, second + 1);
    const size_t alter = next_solid(t, name + 1);
    size_t at = next_solid(t, alter + 1);
    if (!is_word(t, first, "ALTER") || !is_word(t, second, "TABLE") || !is_word(t, alter, "ALTER") || name >= t.size())
        return false;
    if (is_word(t, at, "COLUMN")) at = next_solid(t, at + 1);
    if (at >= t.size() || (t[at].kind != TokenKind::Word && t[at].kind != TokenKind::Name)) return false;
    auto bare = [&](size_t i) {
        return t[i].kind == TokenKind::Name ? t[i].text.substr(1, t[i].text.size() - 2) : t[i].text;
    };
    *table = bare(name);
    *column = bare(at);
    translate_type(t, next_solid(t, at + 1));
    *definition = text_of(t, at, t.size());
    return true;
}

bool replace_column(const std::u16string &create, const std::u16string &column, const std::u16string &definition,
                    std::u16string *out) {
    // The definitions between the outer parentheses, split at commas
    // outside quotes and inner parentheses.
    size_t open = create.find(u'(');
    if (open == std::u16string::npos) return false;
    int depth = 0;
    char16_t quote = 0;
    size_t start = open + 1;
    for (size_t i = open; i < create.size(); ++i) {
        const char16_t c = create[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`') quote = c;
        else if (c == '[') quote = ']';
        else if (c == '(') ++depth;
        else if (depth == 1 && (c == ',' || c == ')')) {
            // The part's first word (unquoted) is its column's name.
            size_t from = create.find_first_not_of(u" \t\r\n", start), to = from;
            std::u16string name;
            if (from < i && (create[from] == '"' || create[from] == '[' || create[from] == '`')) {
                const char16_t close = create[from] == '[' ? ']' : create[from];
                to = create.find(close, from + 1);
                if (to == std::u16string::npos) return false;
                name = create.substr(from + 1, to - from - 1);
                ++to;
            } else {
                while (to < i && (is_word_start(create[to]) || is_digit(create[to]))) ++to;
                name = create.substr(from, to - from);
            }
            if (name.size() == column.size() &&
                std::equal(name.begin(), name.end(), column.begin(),
                           [](char16_t a, char16_t b) { return upper_ascii(a) == upper_ascii(b); })) {
                *out = create.substr(0, start) + u" " + definition + create.substr(i);
                return true;
            }
            start = i + 1;
        }
        if (c == ')' && --depth == 0) break;
    }
    return false;
}

std::u16string created_table(const std::u16string &jet) {
    Tokens t;
    std::string error;
    if (!tokenize(jet, &t, &error)) return {};
    const size_t first = next_solid(t, 0), second = next_solid(t, first + 1);
    size_t name = t.size();
    if (is_word(t, first, "CREATE") && is_word(t, second, "TABLE")) name = next_solid(t, second + 1);
    if (is_word(t, first, "SELECT")) {
        const size_t into = find_word(t, first, "INTO");
        if (into < find_word(t, first, "FROM")) name = next_solid(t, into + 1);
    }
    if (name >= t.size()) return {};
    // A bracketed name is held translated ("name"); the name is within.
    return t[name].kind == TokenKind::Name ? t[name].text.substr(1, t[name].text.size() - 2) : t[name].text;
}

bool translate_sql(const std::u16string &jet, std::u16string *sqlite, std::string *error) {
    Tokens t;
    if (!tokenize(jet, &t, error)) return false;

    // One statement: a semicolon may end it, nothing may follow.
    for (size_t i = 0; i < t.size(); ++i) {
        if (!is_symbol(t, i, ';')) continue;
        if (next_solid(t, i + 1) < t.size() && !is_word(t, next_solid(t, 0), "PARAMETERS")) {
            *error = "3142 Characters found after end of SQL statement.";
            return false;
        }
        if (!is_word(t, next_solid(t, 0), "PARAMETERS")) {
            t.resize(i);
            break;
        }
        // PARAMETERS name type, ...; the names become parameters of the
        // statement, which the engine asks for (and nothing here gives).
        std::vector<std::u16string> names;
        for (size_t k = next_solid(t, next_solid(t, 0) + 1); k < i; k = next_solid(t, k + 1)) {
            names.push_back(t[k].text);
            while (k < i && !is_symbol(t, k, ',')) ++k;
        }
        blank(t, 0, i + 1);
        for (Token &token : t)
            for (const std::u16string &name : names)
                if ((token.kind == TokenKind::Word || token.kind == TokenKind::Name) && token.text.size() == name.size() &&
                    std::equal(name.begin(), name.end(), token.text.begin(),
                               [](char16_t a, char16_t b) { return upper_ascii(a) == upper_ascii(b); }))
                    token = {TokenKind::Number, u"?"};
    }

    size_t first = next_solid(t, 0);
    // Transactions, as Jet takes them in its ANSI-92 mode: BEGIN TRANSACTION,
    // COMMIT and ROLLBACK [TRANSACTION | WORK].
    if (is_word(t, first, "BEGIN") || is_word(t, first, "COMMIT") || is_word(t, first, "ROLLBACK")) {
        const size_t second = next_solid(t, first + 1), third = next_solid(t, second + 1);
        const bool plain = second >= t.size() || ((is_word(t, second, "TRANSACTION") ||
                                                   (is_word(t, second, "WORK") && !is_word(t, first, "BEGIN"))) &&
                                                  third >= t.size());
        if (!plain || (is_word(t, first, "BEGIN") && second >= t.size())) {
            *error = kNotAStatement;
            return false;
        }
        *sqlite = t[first].text + u" TRANSACTION";
        return true;
    }
    static const char *const kDefinitions[] = {"CREATE", "ALTER", "DROP"};
    for (const char *word : kDefinitions)
        if (is_word(t, first, word)) return translate_definition(t, first, sqlite, error);
    static const char *const kQueries[] = {"SELECT", "INSERT", "UPDATE", "DELETE"};
    bool query = is_symbol(t, first, '(');
    for (const char *word : kQueries) query = query || is_word(t, first, word);
    if (!query) {
        *error = kNotAStatement;
        return false;
    }

    // DELETE * FROM and DELETE table.* FROM: the rows go, whatever is named.
    if (is_word(t, first, "DELETE")) blank(t, first + 1, find_word(t, first, "FROM"));
    if (is_word(t, first, "UPDATE") && !translate_update_join(t, first, error)) return false;

    // The outer SELECT: TOP n [PERCENT] becomes a LIMIT, DISTINCTROW goes
    // (rows of one table are distinct already), INTO makes a new table.
    std::u16string limit, into;
    bool percent = false;
    const size_t select = is_word(t, first, "INSERT") ? t.size() : find_word(t, first, "SELECT");
    if (select < t.size()) {
        size_t k = next_solid(t, select + 1);
        if (is_word(t, k, "DISTINCTROW")) blank(t, k, k + 1), k = next_solid(t, k + 1);
        if (is_word(t, k, "DISTINCT") || is_word(t, k, "ALL")) k = next_solid(t, k + 1);
        const size_t n = next_solid(t, k + 1);
        if (is_word(t, k, "TOP") && n < t.size() && t[n].kind == TokenKind::Number) {
            limit = t[n].text;
            blank(t, k, n + 1);
            const size_t after = next_solid(t, n + 1);
            if (is_word(t, after, "PERCENT")) percent = true, blank(t, after, after + 1);
        }
        const size_t at = find_word(t, select, "INTO"), from = find_word(t, select, "FROM");
        if (at < from && at < t.size()) {
            const size_t name = next_solid(t, at + 1);
            if (name < t.size()) into = t[name].text;
            blank(t, at, name + 1);
        }
    }

    std::u16string body;
    if (!rewrite_expressions(t, &body, error)) return false;
    if (percent) {
        // Rounded up: 50 PERCENT of 5 rows is 3.
        body += u" LIMIT (SELECT CAST((count(*) * " + limit + u" + 99) / 100 AS INTEGER) FROM (" + body + u"))";
    } else if (!limit.empty()) {
        body += u" LIMIT " + limit;
    }
    *sqlite = into.empty() ? body : u"CREATE TABLE " + into + u" AS " + body;
    return true;
}

}  // namespace dbengine
