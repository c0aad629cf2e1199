// The engine's own statements (see statements.h).
#include "database/engine/statements.h"

#include "database/engine/definitions.h"
#include "database/engine/jet_functions.h"
#include "database/engine/recordset.h"
#include "database/engine/sql_dialect.h"

#include <string>

namespace dbengine {
namespace {

int step(sqlite3 *db, sqlite3_stmt *s) { return sqlite3_step(s) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db); }

int run16(sqlite3 *db, const std::u16string &sql) {
    Statement s;
    int rc = sqlite3_prepare16_v2(db, sql.c_str(), -1, &s.handle, nullptr);
    return rc == SQLITE_OK ? step(db, s.handle) : rc;
}

// SELECT ... INTO t: a new table with the columns' own types (text
// comparing without case), then the rows, all or nothing.
HRESULT select_into(const StorePtr &store, const std::u16string &table, const std::u16string &select,
                    const char *source) {
    if (store->read_only) return fail(kReadOnly, source);
    Statement s;
    HRESULT hr = prepare(store, select, &s, source);
    if (SUCCEEDED(hr)) hr = check_parameters(s.handle, source);
    if (FAILED(hr)) return hr;
    std::u16string create = u"CREATE TABLE " + identifier(table) + u" (";
    for (int i = 0; i < sqlite3_column_count(s.handle); ++i) {
        auto *name = static_cast<const char16_t *>(sqlite3_column_name16(s.handle, i));
        auto *declared = static_cast<const char16_t *>(sqlite3_column_decltype16(s.handle, i));
        const FieldKind kind = column_type(declared ? declared : u"").kind;
        create += (i ? u", " : u"") + identifier(name ? name : u"") + u" " + (declared ? declared : u"");
        if (kind == FieldKind::Text || kind == FieldKind::Memo) create += u" COLLATE " + u(kJetCollation);
    }
    std::u16string rows;
    std::string why;
    translate_sql(select, &rows, &why);  // it prepared above
    hr = exec(store, "SAVEPOINT select_into", source);
    if (FAILED(hr)) return hr;
    int rc = run16(store->db, create + u")");
    if (rc == SQLITE_OK) rc = run16(store->db, u"INSERT INTO " + identifier(table) + u" " + rows);
    hr = rc == SQLITE_OK ? S_OK : sqlite_failure(store->db, rc, source);
    exec(store, FAILED(hr) ? "ROLLBACK TO select_into; RELEASE select_into" : "RELEASE select_into", source);
    return hr;
}

// ALTER TABLE t ALTER COLUMN c type: the column's declaration changes in
// the schema, then every value of it is written again, which gives it the
// new type's form (SQLite keeps each value as it was written), and the
// table's indexes are rebuilt for the new collation. All or nothing.
HRESULT alter_column_type(const StorePtr &store, const std::u16string &jet, const char *source) {
    std::u16string table, column, definition, create, changed;
    if (!alter_column(jet, &table, &column, &definition)) return fail_number(3293, u"Syntax error in ALTER TABLE statement.", source);
    if (store->read_only) return fail(kReadOnly, source);
    {
        Statement read;
        sqlite3_prepare_v2(store->db, "SELECT sql, name FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE",
                           -1, &read.handle, nullptr);
        sqlite3_bind_text16(read.handle, 1, table.data(), static_cast<int>(table.size() * 2), SQLITE_TRANSIENT);
        if (sqlite3_step(read.handle) != SQLITE_ROW || is_system_table(table))
            return fail_number(3376, u"Table " + quoted(table) + u" does not exist.", source);
        create = static_cast<const char16_t *>(sqlite3_column_text16(read.handle, 0));
        table = static_cast<const char16_t *>(sqlite3_column_text16(read.handle, 1));
    }
    if (!replace_column(create, column, definition, &changed)) return fail(kNotInCollection, source);
    Statement check;  // the new definition must stand on its own
    int rc = sqlite3_prepare16_v2(store->db, (u"CREATE TEMP TABLE quorvel_check " + changed.substr(changed.find(u'('))).c_str(),
                                  -1, &check.handle, nullptr);
    if (rc != SQLITE_OK) return sqlite_failure(store->db, rc, source);
    HRESULT hr = exec(store, "SAVEPOINT alter_column", source);
    if (FAILED(hr)) return hr;
    restrict_statements(store->db, false);
    Statement version, edit;
    int schema = 0;
    rc = sqlite3_prepare_v2(store->db, "PRAGMA schema_version", -1, &version.handle, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(version.handle) == SQLITE_ROW) schema = sqlite3_column_int(version.handle, 0);
    if (rc == SQLITE_OK) rc = sqlite3_exec(store->db, "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(store->db, "UPDATE sqlite_master SET sql=? WHERE type='table' AND name=?", -1,
                                &edit.handle, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text16(edit.handle, 1, changed.data(), static_cast<int>(changed.size() * 2), SQLITE_TRANSIENT);
        sqlite3_bind_text16(edit.handle, 2, table.data(), static_cast<int>(table.size() * 2), SQLITE_TRANSIENT);
        rc = step(store->db, edit.handle);
    }
    sqlite3_exec(store->db, "PRAGMA writable_schema=OFF", nullptr, nullptr, nullptr);
    const std::string bump = "PRAGMA schema_version=" + std::to_string(schema + 1);
    if (rc == SQLITE_OK) rc = sqlite3_exec(store->db, bump.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = run16(store->db, u"UPDATE " + identifier(table) + u" SET " + identifier(column) + u" = " + identifier(column));
    if (rc == SQLITE_OK) rc = run16(store->db, u"REINDEX " + identifier(table));
    restrict_statements(store->db, true);
    hr = rc == SQLITE_OK ? S_OK : sqlite_failure(store->db, rc, source);
    exec(store, FAILED(hr) ? "ROLLBACK TO alter_column; RELEASE alter_column" : "RELEASE alter_column", source);
    return hr;
}

}  // namespace

HRESULT check_parameters(sqlite3_stmt *statement, const char *source) {
    const int count = sqlite3_bind_parameter_count(statement);
    if (count == 0) return S_OK;
    return fail_number(3061, u"Too few parameters. Expected " + u(std::to_string(count).c_str()) + u".", source);
}

HRESULT run_own_statement(const StorePtr &store, const std::u16string &jet, bool *done, const char *source) {
    *done = true;
    std::u16string existing, table = created_table(jet), select, definition;
    if (!table.empty() && stored_query(store, table, &existing))
        return fail_number(3010, u"Table " + quoted(table) + u" already exists.", source);
    if (alter_column(jet, &table, &select, &definition)) return alter_column_type(store, jet, source);
    if (split_select_into(jet, &table, &select)) return select_into(store, table, select, source);
    *done = false;
    return S_OK;
}

void add_view(const StorePtr &store, const std::u16string &name, const std::u16string &jet) {
    std::u16string table, select, sql;
    std::string why;
    if (!first_word_is(jet, u"SELECT") || split_select_into(jet, &table, &select) || !translate_sql(jet, &sql, &why))
        return;
    run16(store->db, u"CREATE VIEW " + identifier(name) + u" AS " + sql);
}

}  // namespace dbengine
