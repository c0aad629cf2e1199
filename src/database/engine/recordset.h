// Recordsets and their fields.
//
// A recordset reads its rows as it moves and keeps only the current one,
// so that a selection of any size opens at once. It is editable when it is
// a dynaset or table recordset, not opened read-only, and every column
// comes from one table: its rows then carry their rowids (kept for the rows
// seen), and Update writes through INSERT or UPDATE.
#pragma once

#include "database/engine/object.h"
#include "database/engine/store.h"
#include "database/engine/values.h"

#include <algorithm>
#include <set>

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
    // A field of a recordset's current record (its column the recordset's,
    // which the field holds), or (records null) a field of a table
    // definition, which has a name only.
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
    Column own_;  // a table definition's
    const Column &column_;
};

class FieldsObject final : public Object<Fields> {
public:
    // The columns of a recordset, which the collection holds, or (records
    // null) of a table definition.
    FieldsObject(RecordsetObject *records, const std::vector<Column> *columns, std::vector<Column> own = {});
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
    std::vector<Column> own_;
    const std::vector<Column> &columns_;
};

enum class EditMode { None, Edit, AddNew };

class RecordsetObject final : public DaoObject<Recordset> {
public:
    RecordsetObject(StorePtr store, bool updatable, bool forward_only)
        : DaoObject<Recordset>("Quorvel.Recordset"), store_(std::move(store)),
          updatable_(updatable), forward_only_(forward_only) {}
    ~RecordsetObject() override;

    // Takes a prepared statement (its first column the rowid when `table`
    // is set); nothing is read yet.
    void start(sqlite3_stmt *s, const std::u16string &table, std::vector<Column> columns);

    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(7) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16) NOTIMPL(17)
    NOTIMPL(18) NOTIMPL(19) NOTIMPL(20) NOTIMPL(22) NOTIMPL(23) NOTIMPL(24) NOTIMPL(25) NOTIMPL(26)
    NOTIMPL(27) NOTIMPL(28) NOTIMPL(29) NOTIMPL(30) NOTIMPL(31) NOTIMPL(32) NOTIMPL(33) NOTIMPL(34)
    NOTIMPL(35) NOTIMPL(36) NOTIMPL(37) NOTIMPL(39) NOTIMPL(40) NOTIMPL(43) NOTIMPL(46) NOTIMPL(47)
    NOTIMPL(48) NOTIMPL(49) NOTIMPL(51) NOTIMPL(53) NOTIMPL(54) NOTIMPL(55) NOTIMPL(56) NOTIMPL(57)
    NOTIMPL(58) NOTIMPL(59) NOTIMPL(60) NOTIMPL(61) NOTIMPL(62) NOTIMPL(63) NOTIMPL(64) NOTIMPL(65)
    NOTIMPL(66) NOTIMPL(67) NOTIMPL(68) NOTIMPL(69) NOTIMPL(70) NOTIMPL(71) NOTIMPL(72) NOTIMPL(73)
    NOTIMPL(74) NOTIMPL(75) NOTIMPL(76) NOTIMPL(77) NOTIMPL(78) NOTIMPL(79) NOTIMPL(80) NOTIMPL(81)

    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL *eof) override;
    HRESULT STDMETHODCALLTYPE get_RecordCount(LONG *count) override;
    HRESULT STDMETHODCALLTYPE get_Fields(Fields **fields) override {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        return hand_out<Fields>(new FieldsObject(this, &columns_), fields);
    }
    HRESULT STDMETHODCALLTYPE AddNew() override {
        HRESULT hr = writable();
        if (FAILED(hr)) return hr;
        mode_ = EditMode::AddNew;
        pending_.assign(columns_.size(), Value());
        touched_.assign(columns_.size(), false);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Edit() override;
    HRESULT STDMETHODCALLTYPE Delete() override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE MoveFirst() override;
    HRESULT STDMETHODCALLTYPE MoveLast(LONG) override;
    HRESULT STDMETHODCALLTYPE MoveNext() override;
    HRESULT STDMETHODCALLTYPE Update(LONG, VARIANT_BOOL) override;

    // For the fields.
    HRESULT value(size_t index, const Value **out);
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
    // The current row's values in row_ (an error when there is none).
    HRESULT current();
    // Whether the row at `index` exists, reading the statement as far as needed.
    HRESULT exists(long index, bool *yes);
    // Puts the statement on its row `index` (false: it has fewer).
    HRESULT seek(long index, bool *found);
    HRESULT move_to(long target, int direction);
    // The row's values read again by its rowid (row_.deleted: it is gone).
    HRESULT reread(sqlite3_int64 rowid);
    sqlite3_int64 key(long index) const;
    bool is_deleted(long index) const { return deleted_.count(index) != 0; }
    // The statement's rows and all the rows, once known (-1 before).
    long statement_rows() const { return ended_ ? read_ : counted_; }
    long rows() const { return statement_rows() + static_cast<long>(added_.size()); }

    StorePtr store_;
    bool updatable_;
    bool forward_only_;
    bool closed_ = false;
    std::u16string table_;
    std::vector<Column> columns_;
    // The statement, read as the recordset moves: read_ of its rows seen so
    // far (all of them once ended_), their rowids kept as runs of
    // consecutive ones, so a walk over a table keeps almost nothing.
    sqlite3_stmt *cursor_ = nullptr;
    // Its text and connection: a new password opens the file on a new one,
    // where the statement is prepared again and read from its start.
    std::string sql_;
    unsigned connection_ = 0;
    HRESULT renew_cursor();
    long at_ = -1;  // the statement's row the statement is on
    long read_ = 0;
    bool ended_ = false;
    long counted_ = -1;  // the statement's rows as counted by MoveLast
    struct Run {
        long index;
        sqlite3_int64 first;
        long count;
    };
    std::vector<Run> keys_;
    std::vector<sqlite3_int64> added_;  // rows added here, after the statement's
    std::set<long> deleted_;
    long position_ = 0;
    long reached_ = 0;
    Row row_;  // the values of the row at loaded_
    long loaded_ = -1;
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
