// The expressions of a statement, parsed with the engine's operator
// precedence (^, unary -, * /, \, Mod, + -, &, comparisons, Not, And, Or;
// all of them group from the left, ^ too)
// and written back for SQLite; see rewrite_expressions in sql_tokens.h.
// Clauses between expressions are copied, their keywords telling what the
// next stretch holds: names (FROM, INTO, ...), values, conditions (WHERE,
// ON, HAVING), the select list or the assignments of SET.
#include "database/engine/sql_tokens.h"

#include "database/engine/jet_functions.h"

#include <algorithm>

namespace dbengine {
namespace {

enum class Stretch { Names, Values, Condition, SelectList, Assignments };

// Words that end an expression and may not name a column.
const char *const kKeywords[] = {
    "SELECT", "FROM", "WHERE", "GROUP", "BY", "HAVING", "ORDER", "AS", "ON", "INNER", "LEFT", "RIGHT",
    "OUTER", "JOIN", "UNION", "ALL", "SET", "VALUES", "INTO", "ASC", "DESC", "DISTINCT", "AND", "OR",
    "XOR", "NOT", "LIKE", "IS", "IN", "BETWEEN", "MOD", "INSERT", "UPDATE", "DELETE", "LIMIT", "CROSS",
};

bool is_keyword(const Token &token) {
    if (token.kind != TokenKind::Word) return false;
    for (const char *word : kKeywords)
        if (same_word(token.text, word)) return true;
    return false;
}

class Rewriter {
public:
    explicit Rewriter(const Tokens &t) : t_(t) {}

    bool run(std::u16string *out, std::string *error) {
        *out = stretch(Stretch::Names, false, 0);
        check_grouping();
        if (error_.empty() && i_ < t_.size()) error_ = "3075 Syntax error (missing operator) in query expression.";
        *error = error_;
        return error_.empty();
    }

private:
    bool failed() const { return !error_.empty(); }
    std::u16string fail(const char *why) {
        if (error_.empty()) error_ = why;
        i_ = t_.size();
        return u"";
    }
    size_t solid() { return i_ = next_solid(t_, i_); }
    // Nesting is bounded, as Jet bounds it, so that no text runs the stack out.
    struct Depth {
        explicit Depth(Rewriter *r) : r(r) { ++r->nesting_; }
        ~Depth() { --r->nesting_; }
        Rewriter *r;
    };
    bool too_deep() {
        if (nesting_ <= 200) return false;
        fail("3071 This expression is typed incorrectly, or it is too complex to be evaluated.");
        return true;
    }
    // A function call; Left and Right are also kinds of join.
    bool is_call(size_t at) const {
        return t_[at].kind == TokenKind::Word && is_symbol(t_, next_solid(t_, at + 1), '(') &&
               (!is_keyword(t_[at]) || same_word(t_[at].text, "LEFT") || same_word(t_[at].text, "RIGHT"));
    }

    // Clauses up to the end, or up to the ')' that closes a parenthesis.
    std::u16string stretch(Stretch kind, bool inside, int depth) {
        Depth nested(this);
        if (too_deep()) return u"";
        std::u16string out;
        while (!failed() && solid() < t_.size()) {
            const Token &token = t_[i_];
            if (is_symbol(t_, i_, ')')) {
                if (inside) break;
                return fail("3075 Syntax error (missing operator) in query expression.");
            }
            if (is_symbol(t_, i_, ',') || is_symbol(t_, i_, ';')) {
                out += token.text + u" ";
                ++i_;
                continue;
            }
            if (is_keyword(token) && !is_call(i_) && !is_word(t_, i_, "NOT")) {
                Stretch next = kind;
                if (depth == 0) {
                    if (is_word(t_, i_, "SELECT")) check_grouping();
                    grouping_ = is_word(t_, i_, "BY") && grouping_;
                    if (is_word(t_, i_, "GROUP")) grouping_ = true;
                }
                if (is_word(t_, i_, "SELECT")) next = Stretch::SelectList, column_ = 0;
                else if (is_word(t_, i_, "WHERE") || is_word(t_, i_, "ON") || is_word(t_, i_, "HAVING")) next = Stretch::Condition;
                else if (is_word(t_, i_, "SET")) next = Stretch::Assignments;
                else if (is_word(t_, i_, "VALUES") || is_word(t_, i_, "BY") || is_word(t_, i_, "LIMIT")) next = Stretch::Values;
                else if (!is_word(t_, i_, "DISTINCT") && !is_word(t_, i_, "ALL") && !is_word(t_, i_, "ASC") &&
                         !is_word(t_, i_, "DESC") && !is_word(t_, i_, "AS"))
                    next = Stretch::Names;
                out += token.text + u" ";
                ++i_;
                if (same_word(token.text, "AS") && solid() < t_.size()) out += t_[i_++].text + u" ";  // the alias
                if (kind == Stretch::SelectList && next != Stretch::SelectList && depth == 0) qualify(&out);
                kind = next;
                continue;
            }
            if (kind == Stretch::Names) {
                if (is_symbol(t_, i_, '(')) {
                    ++i_;
                    out += u"(" + stretch(Stretch::Names, true, depth + 1);
                    if (!is_symbol(t_, solid(), ')')) return fail("3131 Syntax error in FROM clause.");
                    ++i_;
                    out += u") ";
                } else {
                    out += token.text + (is_symbol(t_, i_ + 1, '.') || is_symbol(t_, i_, '.') ? u"" : u" ");
                    ++i_;
                }
                continue;
            }
            if (kind == Stretch::Assignments) {
                // column = value; SQLite takes the column without its table.
                std::u16string column = t_[i_++].text;
                while (is_symbol(t_, i_, '.') || is_symbol(t_, i_, '!')) {
                    if (i_ + 1 >= t_.size()) return fail("3144 Syntax error in UPDATE statement.");
                    column = t_[i_ + 1].text;
                    i_ += 2;
                }
                if (!is_symbol(t_, solid(), '=')) return fail("3144 Syntax error in UPDATE statement.");
                ++i_;
                out += column + u" = " + expression(0, false) + u" ";
                continue;
            }
            bool simple = false;
            const int aggregates = aggregates_;
            const std::u16string item = expression(0, kind == Stretch::Condition, &simple);
            out += item;
            if (depth == 0 && kind == Stretch::SelectList) {
                aggregated_ = aggregated_ || aggregates_ > aggregates;
                if (simple && item.back() != '*') plain_.push_back(item);
            }
            if (depth == 0 && kind == Stretch::Values && grouping_) grouped_.push_back(simple ? column_of(item) : item);
            // An unnamed expression is named by its place: Expr1000 is the first column.
            if (kind == Stretch::SelectList && depth == 0 && !simple && !is_word(t_, solid(), "AS"))
                out += u" AS \"Expr" + number(1000 + column_) + u"\"";
            if (kind == Stretch::SelectList && depth == 0 && simple && !is_word(t_, solid(), "AS") &&
                item.find(u'.') != std::u16string::npos)
                qualified_.push_back({item, out.size()});
            if (kind == Stretch::SelectList) ++column_;
            // Two expressions side by side: Jet names a column only after AS.
            const size_t next = solid();
            if (next < t_.size() && !is_symbol(t_, next, ',') && !is_symbol(t_, next, ')') &&
                !is_symbol(t_, next, ';') && !(is_keyword(t_[next]) && !is_call(next)))
                return fail("3075 Syntax error (missing operator) in query expression.");
            out += u" ";
        }
        if (kind == Stretch::SelectList && depth == 0) qualify(&out);
        return out;
    }

    // Columns of the select list named alike (P.ID, Q.ID) keep their table
    // in their names, as the engine names them.
    struct Qualified {
        std::u16string item;
        size_t end;  // where the item ends in the output
    };
    static std::u16string column_of(const std::u16string &item) {
        std::u16string name;
        for (char16_t c : item.substr(item.rfind(u'.') + 1))
            if (c != '"') name += upper_ascii(c);
        return name;
    }
    void qualify(std::u16string *out) {
        for (size_t k = qualified_.size(); k-- > 0;) {
            size_t alike = 0;
            for (const Qualified &other : qualified_) alike += column_of(other.item) == column_of(qualified_[k].item);
            if (alike < 2) continue;
            std::u16string name;
            for (char16_t c : qualified_[k].item)
                if (c != '"') name += c;
            out->insert(qualified_[k].end, u" AS \"" + name + u"\"");
        }
        qualified_.clear();
    }

    // A grouped or totalled query may name a column only in its GROUP BY or
    // within an aggregate function.
    void check_grouping() {
        if (aggregated_ || !grouped_.empty())
            for (const std::u16string &item : plain_)
                if (std::find(grouped_.begin(), grouped_.end(), column_of(item)) == grouped_.end())
                    fail("3122 You tried to execute a query that does not include the specified expression as "
                         "part of an aggregate function.");
        plain_.clear();
        grouped_.clear();
        aggregated_ = grouping_ = false;
    }

    static std::u16string number(int n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    }

    struct Operator {
        int precedence = -1;
        size_t length = 1;  // tokens it takes
        std::u16string text;
    };

    Operator infix() {
        const size_t at = next_solid(t_, i_);
        Operator op;
        if (at >= t_.size()) return op;
        const Token &token = t_[at];
        if (token.kind == TokenKind::Symbol) {
            const char16_t c = token.text[0];
            op.text = token.text;
            switch (c) {
            case '^': op.precedence = 11; break;
            case '*': case '/': op.precedence = 9; break;
            case '\\': op.precedence = 8; break;
            case '+': case '-': op.precedence = 6; break;
            case '&': op.precedence = 5; break;
            case '=': op.precedence = 4; break;
            case '<': case '>':
                op.precedence = 4;
                if (is_symbol(t_, at + 1, '=') || (c == '<' && is_symbol(t_, at + 1, '>')))
                    op.text += t_[at + 1].text, op.length = 2;
                break;
            }
            return op;
        }
        if (token.kind != TokenKind::Word) return op;
        op.text = token.text;
        if (same_word(token.text, "MOD")) op.precedence = 7;
        else if (same_word(token.text, "LIKE") || same_word(token.text, "IS") || same_word(token.text, "BETWEEN") ||
                 same_word(token.text, "IN"))
            op.precedence = 4;
        else if (same_word(token.text, "NOT")) {
            const size_t after = next_solid(t_, at + 1);
            if (is_word(t_, after, "LIKE") || is_word(t_, after, "BETWEEN") || is_word(t_, after, "IN"))
                op.precedence = 4, op.length = after - at + 1, op.text = u"NOT " + t_[after].text;
        } else if (same_word(token.text, "AND")) op.precedence = 2;
        else if (same_word(token.text, "OR") || same_word(token.text, "XOR")) op.precedence = 1;
        return op;
    }

    std::u16string call(const char *function, const std::u16string &a, const std::u16string &b) {
        return std::u16string(function, function + std::char_traits<char>::length(function)) + u"(" + a + u", " + b + u")";
    }

    std::u16string expression(int least, bool condition, bool *simple = nullptr) {
        Depth nested(this);
        if (too_deep()) return u"";
        bool single = false;
        std::u16string left = primary(condition, &single);
        for (Operator op; !failed() && (op = infix()).precedence >= least && op.precedence >= 0;) {
            single = false;
            i_ = next_solid(t_, i_) + op.length;
            const int p = op.precedence;
            const bool comparison = p == 4;
            std::u16string result;
            if (same_word(op.text, "IS")) {
                const bool negated = is_word(t_, solid(), "NOT");
                if (negated) ++i_;
                if (!is_word(t_, solid(), "NULL")) return fail("3075 Syntax error (missing operator) in query expression.");
                ++i_;
                result = left + (negated ? u" IS NOT NULL" : u" IS NULL");
            } else if (op.text.size() >= 7 && same_word(op.text.substr(op.text.size() - 7), "BETWEEN")) {
                const std::u16string low = expression(5, false);
                if (!is_word(t_, solid(), "AND")) return fail("3075 Syntax error (missing operator) in query expression.");
                ++i_;
                result = left + u" " + op.text + u" " + low + u" AND " + expression(5, false);
            } else if (op.text.size() >= 2 && same_word(op.text.substr(op.text.size() - 2), "IN")) {
                if (!is_symbol(t_, solid(), '(')) return fail("3075 Syntax error (missing operator) in query expression.");
                result = left + u" " + op.text + u" " + primary(false, nullptr);
            } else if (p == 2 || p == 1) {
                const std::u16string right = expression(p + 1, condition);
                const bool exclusive = same_word(op.text, "XOR");
                if (condition && exclusive) result = u"((" + left + u") <> 0) <> ((" + right + u") <> 0)";
                else if (condition) result = left + u" " + op.text + u" " + right;
                // Outside conditions the logical operators work bit by bit.
                else if (exclusive) result = u"(((" + left + u") | (" + right + u")) - ((" + left + u") & (" + right + u")))";
                else result = u"((" + left + u")" + (p == 2 ? u" & " : u" | ") + u"(" + right + u"))";
            } else {
                const std::u16string right = expression(p + 1, false);
                if (comparison) result = left + u" " + op.text + u" " + right;
                else if (op.text == u"^") result = call("jet_power", left, right);
                else if (op.text == u"*") result = u"(" + left + u" * " + right + u")";
                else if (op.text == u"/") result = call("jet_divide", left, right);
                else if (op.text == u"\\") result = call("jet_int_divide", left, right);
                else if (p == 7) result = call("jet_mod", left, right);
                else if (op.text == u"+") result = call("jet_add", left, right);
                else if (op.text == u"-") result = call("jet_subtract", left, right);
                else result = call("jet_concat", left, right);
            }
            // True is -1 where a comparison gives a value rather than a condition.
            left = comparison && !condition ? u"(-(" + result + u"))" : result;
        }
        if (simple) *simple = single;
        return left;
    }

    std::u16string primary(bool condition, bool *simple) {
        if (solid() >= t_.size()) return fail("3075 Syntax error (missing operator) in query expression.");
        const Token &token = t_[i_];
        if (simple) *simple = false;
        switch (token.kind) {
        case TokenKind::Number: ++i_; return token.text;
        case TokenKind::String: ++i_; return token.text + u" COLLATE " + collation();
        case TokenKind::Date: ++i_; return u"jet_date(" + token.text + u")";
        case TokenKind::Name: if (simple) *simple = true; return qualified();
        case TokenKind::Word: break;
        default:
            if (is_symbol(t_, i_, '*')) {
                ++i_;
                if (simple) *simple = true;
                return u"*";
            }
            if (is_symbol(t_, i_, '-') || is_symbol(t_, i_, '+')) {
                const bool minus = token.text == u"-";
                ++i_;
                const std::u16string operand = expression(10, false);
                return minus ? u"(-(" + operand + u"))" : operand;
            }
            if (is_symbol(t_, i_, '(')) return parenthesis(condition);
            return fail("3075 Syntax error (missing operator) in query expression.");
        }
        if (same_word(token.text, "NOT")) {
            ++i_;
            const std::u16string operand = expression(3, condition);
            return condition ? u"NOT " + operand : u"(~(" + operand + u"))";
        }
        if (same_word(token.text, "NULL")) return ++i_, u"NULL";
        if (same_word(token.text, "TRUE") || same_word(token.text, "YES")) return ++i_, u"-1";
        if (same_word(token.text, "FALSE") || same_word(token.text, "NO")) return ++i_, u"0";
        if (same_word(token.text, "EXISTS")) {
            ++i_;
            return u"EXISTS " + primary(false, nullptr);
        }
        if (is_call(i_)) return function();
        if (is_keyword(token)) return fail("3075 Syntax error (missing operator) in query expression.");
        if (simple) *simple = true;
        return qualified();
    }

    static std::u16string collation() {
        return std::u16string(kJetCollation, kJetCollation + std::char_traits<char>::length(kJetCollation));
    }

    // name, table.name, table!name, table.*
    std::u16string qualified() {
        std::u16string out = t_[i_++].text;
        while ((is_symbol(t_, i_, '.') || is_symbol(t_, i_, '!')) && i_ + 1 < t_.size() &&
               (t_[i_ + 1].kind == TokenKind::Word || t_[i_ + 1].kind == TokenKind::Name || is_symbol(t_, i_ + 1, '*'))) {
            out += u"." + t_[i_ + 1].text;
            i_ += 2;
        }
        return out;
    }

    std::u16string function() {
        static const char *const kAggregates[] = {"COUNT", "SUM", "AVG", "MIN", "MAX", "FIRST", "LAST",
                                                  "STDEV", "STDEVP", "VAR", "VARP"};
        for (const char *name : kAggregates) aggregates_ += same_word(t_[i_].text, name);
        // IsNull is also a word of SQLite's grammar.
        std::u16string out = (same_word(t_[i_].text, "ISNULL") ? u"jet_isnull" : t_[i_].text) + u"(";
        i_ = next_solid(t_, i_ + 1) + 1;
        if (is_symbol(t_, solid(), ')')) return ++i_, out + u")";
        if (is_symbol(t_, i_, '*') && is_symbol(t_, next_solid(t_, i_ + 1), ')')) {
            i_ = next_solid(t_, i_ + 1) + 1;
            return out + u"*)";
        }
        if (is_word(t_, i_, "DISTINCT")) out += u"DISTINCT ", ++i_;
        for (bool first = true; !failed(); first = false) {
            out += (first ? u"" : u", ") + expression(0, false);
            if (is_symbol(t_, solid(), ',')) {
                ++i_;
                continue;
            }
            if (!is_symbol(t_, i_, ')')) return fail("3075 Syntax error (missing operator) in query expression.");
            ++i_;
            return out + u")";
        }
        return out;
    }

    // ( subquery ) or ( expression [, expression ...] )
    std::u16string parenthesis(bool condition) {
        ++i_;
        std::u16string out = u"(";
        if (is_word(t_, solid(), "SELECT")) {
            out += stretch(Stretch::Names, true, 1);
        } else {
            for (bool first = true; !failed(); first = false) {
                out += (first ? u"" : u", ") + expression(0, condition);
                if (!is_symbol(t_, solid(), ',')) break;
                ++i_;
            }
        }
        if (!is_symbol(t_, solid(), ')')) return fail("3075 Syntax error (missing operator) in query expression.");
        ++i_;
        return out + u")";
    }

    const Tokens &t_;
    size_t i_ = 0;
    int column_ = 0;
    int aggregates_ = 0;                               // aggregate calls so far
    bool aggregated_ = false, grouping_ = false;       // of the outer SELECT
    std::vector<std::u16string> plain_, grouped_;      // its plain columns, its GROUP BY
    std::vector<Qualified> qualified_;
    int nesting_ = 0;
    std::string error_;
};

}  // namespace

bool rewrite_expressions(const Tokens &t, std::u16string *out, std::string *error) {
    return Rewriter(t).run(out, error);
}

}  // namespace dbengine
