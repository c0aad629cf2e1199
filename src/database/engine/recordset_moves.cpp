// Moving through a recordset: its statement is read as far as a move
// needs, rows seen before are read again by their rowid (or, without one,
// by reading the statement again up to them), and MoveLast counts with
// SQLite's count(*) instead of reading every row.
#include "database/engine/recordset.h"

#include <climits>

namespace dbengine {

RecordsetObject::~RecordsetObject() {
    // Else closing the connection did.
    if (cursor_ && store_->db && connection_ == store_->connection) sqlite3_finalize(cursor_);
}

HRESULT RecordsetObject::renew_cursor() {
    if (connection_ == store_->connection) return S_OK;
    cursor_ = nullptr;
    at_ = -1;
    connection_ = store_->connection;
    const int rc = sqlite3_prepare_v2(store_->db, sql_.c_str(), -1, &cursor_, nullptr);
    return rc == SQLITE_OK ? S_OK : sqlite_failure(store_->db, rc, source_);
}

void RecordsetObject::start(sqlite3_stmt *s, const std::u16string &table, std::vector<Column> columns) {
    cursor_ = s;
    sql_ = sqlite3_sql(s);
    connection_ = store_->connection;
    table_ = table;
    columns_ = std::move(columns);
}

sqlite3_int64 RecordsetObject::key(long index) const {
    if (index >= read_) return added_[static_cast<size_t>(index - statement_rows())];
    auto run = std::upper_bound(keys_.begin(), keys_.end(), index,
                                [](long i, const Run &r) { return i < r.index; });
    --run;
    return run->first + (index - run->index);
}

HRESULT RecordsetObject::seek(long index, bool *found) {
    *found = false;
    HRESULT hr = renew_cursor();
    if (FAILED(hr)) return hr;
    // Reset from outside (DROP, a rollback): the statement starts again.
    if (at_ >= 0 && !sqlite3_stmt_busy(cursor_)) at_ = -1;
    if (at_ > index) {
        sqlite3_reset(cursor_);
        at_ = -1;
    }
    const bool keyed = !table_.empty();
    // Started again, a table's statement goes on after the last row it gave.
    bool catching_up = keyed && at_ < 0 && read_ > 0;
    const sqlite3_int64 last = catching_up ? key(read_ - 1) : 0;
    while (at_ < index) {
        if (ended_ && at_ + 1 >= read_) return S_OK;
        const int rc = sqlite3_step(cursor_);
        if (rc == SQLITE_DONE) {
            if (!catching_up) read_ = keyed ? std::max(read_, at_ + 1) : at_ + 1;
            ended_ = true;
            sqlite3_reset(cursor_);  // lets the file go
            at_ = -1;
            return S_OK;
        }
        if (rc != SQLITE_ROW) {
            sqlite3_reset(cursor_);
            at_ = -1;
            return sqlite_failure(store_->db, rc, source_);
        }
        const sqlite3_int64 rowid = keyed ? sqlite3_column_int64(cursor_, 0) : 0;
        if (catching_up) {
            if (rowid == last) {
                catching_up = false;
                at_ = read_ - 1;
            }
            continue;
        }
        // The rows added here are shown at the end only.
        if (keyed && std::find(added_.begin(), added_.end(), rowid) != added_.end()) continue;
        if (++at_ < read_) continue;
        ++read_;
        if (!keyed) continue;
        if (!keys_.empty() && keys_.back().first + keys_.back().count == rowid)
            ++keys_.back().count;
        else
            keys_.push_back({at_, rowid, 1});
    }
    *found = true;
    return S_OK;
}

HRESULT RecordsetObject::exists(long index, bool *yes) {
    *yes = index >= 0 && (index < read_ || (statement_rows() >= 0 && index < rows()));
    if (*yes || index < 0 || ended_) return S_OK;
    bool found;
    HRESULT hr = seek(index, &found);
    *yes = found || (ended_ && index < rows());
    return hr;
}

HRESULT RecordsetObject::current() {
    if (loaded_ == position_) return S_OK;
    HRESULT hr = renew_cursor();
    if (FAILED(hr)) return hr;
    if (is_deleted(position_)) return fail(kDeleted, source_);
    bool yes;
    hr = exists(position_, &yes);
    if (SUCCEEDED(hr) && yes && position_ >= read_ && !ended_) hr = seek(position_, &yes);
    if (SUCCEEDED(hr) && !yes) yes = ended_ && position_ >= read_ && position_ < rows();
    if (FAILED(hr)) return hr;
    if (!yes) return fail(kNoCurrentRecord, source_);
    const int first = table_.empty() ? 0 : 1;
    const bool on_it = position_ == at_ && sqlite3_stmt_busy(cursor_);
    if (!first && !on_it) {
        hr = seek(position_, &yes);
        if (FAILED(hr)) return hr;
        if (!yes) return fail(kNoCurrentRecord, source_);
    }
    if (first && !on_it) {
        hr = reread(key(position_));
        if (FAILED(hr)) return hr;
        if (row_.deleted) {
            deleted_.insert(position_);
            return fail(kDeleted, source_);
        }
    } else {
        row_.rowid = first ? sqlite3_column_int64(cursor_, 0) : 0;
        row_.values.clear();
        for (size_t i = 0; i < columns_.size(); ++i)
            row_.values.push_back(column_value(cursor_, static_cast<int>(i) + first));
    }
    loaded_ = position_;
    return S_OK;
}

HRESULT RecordsetObject::value(size_t index, const Value **out) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (mode_ != EditMode::None) {
        *out = &pending_[index];
        return S_OK;
    }
    hr = current();
    if (SUCCEEDED(hr)) *out = &row_.values[index];
    return hr;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::get_EOF(VARIANT_BOOL *eof) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (!eof) return E_POINTER;
    bool yes;
    hr = exists(position_, &yes);
    *eof = yes ? VARIANT_FALSE : VARIANT_TRUE;
    return hr;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::get_RecordCount(LONG *count) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (!count) return E_POINTER;
    bool first = false;
    if (reached_ == 0) hr = exists(0, &first);  // the first row counts once the recordset opens
    if (first) reached_ = 1;
    LONG live = reached_;
    for (long index : deleted_) live -= index < reached_;
    *count = live;
    return hr;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::MoveNext() {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    bool yes;
    hr = exists(position_, &yes);
    if (FAILED(hr)) return hr;
    if (!yes) return fail(kNoCurrentRecord, source_);
    long next = position_ + 1;
    while (is_deleted(next)) ++next;
    mode_ = EditMode::None;
    position_ = next;
    hr = exists(next, &yes);
    if (yes) reached_ = std::max(reached_, next + 1);
    return hr;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::MoveFirst() { return move_to(0, 1); }

// The last row is where the count says; it is read only when asked for.
// A count is what the statement would give: rows deleted or added here
// make it read to its end instead (keeping only rowids).
HRESULT STDMETHODCALLTYPE RecordsetObject::MoveLast(LONG) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (forward_only_) return fail(kUnsupported, source_);
    if (statement_rows() < 0 && deleted_.empty() && added_.empty()) {
        std::string sql = sql_;
        while (!sql.empty() && (sql.back() == ';' || sql.back() == ' ' || sql.back() == '\n')) sql.pop_back();
        sql = "SELECT count(*) FROM (" + sql + ")";
        Statement s;
        int rc = sqlite3_prepare_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_step(s.handle);
        if (rc != SQLITE_ROW) return sqlite_failure(store_->db, rc, source_);
        counted_ = static_cast<long>(sqlite3_column_int64(s.handle, 0));
    } else if (statement_rows() < 0) {
        bool found;
        hr = seek(LONG_MAX - 1, &found);
        if (FAILED(hr)) return hr;
    }
    return move_to(rows() - 1, -1);
}

HRESULT RecordsetObject::move_to(long target, int direction) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (forward_only_)
        return fail(kUnsupported, source_);
    // The first or last row that is not deleted.
    long i = target;
    bool yes = false;
    for (; i >= 0; i += direction) {
        hr = exists(i, &yes);
        if (FAILED(hr)) return hr;
        if (!yes || !is_deleted(i)) break;
    }
    if (i < 0 || !yes) return fail(kNoCurrentRecord, source_);
    mode_ = EditMode::None;
    position_ = i;
    reached_ = std::max(reached_, direction < 0 ? rows() : position_ + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::Close() {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    closed_ = true;
    if (connection_ == store_->connection) sqlite3_finalize(cursor_);
    cursor_ = nullptr;
    keys_.clear();
    deleted_.clear();
    return S_OK;
}

}  // namespace dbengine
