// The store under a database: one SQLite connection, opened and checked
// (a database, the right password), and the statements run on it.
#pragma once

#include "database/engine/errors.h"

#include <sqlite3.h>

#include <memory>
#include <string>

namespace dbengine {

struct Statement {
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

struct Store {
    sqlite3 *db = nullptr;
    bool read_only = false;
    std::u16string password;  // what the file is encrypted under; empty: not encrypted
    // What the statements of one call may still do, in thousands of SQLite's
    // steps (check_open gives each call its own).
    long long budget = 0;
    ~Store() { close(); }
    // Recordsets keep their statements open between calls: closing lets the
    // file go all the same (their holders check `db` before finalizing).
    void close() {
        for (sqlite3_stmt *s; db && (s = sqlite3_next_stmt(db, nullptr));) sqlite3_finalize(s);
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
};
using StorePtr = std::shared_ptr<Store>;

// Whether the store is open; gives the call a fresh budget.
HRESULT check_open(const StorePtr &store, const char *source);
// Work without end (a view of 10^10 rows counted, a trigger that reads or
// fills from one) is stopped with 3360 once a call has spent this many
// thousands of SQLite's steps: about a second here, twice what a statement
// with the column rules needs over a million rows.
constexpr long long kCallBudget = 200000;
// Resets the statements of recordsets still reading, which DROP and ALTER
// would otherwise find the tables locked by (the recordsets step again
// to where they were).
void park_cursors(sqlite3 *db);
// SQLite's result as an engine error.
HRESULT sqlite_failure(sqlite3 *db, int rc, const char *source);
// Prepares one statement of the engine's dialect; text after it is refused.
HRESULT prepare(const StorePtr &store, const std::u16string &jet, Statement *statement, const char *source);
HRESULT run(const StorePtr &store, sqlite3_stmt *statement, const char *source);
HRESULT exec(const StorePtr &store, const char *sql, const char *source);

// The password of a connect string: what follows "PWD=" up to the next ';'.
std::u16string connect_password(const std::u16string &connect);
struct OpenMode {
    bool create = false;     // a new file; an existing one is refused
    bool read_only = false;
    bool exclusive = false;  // no other connection until this one closes
};
HRESULT open_store(const std::u16string &path, const OpenMode &mode, const std::u16string &password,
                   StorePtr *out, const char *source);
// Encrypts the open file under a new password (none: decrypts it).
HRESULT change_key(const StorePtr &store, const std::u16string &password, const char *source);

bool is_system_table(const std::u16string &name);
// Lifts the limits on statements (other files, PRAGMAs) for the engine's
// own work, and puts them back.
void restrict_statements(sqlite3 *db, bool restricted);

}  // namespace dbengine
