// Recordsets: opening one on a statement, and writing its rows back.
#include "database/engine/recordset.h"

#include "database/engine/engine.h"
#include "database/engine/sql_dialect.h"
#include "database/engine/statements.h"

namespace dbengine {
namespace {

bool contains_word(const std::u16string &text, const char16_t *word) {
    for (size_t i = 0; i < text.size(); ++i)
        if ((i == 0 || text[i - 1] == ' ' || text[i - 1] == '\n' || text[i - 1] == '\t') &&
            first_word_is(text.substr(i), word))
            return true;
    return false;
}

}  // namespace

bool first_word_is(const std::u16string &text, const char16_t *word) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' || text[i] == '('))
        ++i;
    size_t n = std::char_traits<char16_t>::length(word);
    return equal_names(text.substr(i, n), word) && (i + n == text.size() || !(
        (text[i + n] >= 'A' && text[i + n] <= 'Z') || (text[i + n] >= 'a' && text[i + n] <= 'z') ||
        (text[i + n] >= '0' && text[i + n] <= '9') || text[i + n] == '_'));
}

LONG variant_long(const VARIANT &v, LONG missing) {
    VARIANT n;
    VariantInit(&n);
    if (v.vt == VT_ERROR || v.vt == VT_EMPTY || FAILED(change_type(&n, v, VT_I4))) return missing;
    return n.lVal;
}

HRESULT RecordsetObject::reread(sqlite3_int64 rowid) {
    std::u16string sql = u"SELECT ";
    for (size_t i = 0; i < columns_.size(); ++i)
        sql += (i ? u"," : u"") + identifier(columns_[i].origin);
    sql += u" FROM " + identifier(table_) + u" WHERE rowid=?";
    Statement s;
    int rc = sqlite3_prepare16_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
    if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
    sqlite3_bind_int64(s.handle, 1, rowid);
    rc = sqlite3_step(s.handle);
    loaded_ = -1;
    row_.rowid = rowid;
    row_.deleted = rc == SQLITE_DONE;
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? S_OK : sqlite_failure(store_->db, rc, source_);
    row_.values.clear();
    for (size_t i = 0; i < columns_.size(); ++i) row_.values.push_back(column_value(s.handle, static_cast<int>(i)));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::Edit() {
    HRESULT hr = writable();
    if (SUCCEEDED(hr)) hr = current();
    // The row as it is now: another recordset may have changed or deleted it.
    if (SUCCEEDED(hr)) hr = reread(row_.rowid);
    if (FAILED(hr)) return hr;
    if (row_.deleted) {
        deleted_.insert(position_);
        return fail(kDeleted, source_);
    }
    loaded_ = position_;
    mode_ = EditMode::Edit;
    pending_ = row_.values;
    touched_.assign(columns_.size(), false);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::Delete() {
    HRESULT hr = writable();
    if (SUCCEEDED(hr)) hr = current();
    if (FAILED(hr)) return hr;
    Statement s;
    const std::u16string sql = u"DELETE FROM " + identifier(table_) + u" WHERE rowid=?";
    int rc = sqlite3_prepare16_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
    if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
    sqlite3_bind_int64(s.handle, 1, row_.rowid);
    hr = run(store_, s.handle, source_);
    if (SUCCEEDED(hr)) deleted_.insert(position_);
    loaded_ = -1;
    mode_ = EditMode::None;
    return hr;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::Update(LONG, VARIANT_BOOL) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (mode_ == EditMode::None)
        return fail(kUpdateWithoutEdit, source_);
    std::u16string sql;
    std::vector<size_t> written;
    for (size_t i = 0; i < columns_.size(); ++i)
        if (touched_[i]) written.push_back(i);
    if (mode_ == EditMode::AddNew) {
        sql = u"INSERT INTO " + identifier(table_);
        if (written.empty()) {
            sql += u" DEFAULT VALUES";
        } else {
            std::u16string names, marks;
            for (size_t k = 0; k < written.size(); ++k) {
                names += (k ? u"," : u"") + identifier(columns_[written[k]].origin);
                marks += k ? u",?" : u"?";
            }
            sql += u"(" + names + u") VALUES(" + marks + u")";
        }
    } else {
        if (written.empty()) {
            mode_ = EditMode::None;
            return S_OK;
        }
        sql = u"UPDATE " + identifier(table_) + u" SET ";
        for (size_t k = 0; k < written.size(); ++k)
            sql += (k ? u"," : u"") + identifier(columns_[written[k]].origin) + u"=?";
        sql += u" WHERE rowid=?";
    }
    Statement s;
    int rc = sqlite3_prepare16_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
    if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
    int slot = 1;
    for (size_t i : written) bind(s.handle, slot++, pending_[i]);
    if (mode_ == EditMode::Edit) sqlite3_bind_int64(s.handle, slot, row_.rowid);
    hr = run(store_, s.handle, source_);
    if (FAILED(hr)) return hr;  // still editing: the caller may correct and retry
    const EditMode mode = mode_;
    mode_ = EditMode::None;
    if (mode == EditMode::AddNew) {
        // A dynaset shows its new rows at its end.
        added_.push_back(sqlite3_last_insert_rowid(store_->db));
        return S_OK;
    }
    if (sqlite3_changes(store_->db) == 0) {
        deleted_.insert(position_);
        loaded_ = -1;
        return fail(kDeleted, source_);
    }
    hr = reread(row_.rowid);
    if (SUCCEEDED(hr)) loaded_ = position_;
    return hr;
}

// A recordset of a SELECT statement of the engine's dialect.
HRESULT open_recordset(const StorePtr &store, const std::u16string &select, const VARIANT &type,
                       const VARIANT &options, Recordset **out, const char *source) {
    const LONG kind = variant_long(type, kOpenDynaset);
    const LONG flags = variant_long(options, 0);
    const bool updatable = (kind == kOpenDynaset || kind == kOpenTable) && !(flags & kReadOnlyOption);
    Statement s;
    HRESULT hr = prepare(store, select, &s, source);
    if (FAILED(hr)) return hr;
    if (sqlite3_column_count(s.handle) == 0 || !sqlite3_stmt_readonly(s.handle))
        return fail(kNotRecords, source, quoted(select));
    hr = check_parameters(s.handle, source);
    if (FAILED(hr)) return hr;

    std::vector<Column> columns;
    std::u16string table;
    bool one_table = updatable;
    for (int i = 0; i < sqlite3_column_count(s.handle); ++i) {
        Column c;
        c.name = static_cast<const char16_t *>(sqlite3_column_name16(s.handle, i));
        auto *declared = static_cast<const char16_t *>(sqlite3_column_decltype16(s.handle, i));
        c.type = column_type(declared ? declared : u"");
        auto *origin = static_cast<const char16_t *>(sqlite3_column_origin_name16(s.handle, i));
        auto *from = static_cast<const char16_t *>(sqlite3_column_table_name16(s.handle, i));
        if (!origin || !from || (!table.empty() && table != from)) one_table = false;
        if (origin) c.origin = origin;
        if (from && table.empty()) table = from;
        columns.push_back(std::move(c));
    }
    // Columns of one name from two tables (SELECT *) are told apart as the
    // engine names them: P.ID and Q.ID.
    for (size_t i = 0; i < columns.size(); ++i) {
        std::vector<size_t> alike{i};
        for (size_t k = i + 1; k < columns.size(); ++k)
            if (equal_names(columns[k].name, columns[i].name)) alike.push_back(k);
        for (size_t k : alike) {
            auto *from = static_cast<const char16_t *>(sqlite3_column_table_name16(s.handle, static_cast<int>(k)));
            if (alike.size() > 1 && from) columns[k].name = std::u16string(from) + u"." + columns[k].name;
        }
    }
    if (contains_word(select, u"DISTINCT") || contains_word(select, u"GROUP") || contains_word(select, u"UNION"))
        one_table = false;

    auto *records = new RecordsetObject(store, updatable,
                                        kind == kOpenForwardOnly || (flags & kForwardOnlyOption));
    Statement with_rowid;
    if (one_table) {
        // The same statement with the rowid first, for writing the rows back.
        size_t at = select.find_first_not_of(u" \t\r\n");
        std::u16string keyed = select.substr(0, at + 6) + u" rowid," + select.substr(at + 6);
        std::u16string sql;
        std::string why;
        if (translate_sql(keyed, &sql, &why) &&
            sqlite3_prepare16_v2(store->db, sql.c_str(), -1, &with_rowid.handle, nullptr) == SQLITE_OK &&
            sqlite3_column_count(with_rowid.handle) == static_cast<int>(columns.size()) + 1) {
            records->start(with_rowid.handle, table, columns);
            with_rowid.handle = nullptr;
        } else {
            one_table = false;
        }
    }
    if (!one_table) {
        records->start(s.handle, u"", columns);
        s.handle = nullptr;
    }
    // Open on its first row, as the engine's recordsets are: a file too
    // damaged to give one is refused here.
    VARIANT_BOOL eof;
    hr = records->get_EOF(&eof);
    if (FAILED(hr)) {
        records->Release();
        return hr;
    }
    return hand_out<Recordset>(records, out);
}

}  // namespace dbengine
