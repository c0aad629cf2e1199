// The tokens of a statement in the engine's dialect (scanned in
// sql_tokens.cpp), shared by the statement translation (sql_dialect.cpp)
// and the expression rewriting (sql_expressions.cpp).
#pragma once

#include "platform/ascii.h"

#include <string>
#include <vector>

namespace dbengine {

enum class TokenKind { Space, Word, Number, String, Name, Date, Symbol };

struct Token {
    TokenKind kind;
    std::u16string text;  // as written (Word, Number, Symbol, Space) or the translation
};
using Tokens = std::vector<Token>;

inline char16_t upper_ascii(char16_t c) { return platform::ascii_upper(c); }
inline bool is_word_start(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
inline bool is_digit(char16_t c) { return c >= '0' && c <= '9'; }
inline std::u16string ascii(const std::string &text) { return std::u16string(text.begin(), text.end()); }

inline bool same_word(const std::u16string &a, const char *b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (upper_ascii(a[i]) != static_cast<unsigned char>(b[i])) return false;
    return i == a.size() && !b[i];
}

inline bool is_word(const Tokens &t, size_t i, const char *word) {
    return i < t.size() && t[i].kind == TokenKind::Word && same_word(t[i].text, word);
}
inline bool is_symbol(const Tokens &t, size_t i, char16_t c) {
    return i < t.size() && t[i].kind == TokenKind::Symbol && t[i].text[0] == c;
}
inline size_t next_solid(const Tokens &t, size_t i) {
    while (i < t.size() && t[i].kind == TokenKind::Space) ++i;
    return i;
}

// The statement as tokens; false, with the engine's error in `error`, for
// an unterminated string, bracket or date, or a date that is not one.
bool tokenize(const std::u16string &in, Tokens *out, std::string *error);

// The statement's expressions in SQLite's terms: Jet's operators become the
// functions of jet_functions.h, comparisons outside conditions give -1 for
// true, texts compare without case, and unnamed columns of the outer
// SELECT are named Expr1000, Expr1001, ... Fails with an error (its engine
// number first) on text that is not an expression where one is needed.
bool rewrite_expressions(const Tokens &t, std::u16string *out, std::string *error);

}  // namespace dbengine
