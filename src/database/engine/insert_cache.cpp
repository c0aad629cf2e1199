// The prepared INSERTs of a connection (see insert_cache.h).
#include "database/engine/insert_cache.h"

#include "database/engine/sql_dialect.h"

#include <charconv>
#include <vector>

namespace dbengine {
namespace {

constexpr size_t kCached = 16;  // statements kept per connection

struct Literal {
    int type = SQLITE_NULL;
    sqlite3_int64 whole = 0;
    double real = 0;
    std::u16string text;
};

bool blank(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool digit(char16_t c) { return c >= '0' && c <= '9'; }
bool letter(char16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

// The word at `i` (ASCII letters without case).
bool word_at(const std::u16string &s, size_t i, const char *word) {
    size_t n = 0;
    for (; word[n]; ++n)
        if (i + n >= s.size() || (s[i + n] & ~0x20) != word[n]) return false;
    return (i == 0 || !letter(s[i - 1])) && (i + n == s.size() || !letter(s[i + n]));
}

// A number as SQLite reads one, when a double or an int64 holds it exactly
// as SQLite would (at most 15 digits for a real, 18 for a whole number).
bool number(const std::u16string &s, size_t *i, bool negative, Literal *out) {
    std::string ascii = negative ? "-" : "";
    size_t digits = 0;
    bool real = false;
    for (; *i < s.size() && (digit(s[*i]) || s[*i] == '.' || s[*i] == 'e' || s[*i] == 'E' ||
                             ((s[*i] == '-' || s[*i] == '+') && (s[*i - 1] == 'e' || s[*i - 1] == 'E')));
         ++*i) {
        digits += digit(s[*i]) && !(digits == 0 && s[*i] == '0' && !real);
        real = real || !digit(s[*i]);
        ascii += static_cast<char>(s[*i]);
    }
    if (ascii.empty() || !digit(ascii.back()) || digits > (real ? 15u : 18u)) return false;
    const char *end = ascii.data() + ascii.size();
    out->type = real ? SQLITE_FLOAT : SQLITE_INTEGER;
    return real ? std::from_chars(ascii.data(), end, out->real).ptr == end
                : std::from_chars(ascii.data(), end, out->whole).ptr == end;
}

bool operator==(const Literal &a, const Literal &b) {
    return a.type == b.type && a.whole == b.whole && a.real == b.real && a.text == b.text;
}

// The statement with each literal of its one VALUES list a parameter, and
// the literals; false for any other statement. In the engine's dialect
// (`jet`) a text may be in double quotes too, and a negative number is
// told apart in the shape: the shape is then only a key.
bool parameterize(const std::u16string &s, bool jet, std::u16string *shape, std::vector<Literal> *values) {
    size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    if (!word_at(s, i, "INSERT")) return false;
    for (; i < s.size() && !word_at(s, i, "VALUES"); ++i)
        if (s[i] == '\'' || s[i] == '"' || s[i] == '[')  // names and texts before VALUES are kept as they are
            for (const char16_t close = s[i] == '[' ? ']' : s[i++]; i < s.size() && s[i] != close; ++i) {
            }
    if (i >= s.size()) return false;
    i += 6;
    while (i < s.size() && blank(s[i])) ++i;
    if (i >= s.size() || s[i] != '(') return false;
    *shape = s.substr(0, i) + u"(";
    for (++i;;) {
        while (i < s.size() && blank(s[i])) ++i;
        Literal v;
        bool negative = false;
        if (i < s.size() && (s[i] == '\'' || (jet && s[i] == '"'))) {
            for (const char16_t quote = s[i++];; ++i) {
                if (i >= s.size()) return false;
                if (s[i] == quote && (i + 1 >= s.size() || s[i + 1] != quote)) break;
                v.text += s[i];
                i += s[i] == quote;
            }
            ++i;
            v.type = SQLITE_TEXT;
            // The collation the translation gives a text: a value stored compares with nothing.
            size_t after = i;
            while (after < s.size() && blank(s[after])) ++after;
            if (!jet && word_at(s, after, "COLLATE"))
                for (i = after + 7; i < s.size() && (blank(s[i]) || letter(s[i])); ++i) {
                }
        } else if (word_at(s, i, "NULL")) {
            i += 4;
        } else {
            negative = i < s.size() && s[i] == '-';
            if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
            if (i >= s.size() || !(digit(s[i]) || s[i] == '.') || !number(s, &i, negative, &v)) return false;
        }
        values->push_back(std::move(v));
        *shape += std::u16string(values->size() > 1 ? u"," : u"") + (jet && negative ? u"-?" : u"?");
        while (i < s.size() && blank(s[i])) ++i;
        if (i < s.size() && s[i] == ',') {
            ++i;
            continue;
        }
        if (i >= s.size() || s[i] != ')') return false;
        break;
    }
    for (++i; i < s.size(); ++i)
        if (!blank(s[i]) && s[i] != ';') return false;
    *shape += u")";
    return true;
}

}  // namespace

bool run_cached_insert(const StorePtr &store, const std::u16string &jet, HRESULT *hr, const char *source) {
    std::u16string key, shape, sql;
    std::vector<Literal> values, translated;
    std::string why;
    if (store->read_only || !parameterize(jet, true, &key, &values)) return false;
    auto found = store->inserts.find(key);
    if (found == store->inserts.end()) {
        // The translation must give the same literals in the same places;
        // it handles every literal of a kind alike, so the statement then
        // serves every row of this shape.
        if (!translate_sql(jet, &sql, &why) || !parameterize(sql, false, &shape, &translated) || translated != values)
            return false;
        if (store->inserts.size() >= kCached) {
            for (auto &kept : store->inserts) sqlite3_finalize(kept.second);
            store->inserts.clear();
        }
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare16_v2(store->db, shape.c_str(), -1, &s, nullptr) != SQLITE_OK ||
            sqlite3_bind_parameter_count(s) != static_cast<int>(values.size())) {
            sqlite3_finalize(s);
            return false;
        }
        found = store->inserts.emplace(key, s).first;
    }
    sqlite3_stmt *s = found->second;
    for (size_t k = 0; k < values.size(); ++k) {
        const Literal &v = values[k];
        const int slot = static_cast<int>(k) + 1;
        if (v.type == SQLITE_INTEGER) sqlite3_bind_int64(s, slot, v.whole);
        if (v.type == SQLITE_FLOAT) sqlite3_bind_double(s, slot, v.real);
        if (v.type == SQLITE_TEXT)
            sqlite3_bind_text16(s, slot, v.text.data(), static_cast<int>(v.text.size() * 2), SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(s);
    *hr = rc == SQLITE_DONE ? S_OK : sqlite_failure(store->db, rc, source);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return true;
}

}  // namespace dbengine
