// Column rules as triggers: built from each table's declared types, and
// rewritten only when they differ from what the file holds. They use
// SQLite's own functions alone, so other SQLite tools can still write the
// file.
#include "database/engine/column_rules.h"

#include "database/engine/sql_dialect.h"

#include <string>
#include <vector>

namespace dbengine {
namespace {

struct Rules {
    std::u16string conversion, overflow, too_small, dates;
};

void either(std::u16string *rule, const std::u16string &condition) {
    *rule += (rule->empty() ? u"(" : u" OR (") + condition + u")";
}

// OLE dates count days from 1899-12-30, Julian day 2415018.5.
const char16_t kOleDate[] = u"julianday(%c)-2415018.5";

void add_column(const std::u16string &name, const ColumnType &type, Rules *rules) {
    const std::u16string c = u"NEW." + identifier(name);
    const std::u16string number = u"typeof(" + c + u") IN ('integer','real') AND ";
    const std::u16string text = u"typeof(" + c + u") IN ('text','blob')";
    const char16_t *range = nullptr;
    switch (type.kind) {
    case FieldKind::Long: range = u" NOT BETWEEN -2147483648 AND 2147483647"; break;
    case FieldKind::Short: range = u" NOT BETWEEN -32768 AND 32767"; break;
    case FieldKind::Byte: range = u" NOT BETWEEN 0 AND 255"; break;
    case FieldKind::Currency: range = u" NOT BETWEEN -922337203685477.5808 AND 922337203685477.5807"; break;
    case FieldKind::Single: range = u" NOT BETWEEN -3.402823466e38 AND 3.402823466e38"; break;
    default: break;
    }
    switch (type.kind) {
    case FieldKind::Long: case FieldKind::Short: case FieldKind::Byte: case FieldKind::Currency:
    case FieldKind::Single: case FieldKind::Double: case FieldKind::Boolean:
        either(&rules->conversion, text);
        if (range) either(&rules->overflow, number + c + range);
        break;
    case FieldKind::Date: {
        std::u16string date = kOleDate;
        date.replace(date.find(u"%c"), 2, c);
        either(&rules->conversion, u"typeof(" + c + u")='blob' OR (typeof(" + c + u")='text' AND " + date +
                                       u" IS NULL)");
        std::u16string stored = kOleDate;
        stored.replace(stored.find(u"%c"), 2, identifier(name));
        rules->dates += identifier(name) + u"=CASE typeof(" + identifier(name) + u") WHEN 'text' THEN " +
                        stored + u" ELSE " + identifier(name) + u" END,";
        break;
    }
    case FieldKind::Text:
        if (type.size > 0) {
            std::string n = std::to_string(type.size);
            either(&rules->too_small, u"length(" + c + u")>" + std::u16string(n.begin(), n.end()));
        }
        break;
    default: break;
    }
}

std::u16string check(const std::u16string &condition, const char *text) {
    return condition.empty() ? u"" : u" WHEN " + condition + u" THEN RAISE(ABORT,'" + u(text) + u"')";
}

// The trigger's statement as SQLite keeps it; empty: no trigger.
std::vector<std::pair<std::u16string, std::u16string>> triggers(const std::u16string &table, const Rules &r) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    // One statement for all the checks: each statement of a trigger is
    // compiled again with every statement that fires it.
    std::u16string checks = check(r.conversion, "Data type conversion error.") +
                                  check(r.overflow, "Numeric field overflow.") +
                                  check(r.too_small, "The field is too small to accept the amount of "
                                                     "data you attempted to add.");
    if (!checks.empty()) checks = u"SELECT CASE" + checks + u" END;";
    for (const char16_t *when : {u"INSERT", u"UPDATE"}) {
        const std::u16string name = u"MSysQuorvel " + table + u" " + when;
        out.push_back({name, checks.empty() ? u""
                                            : u"CREATE TRIGGER " + identifier(name) + u" BEFORE " + when +
                                                  u" ON " + identifier(table) + u" BEGIN " + checks + u" END"});
        const std::u16string dates = u"MSysQuorvel " + table + u" dates " + when;
        std::u16string set = r.dates;
        if (!set.empty()) set.pop_back();
        out.push_back({dates, set.empty() ? u""
                                          : u"CREATE TRIGGER " + identifier(dates) + u" AFTER " + when +
                                                u" ON " + identifier(table) + u" BEGIN UPDATE " +
                                                identifier(table) + u" SET " + set +
                                                u" WHERE rowid=NEW.rowid; END"});
    }
    return out;
}

std::u16string text_column(sqlite3_stmt *s, int i) {
    auto *text = static_cast<const char16_t *>(sqlite3_column_text16(s, i));
    return text ? text : u"";
}

HRESULT run16(const StorePtr &store, const std::u16string &sql, const char *source) {
    Statement s;
    int rc = sqlite3_prepare16_v2(store->db, sql.c_str(), -1, &s.handle, nullptr);
    return rc == SQLITE_OK ? run(store, s.handle, source) : sqlite_failure(store->db, rc, source);
}

}  // namespace

HRESULT drop_column_rules(const StorePtr &store, const char *source) {
    std::vector<std::u16string> names;
    {
        Statement s;
        sqlite3_prepare_v2(store->db, "SELECT name FROM sqlite_master WHERE type='trigger' AND substr(name,1,12)='MSysQuorvel '",
                           -1, &s.handle, nullptr);
        while (s.handle && sqlite3_step(s.handle) == SQLITE_ROW) names.push_back(text_column(s.handle, 0));
    }
    for (const std::u16string &name : names) {
        HRESULT hr = run16(store, u"DROP TRIGGER " + identifier(name), source);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT refresh_column_rules(const StorePtr &store, const char *source) {
    std::vector<std::pair<std::u16string, std::u16string>> wanted;
    {
        Statement tables;
        if (sqlite3_prepare_v2(store->db, "SELECT name FROM sqlite_master WHERE type='table'", -1,
                               &tables.handle, nullptr) != SQLITE_OK)
            return sqlite_failure(store->db, SQLITE_ERROR, source);
        while (sqlite3_step(tables.handle) == SQLITE_ROW) {
            const std::u16string table = text_column(tables.handle, 0);
            if (is_system_table(table)) continue;
            Rules rules;
            Statement columns;
            const std::u16string sql = u"PRAGMA table_info(" + identifier(table) + u")";
            if (sqlite3_prepare16_v2(store->db, sql.c_str(), -1, &columns.handle, nullptr) != SQLITE_OK) continue;
            while (sqlite3_step(columns.handle) == SQLITE_ROW)
                add_column(text_column(columns.handle, 1), column_type(text_column(columns.handle, 2)), &rules);
            for (auto &trigger : triggers(table, rules)) wanted.push_back(std::move(trigger));
        }
    }
    for (const auto &[name, sql] : wanted) {
        Statement held;
        sqlite3_prepare_v2(store->db, "SELECT sql FROM sqlite_master WHERE type='trigger' AND name=?", -1,
                           &held.handle, nullptr);
        sqlite3_bind_text16(held.handle, 1, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
        const bool exists = sqlite3_step(held.handle) == SQLITE_ROW;
        if (exists && text_column(held.handle, 0) == sql) continue;
        HRESULT hr = exists ? run16(store, u"DROP TRIGGER " + identifier(name), source) : S_OK;
        if (SUCCEEDED(hr) && !sql.empty()) hr = run16(store, sql, source);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace dbengine
