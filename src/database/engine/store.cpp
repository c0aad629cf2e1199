// The store: opening a file as a database (telling a database from any
// other file, and checking the password of an encrypted one), and running
// statements on it.
#include "database/engine/store.h"

#include "database/engine/file_name.h"
#include "database/engine/jet_errors.h"
#include "database/engine/jet_functions.h"
#include "database/engine/sql_dialect.h"

#include <cstring>

namespace dbengine {
namespace {

// What a file's first bytes say: a plain SQLite database; whole pages
// without the plain header, which is what an encrypted one looks like (and
// what a file that fails to open then gets reported as: a wrong password);
// or anything else, an empty file or one that starts with a zero page
// among them.
enum class Look { kPlain, kEncrypted, kOther };
Look file_look(sqlite3 *db) {
    sqlite3_file *file = nullptr;
    sqlite3_int64 size = 0;
    char head[512] = {};
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK || size < 512 ||
        file->pMethods->xRead(file, head, sizeof head, 0) != SQLITE_OK)
        return Look::kOther;
    if (std::memcmp(head, "SQLite format 3", 16) == 0) return Look::kPlain;
    static const char zeros[512] = {};
    if (std::memcmp(head, zeros, sizeof head) == 0) return Look::kOther;
    return size % 512 == 0 ? Look::kEncrypted : Look::kOther;
}

// What a writer killed in the exclusive mode leaves: the emptied journal,
// not hot (taking the lock would have rolled a hot one back), and a copy
// made for a new password that never replaced the file. Only in the way of
// a database that is one file. Called with the exclusive lock held, which
// a new password holds until its copy has replaced the file.
void remove_leftovers(sqlite3 *db) {
    const char *name = sqlite3_db_filename(db, "main");
    if (!name) return;
    for (const char *suffix : {kJournal, kRekeyCopy, kRekeyCopyJournal})
        remove_sqlite_file(std::string(name) + suffix);
}

int authorize(void *, int action, const char *name, const char *, const char *, const char *) {
    // Jet has no recursive queries: one in a view of a file made elsewhere is refused.
    if (action == SQLITE_ATTACH || action == SQLITE_DETACH || action == SQLITE_RECURSIVE) return SQLITE_DENY;
    if (action == SQLITE_PRAGMA) return name && std::strcmp(name, "table_info") == 0 ? SQLITE_OK : SQLITE_DENY;
    return SQLITE_OK;
}

// Stops the statement once the call's budget is spent; the next call,
// whichever way it comes in, starts with a whole one.
int over_budget(void *store) {
    Store *s = static_cast<Store *>(store);
    if (--s->budget >= 0) return 0;
    s->budget = kCallBudget;
    return 1;
}

}  // namespace

void park_cursors(sqlite3 *db) {
    for (sqlite3_stmt *s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
        if (sqlite3_stmt_busy(s) && sqlite3_stmt_readonly(s)) sqlite3_reset(s);
}

// A password protects the file at rest: with one, every page is encrypted
// in SQLCipher 4's scheme (AES-256-CBC with an HMAC-SHA512 per page, the key
// drawn from the password's UTF-8 bytes by PBKDF2-HMAC-SHA512, 256,000
// rounds), so SQLCipher's own tools open such a file with the same password.
// Without one the file is a plain SQLite database.
std::string password_key(const std::u16string &password) {
    if (password.empty()) return {};
    const WCHAR *wide = as_wide(password);
    const int units = static_cast<int>(password.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    std::string key(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide, units, &key[0], bytes, nullptr, nullptr);
    return key;
}

void use_sqlcipher4(sqlite3 *db) {
    sqlite3mc_config(db, "cipher", sqlite3mc_cipher_index("sqlcipher"));
    sqlite3mc_config_cipher(db, "sqlcipher", "legacy", 4);
}

// SQLite's result as an engine error.
HRESULT sqlite_failure(sqlite3 *db, int rc, const char *source) {
    std::u16string message = db ? static_cast<const char16_t *>(sqlite3_errmsg16(db))
                                : u(sqlite3_errstr(rc));
    JetError jet;
    if (jet_error(message, u"", &jet)) return fail_number(jet.number, jet.text, source);
    Error number = kReserved;
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT: number = error_of_text(message, kDuplicate); break;
    case SQLITE_READONLY: number = kReadOnly; break;
    case SQLITE_BUSY: case SQLITE_LOCKED: number = kLocked; break;
    case SQLITE_CORRUPT: case SQLITE_NOTADB: number = kBadFormat; break;
    case SQLITE_IOERR: case SQLITE_FULL: case SQLITE_CANTOPEN: number = kDiskError; break;
    case SQLITE_ERROR: number = kSyntax; break;
    case SQLITE_NOMEM: return fail(kStoreOutOfMemory, source, message);
    // Stopped by the budget, or refused by the authorizer (a recursive
    // query in a view or trigger of a file made elsewhere).
    case SQLITE_INTERRUPT: case SQLITE_AUTH: return fail(kTooComplex, source);
    }
    return fail(number, source, message);
}

HRESULT check_open(const StorePtr &store, const char *source) {
    if (!store || !store->db) return fail(kClosed, source);
    store->budget = kCallBudget;
    return S_OK;
}

// Prepares one statement of the engine's dialect; text after it is refused.
HRESULT prepare(const StorePtr &store, const std::u16string &jet, Statement *statement,
                const char *source) {
    HRESULT hr = check_open(store, source);
    if (FAILED(hr)) return hr;
    std::u16string sql;
    std::string why;
    JetError error;
    if (!translate_sql(jet, &sql, &why))
        return jet_error(u(why.c_str()), jet, &error) ? fail_number(error.number, error.text, source)
                                                      : fail(kSyntax, source, u(why.c_str()), quoted(jet));
    const void *tail = nullptr;
    int rc = sqlite3_prepare16_v2(store->db, sql.c_str(), static_cast<int>(sql.size() * 2),
                                  &statement->handle, &tail);
    // DROP TABLE of a missing table is numbered apart: the statement tells.
    if (rc != SQLITE_OK && jet_error(static_cast<const char16_t *>(sqlite3_errmsg16(store->db)), jet, &error))
        return fail_number(error.number, error.text, source);
    if (rc != SQLITE_OK) return sqlite_failure(store->db, rc, source);
    if (!statement->handle) return fail(kInvalidSql, source, quoted(jet));
    for (auto *rest = static_cast<const char16_t *>(tail); rest && *rest; ++rest)
        if (*rest != ' ' && *rest != '\t' && *rest != '\r' && *rest != '\n' && *rest != ';')
            return fail(kTrailing, source);
    return S_OK;
}

HRESULT run(const StorePtr &store, sqlite3_stmt *statement, const char *source) {
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE ? S_OK : sqlite_failure(store->db, rc, source);
}

HRESULT exec(const StorePtr &store, const char *sql, const char *source) {
    int rc = sqlite3_exec(store->db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? S_OK : sqlite_failure(store->db, rc, source);
}

// The password of a connect string: what follows "PWD=" up to the next ';'.
std::u16string connect_password(const std::u16string &connect) {
    for (size_t i = 0; i + 4 <= connect.size(); ++i) {
        if ((i == 0 || connect[i - 1] == ';') && equal_names(connect.substr(i, 4), u"PWD=")) {
            size_t end = connect.find(u';', i + 4);
            return connect.substr(i + 4, end == std::u16string::npos ? std::u16string::npos : end - i - 4);
        }
    }
    return {};
}

HRESULT open_store(const std::u16string &path, const OpenMode &mode, const std::u16string &password,
                   StorePtr *out, const char *source) {
    std::string file;
    if (path.empty() || !sqlite_file_name(path, &file))
        return fail(kFileNotFound, source, quoted(path));
    auto store = std::make_shared<Store>();
    store->mode = mode;
    // A file on read-only media opens read-only even when asked to write.
    int rc = sqlite3_open_v2(file.c_str(), &store->db,
                             mode.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (mode.create) {
        if (rc == SQLITE_OK) return fail(kExists, source);
        store->close();
        rc = sqlite3_open_v2(file.c_str(), &store->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
        if (rc != SQLITE_OK) return sqlite_failure(store->db, rc, source);
    } else if (rc != SQLITE_OK) {
        store->close();
        return fail(kFileNotFound, source, quoted(path));
    }
    store->read_only = mode.read_only || sqlite3_db_readonly(store->db, "main") == 1;
    register_jet_functions(store->db);
    sqlite3_extended_result_codes(store->db, 0);
    // A file that is not encrypted opens with any password, as it always did.
    const Look look = mode.create ? Look::kEncrypted : file_look(store->db);
    if (look == Look::kOther) return fail(kBadFormat, source, quoted(path));
    if (!password.empty() && look == Look::kEncrypted) {
        const std::string key = password_key(password);
        use_sqlcipher4(store->db);
        rc = sqlite3_key_v2(store->db, "main", key.data(), static_cast<int>(key.size()));
        store->password = password;
    }
    // Reading the schema tells a database from any other file, and checks
    // the password of an encrypted one.
    if (rc == SQLITE_OK) {
        Statement probe;
        rc = sqlite3_prepare_v2(store->db, "SELECT count(*) FROM sqlite_master", -1, &probe.handle, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(probe.handle) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(store->db);
    }
    // An exclusive open then takes the file's lock and keeps it until the
    // database closes; another holder of the file makes it fail at once.
    if (rc == SQLITE_OK && mode.exclusive) {
        rc = sqlite3_exec(store->db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(store->db, store->read_only ? "SELECT count(*) FROM sqlite_master"
                                                         : "BEGIN EXCLUSIVE; COMMIT",
                              nullptr, nullptr, nullptr);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) return fail(kInUse, source, quoted(path));
        if (rc == SQLITE_OK && !store->read_only) remove_leftovers(store->db);
    }
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) return fail(kInUse, source, quoted(path));
    if (rc != SQLITE_OK && look == Look::kEncrypted) return fail(kBadPassword, source);
    if (rc != SQLITE_OK) return fail(kBadFormat, source, quoted(path));
    sqlite3_busy_timeout(store->db, 2000);
    // One file, as users expect of a database: a rollback journal beside
    // it only while a transaction runs, synced (the directory too) so that
    // a commit survives a crash or a power loss.
    HRESULT hr = store->read_only ? S_OK
                                  : exec(store, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=EXTRA", source);
    if (SUCCEEDED(hr) && mode.create)
        hr = exec(store, "CREATE TABLE MSysQuorvel(Name TEXT PRIMARY KEY, Value);"
                         "CREATE TABLE MSysQuorvelQueries(Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT);",
                  source);
    // Statements may not reach other files nor change how this one is kept.
    if (SUCCEEDED(hr)) sqlite3_set_authorizer(store->db, authorize, nullptr);
    if (SUCCEEDED(hr)) sqlite3_progress_handler(store->db, 1000, over_budget, store.get());
    if (SUCCEEDED(hr)) *out = std::move(store);
    return hr;
}

HRESULT reopen_store(const StorePtr &store, const std::u16string &path, const std::u16string &password,
                     const char *source) {
    OpenMode mode = store->mode;
    mode.create = false;
    StorePtr fresh;
    HRESULT hr = open_store(path, mode, password, &fresh, source);
    if (FAILED(hr)) return hr;
    std::swap(store->db, fresh->db);
    store->read_only = fresh->read_only;
    store->password = password;
    sqlite3_progress_handler(store->db, 1000, over_budget, store.get());
    return S_OK;
}

void restrict_statements(sqlite3 *db, bool restricted) {
    sqlite3_set_authorizer(db, restricted ? authorize : nullptr, nullptr);
}

// Without asking xAccess first: to SQLite an empty file is not there.
void remove_sqlite_file(const std::string &name) {
    if (sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr)) vfs->xDelete(vfs, name.c_str(), 1);
}

bool is_system_table(const std::u16string &name) {
    return equal_names(name.substr(0, 11), u"MSysQuorvel") || equal_names(name.substr(0, 7), u"sqlite_");
}

}  // namespace dbengine
