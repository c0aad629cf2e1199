// Recordsets and their fields.
//
// A recordset reads all its rows when it opens (rows stay in memory until
// it closes). It is editable when it is a dynaset or table recordset, not
// opened read-only, and every column comes from one table: its rows then
// carry their rowids, and Update writes through INSERT or UPDATE and reads
// the row back.
#pragma once

#include "database/engine/object.h"
#include "database/engine/store.h"
#include "database/engine/values.h"

#include <algorithm>

namespace dbengine {

struct Column {
    std::u16string name;
    ColumnType type;
    std::u16string origin;  // the table column it comes from, when editable
};

struct Row {
    sqlite3_int64 rowid = 0;
    bool deleted = false;
    std::vector<Value> values;
};

class RecordsetObject;

class FieldObject final : public DaoObject<_Field> {
public:
    // A field of a recordset's current record, or (records null) a field of
    // a table definition, which has a name only.
    FieldObject(RecordsetObject *records, size_t index, const Column &column);
    ~FieldObject() override;
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(5) NOTIMPL(6) NOTIMPL(7) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16) NOTIMPL(17) NOTIMPL(18) NOTIMPL(19)
    NOTIMPL(20) NOTIMPL(21) NOTIMPL(22) NOTIMPL(23) NOTIMPL(24) NOTIMPL(25) NOTIMPL(26) NOTIMPL(27)
    NOTIMPL(28) NOTIMPL(29) NOTIMPL(30) NOTIMPL(33) NOTIMPL(34) NOTIMPL(35) NOTIMPL(36) NOTIMPL(37)
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *name) override;
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT *value) override;
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE AppendChunk(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetChunk(LONG offset, LONG bytes, VARIANT *value) override;
    HRESULT STDMETHODCALLTYPE get_FieldSize(LONG *size) override;

private:
    RecordsetObject *records_;
    size_t index_;
    Column column_;
};

class FieldsObject final : public Object<Fields> {
public:
    FieldsObject(RecordsetObject *records, std::vector<Column> columns);
    ~FieldsObject() override;
    HRESULT STDMETHODCALLTYPE get_Count(short *count) override {
        if (!count) return E_POINTER;
        *count = static_cast<short>(columns_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown **) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Append(IDispatch *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE Delete(BSTR) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT item, _Field **field) override;

private:
    bool also_offers(REFIID riid) const override { return riid == __uuidof(_Collection); }
    RecordsetObject *records_;
    std::vector<Column> columns_;
};

enum class EditMode { None, Edit, AddNew };

class RecordsetObject final : public DaoObject<Recordset> {
public:
    RecordsetObject(StorePtr store, bool updatable, bool forward_only)
        : DaoObject<Recordset>("Quorvel.Recordset"), store_(std::move(store)),
          updatable_(updatable), forward_only_(forward_only) {}

    // Reads the rows of a prepared statement (its first column the rowid
    // when `table` is set).
    HRESULT load(sqlite3_stmt *s, const std::u16string &table, std::vector<Column> columns) {
        table_ = table;
        columns_ = std::move(columns);
        const int first = table_.empty() ? 0 : 1;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Row row;
            if (first) row.rowid = sqlite3_column_int64(s, 0);
            for (size_t i = 0; i < columns_.size(); ++i)
                row.values.push_back(column_value(s, static_cast<int>(i) + first));
            rows_.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) return sqlite_failure(store_->db, rc, source_);
        position_ = 0;
        reached_ = rows_.empty() ? 0 : 1;
        return S_OK;
    }

    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(7) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16) NOTIMPL(17)
    NOTIMPL(18) NOTIMPL(19) NOTIMPL(20) NOTIMPL(22) NOTIMPL(23) NOTIMPL(24) NOTIMPL(25) NOTIMPL(26)
    NOTIMPL(27) NOTIMPL(28) NOTIMPL(29) NOTIMPL(30) NOTIMPL(31) NOTIMPL(32) NOTIMPL(33) NOTIMPL(34)
    NOTIMPL(35) NOTIMPL(36) NOTIMPL(37) NOTIMPL(39) NOTIMPL(40) NOTIMPL(43) NOTIMPL(46) NOTIMPL(47)
    NOTIMPL(48) NOTIMPL(49) NOTIMPL(51) NOTIMPL(53) NOTIMPL(54) NOTIMPL(55) NOTIMPL(56) NOTIMPL(57)
    NOTIMPL(58) NOTIMPL(59) NOTIMPL(60) NOTIMPL(61) NOTIMPL(62) NOTIMPL(63) NOTIMPL(64) NOTIMPL(65)
    NOTIMPL(66) NOTIMPL(67) NOTIMPL(68) NOTIMPL(69) NOTIMPL(70) NOTIMPL(71) NOTIMPL(72) NOTIMPL(73)
    NOTIMPL(74) NOTIMPL(75) NOTIMPL(76) NOTIMPL(77) NOTIMPL(78) NOTIMPL(79) NOTIMPL(80) NOTIMPL(81)

    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL *eof) override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (!eof) return E_POINTER;
        *eof = position_ >= static_cast<long>(rows_.size()) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RecordCount(LONG *count) override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (!count) return E_POINTER;
        LONG live = 0;
        for (long i = 0; i < reached_ && i < static_cast<long>(rows_.size()); ++i)
            live += !rows_[static_cast<size_t>(i)].deleted;
        *count = live;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Fields(Fields **fields) override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        return hand_out<Fields>(new FieldsObject(this, columns_), fields);
    }
    HRESULT STDMETHODCALLTYPE AddNew() override {
        HRESULT hr = writable();
        if (FAILED(hr)) return hr;
        mode_ = EditMode::AddNew;
        pending_.assign(columns_.size(), Value());
        touched_.assign(columns_.size(), false);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Edit() override {
        HRESULT hr = writable();
        if (SUCCEEDED(hr)) hr = current();
        if (FAILED(hr)) return hr;
        // The row as it is now: another recordset may have changed or deleted it.
        Row &row = rows_[static_cast<size_t>(position_)];
        hr = reread(&row);
        if (FAILED(hr)) return hr;
        if (row.deleted) return fail(kDeleted, source_);
        mode_ = EditMode::Edit;
        pending_ = row.values;
        touched_.assign(columns_.size(), false);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Delete() override {
        HRESULT hr = writable();
        if (SUCCEEDED(hr)) hr = current();
        if (FAILED(hr)) return hr;
        Row &row = rows_[static_cast<size_t>(position_)];
        Statement s;
        const std::u16string sql = u"DELETE FROM " + identifier(table_) + u" WHERE rowid=?";
        int rc = sqlite3_prepare16_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
        if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
        sqlite3_bind_int64(s.handle, 1, row.rowid);
        hr = run(store_, s.handle, source_);
        if (SUCCEEDED(hr)) row.deleted = true;
        mode_ = EditMode::None;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        closed_ = true;
        rows_.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MoveFirst() override { return move_to(0); }
    HRESULT STDMETHODCALLTYPE MoveLast(LONG) override {
        return move_to(static_cast<long>(rows_.size()) - 1);
    }
    HRESULT STDMETHODCALLTYPE MoveNext() override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (position_ >= static_cast<long>(rows_.size()))
            return fail(kNoCurrentRecord, source_);
        long next = position_ + 1;
        while (next < static_cast<long>(rows_.size()) && rows_[static_cast<size_t>(next)].deleted) ++next;
        mode_ = EditMode::None;
        position_ = next;
        if (position_ < static_cast<long>(rows_.size())) reached_ = std::max(reached_, position_ + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Update(LONG, VARIANT_BOOL) override;

    // For the fields.
    HRESULT value(size_t index, const Value **out) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (mode_ != EditMode::None) {
            *out = &pending_[index];
            return S_OK;
        }
        hr = current();
        if (SUCCEEDED(hr)) *out = &rows_[static_cast<size_t>(position_)].values[index];
        return hr;
    }
    HRESULT set(size_t index, Value v) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (mode_ == EditMode::None)
            return fail(kUpdateWithoutEdit, "Quorvel.Field");
        pending_[index] = std::move(v);
        touched_[index] = true;
        return S_OK;
    }
    // The first chunk after AddNew or Edit replaces the value; later ones append.
    HRESULT append(size_t index, const unsigned char *data, size_t count) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (mode_ == EditMode::None)
            return fail(kUpdateWithoutEdit, "Quorvel.Field");
        Value &v = pending_[index];
        if (!touched_[index] || v.type != SQLITE_BLOB) v = Value();
        v.type = SQLITE_BLOB;
        v.bytes.insert(v.bytes.end(), data, data + count);
        touched_[index] = true;
        return S_OK;
    }

private:
    HRESULT usable() const {
        return closed_ ? fail(kClosed, source_) : check_open(store_, source_);
    }
    HRESULT writable() const {
        HRESULT hr = usable();
        if (SUCCEEDED(hr) && (!updatable_ || table_.empty() || store_->read_only))
            hr = fail(kReadOnly, source_);
        return hr;
    }
    HRESULT current() const {
        if (position_ < 0 || position_ >= static_cast<long>(rows_.size()))
            return fail(kNoCurrentRecord, source_);
        if (rows_[static_cast<size_t>(position_)].deleted) return fail(kDeleted, source_);
        return S_OK;
    }
    HRESULT move_to(long target) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (forward_only_)
            return fail(kUnsupported, source_);
        // The first or last row that is not deleted.
        long i = target;
        if (target == 0) {
            while (i < static_cast<long>(rows_.size()) && rows_[static_cast<size_t>(i)].deleted) ++i;
            if (i >= static_cast<long>(rows_.size())) i = -1;
        } else {
            while (i >= 0 && rows_[static_cast<size_t>(i)].deleted) --i;
        }
        if (i < 0) return fail(kNoCurrentRecord, source_);
        mode_ = EditMode::None;
        position_ = i;
        reached_ = std::max(reached_, position_ + 1);
        return S_OK;
    }
    HRESULT reread(Row *row);

    StorePtr store_;
    bool updatable_;
    bool forward_only_;
    bool closed_ = false;
    std::u16string table_;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    long position_ = 0;
    long reached_ = 0;
    EditMode mode_ = EditMode::None;
    std::vector<Value> pending_;
    std::vector<bool> touched_;
};

// A recordset of a SELECT statement of the engine's dialect.
HRESULT open_recordset(const StorePtr &store, const std::u16string &select, const VARIANT &type,
                       const VARIANT &options, Recordset **out, const char *source);
// The columns of a table, none when there is no table of that name.
std::vector<Column> table_columns(const StorePtr &store, const std::u16string &table);
// Whether the statement's first word (after spaces and brackets) is `word`.
bool first_word_is(const std::u16string &text, const char16_t *word);
LONG variant_long(const VARIANT &v, LONG missing);

}  // namespace dbengine
