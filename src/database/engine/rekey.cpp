// A new password for an open database, all at once: the file is copied
// beside itself under the new key, the copy made durable, then renamed over
// the file, and the connection opened again on it. Killed at any moment,
// the file is either the old one, whole, or the new one, whole.
#include "database/engine/file_name.h"
#include "database/engine/store.h"

namespace dbengine {
namespace {

// The file name SQLite gives (UTF-8) as the system's text.
std::u16string from_utf8(const char *utf8) {
    std::u16string text;
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (units <= 1) return text;
    text.resize(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, as_wide(&text[0]), units);
    text.pop_back();
    return text;
}

// Keys a connection to a file for a password; none leaves it plain.
int key(sqlite3 *db, const std::u16string &password) {
    if (password.empty()) return SQLITE_OK;
    const std::string bytes = password_key(password);
    use_sqlcipher4(db);
    return sqlite3_key_v2(db, "main", bytes.data(), static_cast<int>(bytes.size()));
}

// The whole database copied into `file` under its password, then re-keyed
// there: the copy can fail or be cut off without harm to the database. Its
// commits are synced (synchronous=FULL), so it is on disk when it is done.
int write_copy(sqlite3 *from, const std::string &file, const std::u16string &old_password,
               const std::u16string &password) {
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) rc = key(to, old_password);
    if (rc == SQLITE_OK) rc = sqlite3_exec(to, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
        rc = backup ? sqlite3_backup_step(backup, -1) : sqlite3_errcode(to);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
        if (backup && sqlite3_backup_finish(backup) != SQLITE_OK && rc == SQLITE_OK) rc = sqlite3_errcode(to);
    }
    if (rc == SQLITE_OK) {
        const std::string bytes = password_key(password);
        use_sqlcipher4(to);
        rc = sqlite3_rekey_v2(to, "main", bytes.data(), static_cast<int>(bytes.size()));
    }
    const int closed = sqlite3_close(to);
    return rc == SQLITE_OK ? closed : rc;
}

// Takes the file's exclusive lock, which stays until the connection closes
// (or `release`): no other connection writes what the copy would miss.
int lock(sqlite3 *db) {
    int rc = sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? sqlite3_exec(db, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr) : rc;
}

// Gives back the lock a shared connection took for the copy.
void release(const StorePtr &store) {
    if (store->mode.exclusive) return;
    sqlite3_exec(store->db, "PRAGMA locking_mode=NORMAL; SELECT count(*) FROM sqlite_master", nullptr,
                 nullptr, nullptr);
}

}  // namespace

HRESULT change_key(const StorePtr &store, const std::u16string &password, const char *source) {
    if (password == store->password) return S_OK;
    // A transaction in progress belongs to this connection, which gives way
    // to one on the new file (recordsets prepare their statements again).
    if (!sqlite3_get_autocommit(store->db)) return fail(kInvalidOperation, source);
    const char *name = sqlite3_db_filename(store->db, "main");
    if (!name || !*name) return fail(kInvalidOperation, source);
    const std::string file = name, copy = file + kRekeyCopy;
    const std::u16string path = from_utf8(file.c_str()), copy_path = path + u(kRekeyCopy);
    sqlite3_set_authorizer(store->db, nullptr, nullptr);
    int rc = lock(store->db);
    if (rc == SQLITE_OK) rc = write_copy(store->db, copy, store->password, password);
    HRESULT hr = rc == SQLITE_OK                             ? S_OK
                 : rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? fail(kInUse, source, quoted(path))
                                                            : sqlite_failure(nullptr, rc, source);
    // The copy replaces the file; its folder is synced with the rename.
    const bool open_while_replaced = can_replace_open_file();
    if (SUCCEEDED(hr) && !open_while_replaced) store->close();
    if (SUCCEEDED(hr) && !MoveFileExW(as_wide(copy_path), as_wide(path),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = fail(GetLastError() == ERROR_SHARING_VIOLATION ? kInUse : kDiskError, source, quoted(path));
    // A move that failed after the rename (syncing the folder) still replaced the file.
    const bool replaced = SUCCEEDED(hr) || (rc == SQLITE_OK && GetFileAttributesW(as_wide(copy_path)) == INVALID_FILE_ATTRIBUTES);
    if (!replaced) {
        remove_sqlite_file(copy + kJournal);
        remove_sqlite_file(copy);
        if (store->db) {
            release(store);
            restrict_statements(store->db, true);
            return hr;
        }
    }
    // The connection comes back on the file as it now is, opened as before.
    store->close();
    const HRESULT reopened = reopen_store(store, path, replaced ? password : store->password, source);
    return FAILED(hr) ? hr : reopened;
}

}  // namespace dbengine
