// Table and query definitions: the collection of a database's tables,
// each table's fields, and the stored queries.
#include "database/engine/definitions.h"

#include "database/engine/recordset.h"

namespace dbengine {
namespace {

class TableDefObject final : public DaoObject<_TableDef> {
public:
    TableDefObject(StorePtr store, std::u16string name)
        : DaoObject<_TableDef>("Quorvel.TableDef"), store_(std::move(store)), name_(std::move(name)) {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16)
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *name) override {
        if (!name) return E_POINTER;
        *name = to_bstr(name_);
        return *name ? S_OK : fail(kOutOfMemory, source_);
    }
    HRESULT STDMETHODCALLTYPE get_Fields(Fields **fields) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        return hand_out<Fields>(new FieldsObject(nullptr, nullptr, table_columns(store_, name_)), fields);
    }

private:
    StorePtr store_;
    std::u16string name_;
};

class TableDefsObject final : public Object<TableDefs> {
public:
    explicit TableDefsObject(StorePtr store)
        : Object<TableDefs>("Quorvel.TableDefs"), store_(std::move(store)) {}
    HRESULT STDMETHODCALLTYPE get_Count(short *count) override {
        if (!count) return E_POINTER;
        HRESULT hr = load();
        if (FAILED(hr)) return hr;
        *count = static_cast<short>(names_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown **) override { return not_implemented(); }
    // The names are read again when next asked for: every statement of
    // Mdb_ExecSql refreshes the collection, and most are never looked at.
    HRESULT STDMETHODCALLTYPE Refresh() override {
        loaded_ = false;
        return check_open(store_, source_);
    }
    HRESULT STDMETHODCALLTYPE Append(IDispatch *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE Delete(BSTR) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT item, _TableDef **tableDef) override {
        HRESULT hr = load();
        if (FAILED(hr)) return hr;
        size_t index;
        hr = find_item(item, names_.size(), names_, &index, source_);
        if (FAILED(hr)) return hr;
        return hand_out<_TableDef>(new TableDefObject(store_, names_[index]), tableDef);
    }

private:
    bool also_offers(REFIID riid) const override { return riid == __uuidof(_Collection); }
    HRESULT load() {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr) || loaded_) return hr;
        names_.clear();
        Statement s;
        int rc = sqlite3_prepare_v2(store_->db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid",
                                    -1, &s.handle, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(s.handle)) == SQLITE_ROW) {
            std::u16string name = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 0));
            if (!is_system_table(name)) names_.push_back(std::move(name));
            rc = SQLITE_OK;
        }
        if (rc != SQLITE_DONE) return sqlite_failure(store_->db, rc, source_);
        loaded_ = true;
        return S_OK;
    }
    StorePtr store_;
    bool loaded_ = false;
    std::vector<std::u16string> names_;
};

class QueryDefObject final : public DaoObject<_QueryDef> {
public:
    QueryDefObject(StorePtr store, std::u16string sql)
        : DaoObject<_QueryDef>("Quorvel.QueryDef"), store_(std::move(store)), sql_(std::move(sql)) {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(7) NOTIMPL(8)
    NOTIMPL(9) NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16)
    NOTIMPL(17) NOTIMPL(18) NOTIMPL(19) NOTIMPL(20) NOTIMPL(21) NOTIMPL(22) NOTIMPL(23) NOTIMPL(24)
    NOTIMPL(25) NOTIMPL(26) NOTIMPL(27)
    HRESULT STDMETHODCALLTYPE OpenRecordset(VARIANT type, VARIANT options, VARIANT,
                                            Recordset **recordset) override {
        return open_recordset(store_, sql_, type, options, recordset, source_);
    }

private:
    StorePtr store_;
    std::u16string sql_;
};

}  // namespace

// The SQL text of a stored query, false when there is none of that name.
bool stored_query(const StorePtr &store, const std::u16string &name, std::u16string *sql) {
    Statement s;
    if (sqlite3_prepare_v2(store->db, "SELECT SQL FROM MSysQuorvelQueries WHERE Name=?", -1, &s.handle,
                           nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text16(s.handle, 1, name.data(), static_cast<int>(name.size() * 2), SQLITE_TRANSIENT);
    if (sqlite3_step(s.handle) != SQLITE_ROW) return false;
    auto *text = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 0));
    *sql = text ? text : u"";
    return true;
}

TableDefs *new_table_defs(const StorePtr &store) { return new TableDefsObject(store); }

_QueryDef *new_query_def(const StorePtr &store, const std::u16string &sql) {
    return new QueryDefObject(store, sql);
}

}  // namespace dbengine
