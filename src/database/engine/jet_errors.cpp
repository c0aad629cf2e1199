// SQLite's messages as the engine's errors (see jet_errors.h).
#include "database/engine/jet_errors.h"

namespace dbengine {
namespace {

bool starts(const std::u16string &text, const char16_t *prefix, std::u16string *rest = nullptr) {
    const std::u16string p(prefix);
    if (text.compare(0, p.size(), p) != 0) return false;
    if (rest) *rest = text.substr(p.size());
    return true;
}

// The word after `at` in the text, up to a space.
std::u16string word_after(const std::u16string &text, const char16_t *at) {
    const size_t from = text.find(at);
    if (from == std::u16string::npos) return {};
    const size_t begin = from + std::u16string(at).size();
    return text.substr(begin, text.find(u' ', begin) - begin);
}

bool first_word_is(const std::u16string &statement, const char *word) {
    size_t i = statement.find_first_not_of(u" \t\r\n(");
    for (size_t k = 0; word[k]; ++k, ++i)
        if (i >= statement.size() || (statement[i] & ~0x20) != word[k]) return false;
    return i == statement.size() || !((statement[i] | 0x20) >= 'a' && (statement[i] | 0x20) <= 'z');
}

}  // namespace

bool jet_error(const std::u16string &message, const std::u16string &statement, JetError *out) {
    std::u16string rest;
    // "3075 Syntax error ...": the number first, then a capital.
    size_t digits = 0;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') ++digits;
    if (digits > 0 && digits < 6 && digits + 1 < message.size() && message[digits] == ' ' &&
        message[digits + 1] >= 'A' && message[digits + 1] <= 'Z') {
        out->number = std::stoi(std::string(message.begin(), message.begin() + static_cast<long>(digits)));
        out->text = message.substr(digits + 1);
        return true;
    }
    if (starts(message, u"no such table: ", &rest)) {
        if (first_word_is(statement, "DROP")) *out = {3376, u"Table '" + rest + u"' does not exist."};
        else *out = {3078, u"The database engine cannot find the input table or query '" + rest + u"'."};
    } else if (starts(message, u"no such column: ", &rest)) {
        // The engine asks for any name it does not know as a parameter.
        *out = {3061, u"Too few parameters. Expected 1."};
    } else if (starts(message, u"no such function: ", &rest) ||
               starts(message, u"wrong number of arguments to function ", &rest)) {
        if (rest.size() > 2 && rest.compare(rest.size() - 2, 2, u"()") == 0) rest.resize(rest.size() - 2);
        *out = {3085, u"Undefined function '" + rest + u"' in expression."};
    } else if (starts(message, u"table ") && message.find(u" already exists") != std::u16string::npos) {
        *out = {3010, u"Table '" + word_after(message, u"table ") + u"' already exists."};
    } else if (starts(message, u"index ") && message.find(u" already exists") != std::u16string::npos) {
        *out = {3375, u"Table already has an index named '" + word_after(message, u"index ") + u"'."};
    } else if (message.find(u" has no column named ") != std::u16string::npos) {
        *out = {3127, u"The INSERT INTO statement contains the following unknown field name: '" +
                          word_after(message, u" has no column named ") + u"'."};
    } else if (message.find(u" values for ") != std::u16string::npos && message.find(u" columns") != std::u16string::npos) {
        *out = {3346, u"Number of query values and destination fields are not the same."};
    } else if (starts(message, u"duplicate column name: ", &rest)) {
        *out = {3191, u"Cannot define field '" + rest + u"' more than once."};
    } else if (starts(message, u"cannot commit - no transaction") || starts(message, u"cannot rollback - no transaction")) {
        *out = {3034, u"You tried to commit or rollback a transaction without first beginning a transaction."};
    } else if (starts(message, u"NOT NULL constraint failed: ", &rest)) {
        *out = {3314, u"You must enter a value in the '" + rest + u"' field."};
    } else {
        return false;
    }
    return true;
}

}  // namespace dbengine
