// The store under a database: one SQLite connection, opened and checked
// (a database, the right password), and the statements run on it.
#pragma once

#include "database/engine/errors.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

namespace dbengine {

struct Statement {
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

struct OpenMode {
    bool create = false;     // a new file; an existing one is refused
    bool read_only = false;
    bool exclusive = false;  // no other connection until this one closes
};

struct Store {
    sqlite3 *db = nullptr;
    bool read_only = false;
    OpenMode mode;            // a new password opens the file again the same way
    std::u16string password;  // what the file is encrypted under; empty: not encrypted
    // What the statements of one call may still do, in thousands of SQLite's
    // steps (check_open gives each call its own).
    long long budget = 0;
    // Counts the connections closed: a new password opens the file anew,
    // and statements prepared on an earlier connection are gone.
    unsigned connection = 0;
    std::map<std::u16string, sqlite3_stmt *> inserts;  // see insert_cache.h
    ~Store() { close(); }
    // Recordsets keep their statements open between calls: closing lets the
    // file go all the same (their holders check `db` and `connection`
    // before finalizing).
    void close() {
        for (sqlite3_stmt *s; db && (s = sqlite3_next_stmt(db, nullptr));) sqlite3_finalize(s);
        if (db) sqlite3_close_v2(db);
        if (db) ++connection;
        db = nullptr;
        inserts.clear();
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
HRESULT open_store(const std::u16string &path, const OpenMode &mode, const std::u16string &password,
                   StorePtr *out, const char *source);
// Opens the closed store's file again, as it was opened, under `password`.
HRESULT reopen_store(const StorePtr &store, const std::u16string &path, const std::u16string &password,
                     const char *source);
// The key SQLite takes for a password, and the cipher scheme it keys.
std::string password_key(const std::u16string &password);
void use_sqlcipher4(sqlite3 *db);
// Encrypts the open file under a new password (none: decrypts it), all at
// once: killed at any moment, the file opens with one of the two.
HRESULT change_key(const StorePtr &store, const std::u16string &password, const char *source);

// Files beside a database, named after it: its journal, and the copy a new
// password is written to (with that copy's own journal).
constexpr const char *kJournal = "-journal";
constexpr const char *kRekeyCopy = "-rekey";
constexpr const char *kRekeyCopyJournal = "-rekey-journal";
// Deletes a file by SQLite's name for it, when it is there.
void remove_sqlite_file(const std::string &name);

bool is_system_table(const std::u16string &name);
// Lifts the limits on statements (other files, PRAGMAs) for the engine's
// own work, and puts them back.
void restrict_statements(sqlite3 *db, bool restricted);

}  // namespace dbengine
