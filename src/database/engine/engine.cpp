// The engine and its databases: DBEngine opens and creates them, Database
// runs statements, opens recordsets and keeps stored queries.
#include "database/engine/engine.h"

#include "database/engine/column_rules.h"
#include "database/engine/definitions.h"
#include "database/engine/insert_cache.h"
#include "database/engine/recordset.h"
#include "database/engine/statements.h"

namespace dbengine {
namespace {

class DatabaseObject final : public DaoObject<Database> {
public:
    explicit DatabaseObject(StorePtr store) : DaoObject<Database>("Quorvel.Database"), store_(std::move(store)) {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(7) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(17) NOTIMPL(18) NOTIMPL(19) NOTIMPL(20)
    NOTIMPL(21) NOTIMPL(22) NOTIMPL(23) NOTIMPL(24) NOTIMPL(26) NOTIMPL(27) NOTIMPL(28) NOTIMPL(29)
    NOTIMPL(30) NOTIMPL(32) NOTIMPL(33) NOTIMPL(34) NOTIMPL(35) NOTIMPL(36) NOTIMPL(37) NOTIMPL(38)

    HRESULT STDMETHODCALLTYPE get_TableDefs(TableDefs **tableDefs) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        return hand_out<TableDefs>(new_table_defs(store_), tableDefs);
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        HRESULT hr = check_open(store_, source_);
        if (SUCCEEDED(hr)) store_->close();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Execute(BSTR query, VARIANT) override {
        const std::u16string text = from_bstr(query);
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        // A statement that may make or change a table: the column rules
        // follow, and an ALTER meets none of the old ones (SQLite would
        // refuse to drop a column they name).
        const bool alter = first_word_is(text, u"ALTER") && !store_->read_only;
        const bool schema = alter || first_word_is(text, u"CREATE") || first_word_is(text, u"SELECT");
        if (alter || first_word_is(text, u"DROP")) park_cursors(store_->db);
        if (alter) hr = drop_column_rules(store_, source_);
        if (SUCCEEDED(hr)) hr = execute(text);
        if (schema && !store_->read_only) {
            const HRESULT rules = refresh_column_rules(store_, source_);
            if (SUCCEEDED(hr)) hr = rules;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateQueryDef(VARIANT name, VARIANT sqlText, _QueryDef **queryDef) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        if (name.vt != VT_BSTR || sqlText.vt != VT_BSTR)
            return fail(kConversion, source_);
        const std::u16string query = from_bstr(name.bstrVal), sql = from_bstr(sqlText.bstrVal);
        std::u16string existing;
        if (query.empty()) return fail(kInvalidArgument, source_);
        if (stored_query(store_, query, &existing) || !table_columns(store_, query).empty())
            return fail(kObjectExists, source_, quoted(query));
        Statement check;  // the text must be a statement of the dialect
        hr = prepare(store_, sql, &check, source_);
        if (FAILED(hr)) return hr;
        hr = exec(store_, "CREATE TABLE IF NOT EXISTS MSysQuorvelQueries(Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT)", source_);
        Statement s;
        int rc = sqlite3_prepare_v2(store_->db, "INSERT INTO MSysQuorvelQueries(Name, SQL) VALUES(?, ?)", -1,
                                    &s.handle, nullptr);
        if (FAILED(hr)) return hr;
        if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
        sqlite3_bind_text16(s.handle, 1, query.data(), static_cast<int>(query.size() * 2), SQLITE_TRANSIENT);
        sqlite3_bind_text16(s.handle, 2, sql.data(), static_cast<int>(sql.size() * 2), SQLITE_TRANSIENT);
        hr = run(store_, s.handle, source_);
        if (FAILED(hr)) return hr;
        add_view(store_, query, sql);
        return hand_out<_QueryDef>(new_query_def(store_, sql), queryDef);
    }
    HRESULT STDMETHODCALLTYPE OpenQueryDef(BSTR name, _QueryDef **queryDef) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        std::u16string sql;
        if (!stored_query(store_, from_bstr(name), &sql))
            return fail(kNotInCollection, source_);
        return hand_out<_QueryDef>(new_query_def(store_, sql), queryDef);
    }
    HRESULT STDMETHODCALLTYPE NewPassword(BSTR oldPassword, BSTR newPassword) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        if (store_->read_only) return fail(kReadOnly, source_);
        if (from_bstr(oldPassword) != store_->password)
            return fail(kBadPassword, source_);
        park_cursors(store_->db);
        return change_key(store_, from_bstr(newPassword), source_);
    }
    HRESULT STDMETHODCALLTYPE OpenRecordset(BSTR name, VARIANT type, VARIANT options, VARIANT,
                                            Recordset **recordset) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        std::u16string source = from_bstr(name), sql;
        if (first_word_is(source, u"SELECT") || first_word_is(source, u"PARAMETERS")) {
            sql = source;
        } else if (stored_query(store_, source, &sql)) {
        } else if (table_columns(store_, source).empty()) {
            return fail(kNoInput, source_, quoted(source));
        } else {
            sql = u"SELECT * FROM " + identifier(source);
        }
        return open_recordset(store_, sql, type, options, recordset, source_);
    }

private:
    HRESULT execute(const std::u16string &text) {
        HRESULT hr;
        if (first_word_is(text, u"INSERT") && run_cached_insert(store_, text, &hr, source_)) return hr;
        bool done;
        hr = run_own_statement(store_, text, &done, source_);
        if (FAILED(hr) || done) return hr;
        Statement s;
        hr = prepare(store_, text, &s, source_);
        if (FAILED(hr)) return hr;
        if (sqlite3_column_count(s.handle) > 0 && sqlite3_stmt_readonly(s.handle))
            return fail(kNoSelect, source_);
        if (store_->read_only && !sqlite3_stmt_readonly(s.handle))
            return fail(kReadOnly, source_);
        hr = check_parameters(s.handle, source_);
        return FAILED(hr) ? hr : run(store_, s.handle, source_);
    }
    StorePtr store_;
};

class EngineObject final : public DaoObject<_DBEngine> {
public:
    EngineObject() : DaoObject<_DBEngine>("Quorvel.DBEngine") {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(7) NOTIMPL(8)
    NOTIMPL(9) NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14)
    HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR name, VARIANT options, VARIANT readOnly, VARIANT connect,
                                           Database **database) override {
        const std::u16string password =
            connect.vt == VT_BSTR ? connect_password(from_bstr(connect.bstrVal)) : std::u16string();
        StorePtr store;
        OpenMode mode;
        mode.read_only = variant_long(readOnly, 0) != 0;
        mode.exclusive = variant_long(options, 0) != 0;
        HRESULT hr = open_store(from_bstr(name), mode, password, &store, source_);
        return SUCCEEDED(hr) ? hand_out<Database>(new DatabaseObject(store), database) : hr;
    }
    HRESULT STDMETHODCALLTYPE CreateDatabase(BSTR name, BSTR locale, VARIANT, Database **database) override {
        StorePtr store;
        OpenMode mode;
        mode.create = true;
        HRESULT hr = open_store(from_bstr(name), mode, connect_password(from_bstr(locale)), &store, source_);
        return SUCCEEDED(hr) ? hand_out<Database>(new DatabaseObject(store), database) : hr;
    }
};

}  // namespace

HRESULT create_engine(_DBEngine **engine) {
    if (!engine) return E_POINTER;
    *engine = new (std::nothrow) EngineObject;
    return *engine ? S_OK : E_OUTOFMEMORY;
}

}  // namespace dbengine
