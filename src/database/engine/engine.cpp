// The engine objects: DBEngine, Database, Recordset, QueryDef, TableDefs,
// TableDef, Fields and Field, over one SQLite connection per database.
//
// A recordset reads all its rows when it opens (rows stay in memory until
// it closes). It is editable when it is a dynaset or table recordset, not
// opened read-only, and every column comes from one table: its rows then
// carry their rowids, and Update writes through INSERT or UPDATE and reads
// the row back.
#include "database/engine/engine.h"

#include "database/engine/file_name.h"
#include "database/engine/sql_dialect.h"
#include "platform/win32.h"

#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace dbengine {
namespace {

// ---- errors ---------------------------------------------------------------

// The engine's error numbers, and the texts that go with them.
enum Number {
    kReserved = 3000,
    kUpdateWithoutEdit = 3020,
    kNoCurrentRecord = 3021,
    kDuplicate = 3022,
    kFileNotFound = 3024,
    kReadOnly = 3027,
    kBadPassword = 3031,
    kDiskError = 3043,
    kNoSelect = 3065,
    kNoInput = 3078,
    kSyntax = 3131,
    kTrailing = 3142,
    kFieldTooSmall = 3163,
    kDeleted = 3167,
    kExists = 3204,
    kInvalidOperation = 3219,
    kUnsupported = 3251,
    kLocked = 3260,
    kNotInCollection = 3265,
    kBadFormat = 3343,
    kOverflow = 3349,
    kObjectExists = 3012,
    kConversion = 3421,
    kClosed = 3420,
};

HRESULT code(int number) { return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number)); }

std::u16string u(const char *text) {
    std::u16string out;
    while (*text) out += static_cast<unsigned char>(*text++);
    return out;
}

std::u16string from_bstr(BSTR text) {
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text), SysStringLen(text))
                : std::u16string();
}

BSTR to_bstr(const std::u16string &text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()),
                             static_cast<UINT>(text.size()));
}

// Sets the thread's error information and answers the failure.
HRESULT fail(HRESULT hr, const std::u16string &description, const char *source) {
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        std::u16string from = u(source);
        create->SetDescription(reinterpret_cast<LPOLESTR>(const_cast<char16_t *>(description.c_str())));
        create->SetSource(reinterpret_cast<LPOLESTR>(const_cast<char16_t *>(from.c_str())));
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(create->QueryInterface(__uuidof(IErrorInfo), reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return hr;
}

HRESULT fail(Number number, const std::u16string &description, const char *source) {
    return fail(code(number), description, source);
}

std::u16string quoted(const std::u16string &name) {
    return u"'" + name + u"'";
}

// SQLite's result as an engine error.
HRESULT sqlite_failure(sqlite3 *db, int rc, const char *source) {
    std::u16string message = db ? reinterpret_cast<const char16_t *>(sqlite3_errmsg16(db))
                                : u(sqlite3_errstr(rc));
    Number number = kReserved;
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT: number = kDuplicate; break;
    case SQLITE_READONLY: number = kReadOnly; break;
    case SQLITE_BUSY: case SQLITE_LOCKED: number = kLocked; break;
    case SQLITE_CORRUPT: case SQLITE_NOTADB: number = kBadFormat; break;
    case SQLITE_IOERR: case SQLITE_FULL: case SQLITE_CANTOPEN: number = kDiskError; break;
    case SQLITE_ERROR: number = kSyntax; break;
    case SQLITE_NOMEM: return fail(E_OUTOFMEMORY, message, source);
    }
    return fail(number, message, source);
}

// VariantChangeType with flags 0 (its source is not const in every SDK).
HRESULT change_type(VARIANT *target, const VARIANT &source, VARTYPE type) {
    return VariantChangeType(target, const_cast<VARIANT *>(&source), 0, type);
}

bool equal_names(const std::u16string &a, const std::u16string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

std::u16string identifier(const std::u16string &name) {
    std::u16string out = u"\"";
    for (char16_t c : name) {
        out += c;
        if (c == '"') out += c;
    }
    return out + u"\"";
}

// ---- the connection ---------------------------------------------------------

struct Statement {
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

struct Store {
    sqlite3 *db = nullptr;
    bool read_only = false;
    std::u16string password;  // what the file is encrypted under; empty: not encrypted
    ~Store() { close(); }
    void close() {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
};
using StorePtr = std::shared_ptr<Store>;

HRESULT check_open(const StorePtr &store, const char *source) {
    return store && store->db ? S_OK
                              : fail(kClosed, u"Object invalid or no longer set.", source);
}

// Prepares one statement of the engine's dialect; text after it is refused.
HRESULT prepare(const StorePtr &store, const std::u16string &jet, Statement *statement,
                const char *source) {
    HRESULT hr = check_open(store, source);
    if (FAILED(hr)) return hr;
    std::u16string sql;
    std::string why;
    if (!translate_sql(jet, &sql, &why))
        return fail(kSyntax, u"Syntax error (" + u(why.c_str()) + u") in " + quoted(jet) + u".", source);
    const void *tail = nullptr;
    int rc = sqlite3_prepare16_v2(store->db, sql.c_str(), static_cast<int>(sql.size() * 2),
                                  &statement->handle, &tail);
    if (rc != SQLITE_OK) return sqlite_failure(store->db, rc, source);
    if (!statement->handle) return fail(kSyntax, u"Invalid SQL statement: " + quoted(jet) + u".", source);
    for (auto *rest = static_cast<const char16_t *>(tail); rest && *rest; ++rest)
        if (*rest != ' ' && *rest != '\t' && *rest != '\r' && *rest != '\n' && *rest != ';')
            return fail(kTrailing, u"Characters found after end of SQL statement.", source);
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

// A password protects the file at rest: with one, every page is encrypted
// in SQLCipher 4's scheme (AES-256-CBC with an HMAC-SHA512 per page, the key
// drawn from the password's UTF-8 bytes by PBKDF2-HMAC-SHA512, 256,000
// rounds), so SQLCipher's own tools open such a file with the same password.
// Without one the file is a plain SQLite database.
std::string password_key(const std::u16string &password) {
    if (password.empty()) return {};
    const WCHAR *wide = reinterpret_cast<const WCHAR *>(password.c_str());
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

// What a file's first bytes say: a plain SQLite database; whole pages
// without the plain header, which is what an encrypted one looks like (and
// what a file that fails to open then gets reported as: a wrong password);
// or anything else.
enum class Look { kPlain, kEncrypted, kOther };
Look file_look(sqlite3 *db) {
    sqlite3_file *file = nullptr;
    sqlite3_int64 size = 0;
    char head[16] = {};
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK || size == 0 ||
        file->pMethods->xRead(file, head, sizeof head, 0) != SQLITE_OK)
        return Look::kOther;
    if (std::memcmp(head, "SQLite format 3", 16) == 0) return Look::kPlain;
    return size % 512 == 0 ? Look::kEncrypted : Look::kOther;
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

int authorize(void *, int action, const char *name, const char *, const char *, const char *) {
    if (action == SQLITE_ATTACH || action == SQLITE_DETACH) return SQLITE_DENY;
    if (action == SQLITE_PRAGMA) return name && std::strcmp(name, "table_info") == 0 ? SQLITE_OK : SQLITE_DENY;
    return SQLITE_OK;
}

// Encrypts the open file under a new password (none: decrypts it). The
// cipher rewrites the file outside WAL mode, and the statements it runs are
// its own, not the caller's.
HRESULT change_key(const StorePtr &store, const std::u16string &password, const char *source) {
    sqlite3_set_authorizer(store->db, nullptr, nullptr);
    const std::string key = password_key(password);
    use_sqlcipher4(store->db);
    HRESULT hr = exec(store, "PRAGMA journal_mode=DELETE", source);
    if (SUCCEEDED(hr)) {
        int rc = sqlite3_rekey_v2(store->db, "main", key.data(), static_cast<int>(key.size()));
        hr = rc == SQLITE_OK ? S_OK : sqlite_failure(store->db, rc, source);
        if (SUCCEEDED(hr)) store->password = password;
    }
    HRESULT wal = exec(store, "PRAGMA journal_mode=WAL", source);
    sqlite3_set_authorizer(store->db, authorize, nullptr);
    return FAILED(hr) ? hr : wal;
}

HRESULT open_store(const std::u16string &path, bool create, bool read_only,
                   const std::u16string &password, StorePtr *out, const char *source) {
    std::string file;
    if (path.empty() || !sqlite_file_name(path, &file))
        return fail(kFileNotFound, u"Could not find file " + quoted(path) + u".", source);
    auto store = std::make_shared<Store>();
    int rc = sqlite3_open_v2(file.c_str(), &store->db,
                             read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (create) {
        if (rc == SQLITE_OK) return fail(kExists, u"Database already exists.", source);
        store->close();
        rc = sqlite3_open_v2(file.c_str(), &store->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
        if (rc != SQLITE_OK) return sqlite_failure(store->db, rc, source);
    } else if (rc != SQLITE_OK) {
        store->close();
        return fail(kFileNotFound, u"Could not find file " + quoted(path) + u".", source);
    }
    store->read_only = read_only;
    sqlite3_busy_timeout(store->db, 2000);
    sqlite3_extended_result_codes(store->db, 0);
    // A file that is not encrypted opens with any password, as it always did.
    const Look look = create ? Look::kOther : file_look(store->db);
    if (!password.empty() && look != Look::kPlain) {
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
    if (rc != SQLITE_OK && look == Look::kEncrypted)
        return fail(kBadPassword, u"Not a valid password.", source);
    if (rc != SQLITE_OK)
        return fail(kBadFormat, u"Unrecognized database format " + quoted(path) + u".", source);
    HRESULT hr = S_OK;
    if (create) {
        // WAL: a writer that dies mid-transaction leaves the last commit intact.
        hr = exec(store, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                         "CREATE TABLE MSysQuorvel(Name TEXT PRIMARY KEY, Value);"
                         "CREATE TABLE MSysQuorvelQueries(Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT);",
                  source);
    } else {
        hr = exec(store, "PRAGMA synchronous=NORMAL", source);
    }
    // Statements may not reach other files nor change how this one is kept.
    if (SUCCEEDED(hr)) sqlite3_set_authorizer(store->db, authorize, nullptr);
    if (SUCCEEDED(hr)) *out = std::move(store);
    return hr;
}

bool is_system_table(const std::u16string &name) {
    return equal_names(name.substr(0, 11), u"MSysQuorvel") || equal_names(name.substr(0, 7), u"sqlite_");
}

// ---- values -------------------------------------------------------------------

struct Value {
    int type = SQLITE_NULL;
    sqlite3_int64 whole = 0;
    double real = 0;
    std::u16string text;
    std::vector<unsigned char> bytes;
};

Value column_value(sqlite3_stmt *s, int i) {
    Value v;
    v.type = sqlite3_column_type(s, i);
    switch (v.type) {
    case SQLITE_INTEGER: v.whole = sqlite3_column_int64(s, i); break;
    case SQLITE_FLOAT: v.real = sqlite3_column_double(s, i); break;
    case SQLITE_TEXT: {
        auto *text = static_cast<const char16_t *>(sqlite3_column_text16(s, i));
        v.text.assign(text ? text : u"", static_cast<size_t>(sqlite3_column_bytes16(s, i)) / 2);
        break;
    }
    case SQLITE_BLOB: {
        auto *data = static_cast<const unsigned char *>(sqlite3_column_blob(s, i));
        v.bytes.assign(data, data + sqlite3_column_bytes(s, i));
        break;
    }
    }
    return v;
}

int bind(sqlite3_stmt *s, int i, const Value &v) {
    switch (v.type) {
    case SQLITE_INTEGER: return sqlite3_bind_int64(s, i, v.whole);
    case SQLITE_FLOAT: return sqlite3_bind_double(s, i, v.real);
    case SQLITE_TEXT:
        return sqlite3_bind_text16(s, i, v.text.data(), static_cast<int>(v.text.size() * 2), SQLITE_TRANSIENT);
    case SQLITE_BLOB:
        return sqlite3_bind_blob(s, i, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
    default: return sqlite3_bind_null(s, i);
    }
}

SAFEARRAY *byte_array(const unsigned char *data, size_t count) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(count));
    if (array && count) std::memcpy(array->pvData, data, count);
    return array;
}

// The value as the engine's VARIANT for the column's kind.
HRESULT to_variant(const Value &v, FieldKind kind, VARIANT *out, const char *source) {
    VariantInit(out);
    switch (v.type) {
    case SQLITE_NULL: out->vt = VT_NULL; return S_OK;
    case SQLITE_INTEGER:
        switch (kind) {
        case FieldKind::Short: out->vt = VT_I2; out->iVal = static_cast<short>(v.whole); return S_OK;
        case FieldKind::Byte: out->vt = VT_UI1; out->bVal = static_cast<BYTE>(v.whole); return S_OK;
        case FieldKind::Boolean: out->vt = VT_BOOL; out->boolVal = v.whole ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
        case FieldKind::Double: out->vt = VT_R8; out->dblVal = static_cast<double>(v.whole); return S_OK;
        case FieldKind::Single: out->vt = VT_R4; out->fltVal = static_cast<float>(v.whole); return S_OK;
        case FieldKind::Currency: out->vt = VT_CY; out->cyVal.int64 = v.whole * 10000; return S_OK;
        case FieldKind::Date: out->vt = VT_DATE; out->date = static_cast<double>(v.whole); return S_OK;
        default:
            if (v.whole >= INT32_MIN && v.whole <= INT32_MAX) {
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(v.whole);
            } else {
                out->vt = VT_I8;
                out->llVal = v.whole;
            }
            return S_OK;
        }
    case SQLITE_FLOAT:
        switch (kind) {
        case FieldKind::Single: out->vt = VT_R4; out->fltVal = static_cast<float>(v.real); return S_OK;
        case FieldKind::Currency: out->vt = VT_CY; out->cyVal.int64 = std::llround(v.real * 10000); return S_OK;
        case FieldKind::Date: out->vt = VT_DATE; out->date = v.real; return S_OK;
        default: out->vt = VT_R8; out->dblVal = v.real; return S_OK;
        }
    case SQLITE_TEXT:
        if (kind == FieldKind::Binary) {
            out->parray = byte_array(reinterpret_cast<const unsigned char *>(v.text.data()), v.text.size() * 2);
            out->vt = VT_ARRAY | VT_UI1;
            return out->parray ? S_OK : fail(E_OUTOFMEMORY, u"Out of memory.", source);
        }
        out->bstrVal = to_bstr(v.text);
        out->vt = VT_BSTR;
        return out->bstrVal ? S_OK : fail(E_OUTOFMEMORY, u"Out of memory.", source);
    default:
        out->parray = byte_array(v.bytes.data(), v.bytes.size());
        out->vt = VT_ARRAY | VT_UI1;
        return out->parray ? S_OK : fail(E_OUTOFMEMORY, u"Out of memory.", source);
    }
}

// A VARIANT written to a column of the given kind and size.
HRESULT from_variant(const VARIANT &in, const ColumnType &type, Value *out, const char *source) {
    const std::u16string conversion = u"Data type conversion error.";
    *out = Value();
    if (in.vt == VT_NULL || in.vt == VT_EMPTY) return S_OK;
    if (in.vt == (VT_ARRAY | VT_UI1)) {
        if (type.kind != FieldKind::Binary && type.kind != FieldKind::Other && type.kind != FieldKind::Memo)
            return fail(kConversion, conversion, source);
        out->type = SQLITE_BLOB;
        if (in.parray) {
            auto *data = static_cast<const unsigned char *>(in.parray->pvData);
            out->bytes.assign(data, data + in.parray->rgsabound[0].cElements);
        }
        return S_OK;
    }
    if (in.vt & (VT_ARRAY | VT_BYREF)) return fail(kConversion, conversion, source);
    VARIANT converted;
    VariantInit(&converted);
    switch (type.kind) {
    case FieldKind::Text: case FieldKind::Memo: {
        if (in.vt == VT_BSTR) {
            out->text = from_bstr(in.bstrVal);
        } else {
            if (FAILED(change_type(&converted, in, VT_BSTR))) return fail(kConversion, conversion, source);
            out->text = from_bstr(converted.bstrVal);
            VariantClear(&converted);
        }
        if (type.kind == FieldKind::Text && type.size > 0 && out->text.size() > static_cast<size_t>(type.size))
            return fail(kFieldTooSmall,
                        u"The field is too small to accept the amount of data you attempted to add.", source);
        out->type = SQLITE_TEXT;
        return S_OK;
    }
    case FieldKind::Long: case FieldKind::Short: case FieldKind::Byte: case FieldKind::Counter:
    case FieldKind::Boolean: {
        if (FAILED(change_type(&converted, in, VT_I8))) return fail(kConversion, conversion, source);
        const sqlite3_int64 n = converted.llVal;
        const bool fits = type.kind == FieldKind::Short ? n >= -32768 && n <= 32767
                          : type.kind == FieldKind::Byte ? n >= 0 && n <= 255
                          : type.kind == FieldKind::Boolean ? true
                                                            : n >= INT32_MIN && n <= INT32_MAX;
        if (!fits) return fail(kOverflow, u"Numeric field overflow.", source);
        out->type = SQLITE_INTEGER;
        out->whole = type.kind == FieldKind::Boolean ? (n ? -1 : 0) : n;
        return S_OK;
    }
    case FieldKind::Double: case FieldKind::Single: case FieldKind::Currency: case FieldKind::Date:
        if (in.vt == VT_CY) {
            out->real = static_cast<double>(in.cyVal.int64) / 10000.0;
        } else if (in.vt == VT_DATE) {
            out->real = in.date;
        } else {
            if (FAILED(change_type(&converted, in, VT_R8))) return fail(kConversion, conversion, source);
            out->real = converted.dblVal;
        }
        out->type = SQLITE_FLOAT;
        return S_OK;
    case FieldKind::Binary:
        return fail(kConversion, conversion, source);
    default:
        switch (in.vt) {
        case VT_BSTR: out->type = SQLITE_TEXT; out->text = from_bstr(in.bstrVal); return S_OK;
        case VT_R4: out->type = SQLITE_FLOAT; out->real = in.fltVal; return S_OK;
        case VT_R8: case VT_DATE: out->type = SQLITE_FLOAT; out->real = in.dblVal; return S_OK;
        case VT_CY: out->type = SQLITE_FLOAT; out->real = static_cast<double>(in.cyVal.int64) / 10000.0; return S_OK;
        case VT_BOOL: out->type = SQLITE_INTEGER; out->whole = in.boolVal ? -1 : 0; return S_OK;
        default:
            if (FAILED(change_type(&converted, in, VT_I8))) return fail(kConversion, conversion, source);
            out->type = SQLITE_INTEGER;
            out->whole = converted.llVal;
            return S_OK;
        }
    }
}

// ---- COM plumbing ---------------------------------------------------------------

// IUnknown, IDispatch (not offered: E_NOTIMPL) and ISupportErrorInfo for
// one engine interface. Every failure of these objects carries error
// information, so ISupportErrorInfo says yes for the object's interface.
template <class Interface> class Object : public Interface, public ISupportErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(Interface) ||
            also_offers(riid)) {
            *object = static_cast<Interface *>(this);
        } else if (riid == __uuidof(ISupportErrorInfo)) {
            *object = static_cast<ISupportErrorInfo *>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == __uuidof(Interface) || also_offers(riid) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return not_implemented();
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        return not_implemented();
    }

protected:
    explicit Object(const char *source) : source_(source) {}
    virtual ~Object() = default;
    virtual bool also_offers(REFIID) const { return false; }
    HRESULT not_implemented() const {
        return fail(E_NOTIMPL, u"This operation is not offered by this engine.", source_);
    }
    const char *source_;

private:
    std::atomic<ULONG> references_{1};
};

#define NOTIMPL(n) \
    HRESULT STDMETHODCALLTYPE unused_##n() override { return not_implemented(); }

template <class Interface> class DaoObject : public Object<Interface> {
public:
    HRESULT STDMETHODCALLTYPE get_Properties(IDispatch **) override { return this->not_implemented(); }

protected:
    using Object<Interface>::Object;
};

template <class T> HRESULT hand_out(T *object, T **out) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

// ---- recordsets, fields ---------------------------------------------------------

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

// The position of an item of a collection: a number from 0 or a name.
HRESULT find_item(const VARIANT &item, size_t count,
                  const std::vector<std::u16string> &names, size_t *index, const char *source) {
    const std::u16string missing = u"Item not found in this collection.";
    if (item.vt == VT_BSTR) {
        const std::u16string name = from_bstr(item.bstrVal);
        for (size_t i = 0; i < names.size(); ++i)
            if (equal_names(names[i], name)) {
                *index = i;
                return S_OK;
            }
        return fail(kNotInCollection, missing, source);
    }
    VARIANT number;
    VariantInit(&number);
    if (FAILED(change_type(&number, item, VT_I4)) || number.lVal < 0 ||
        static_cast<size_t>(number.lVal) >= count)
        return fail(kNotInCollection, missing, source);
    *index = static_cast<size_t>(number.lVal);
    return S_OK;
}

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
        mode_ = EditMode::Edit;
        pending_ = rows_[static_cast<size_t>(position_)].values;
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
            return fail(kNoCurrentRecord, u"No current record.", source_);
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
            return fail(kUpdateWithoutEdit, u"Update or CancelUpdate without AddNew or Edit.", "Quorvel.Field");
        pending_[index] = std::move(v);
        touched_[index] = true;
        return S_OK;
    }
    // The first chunk after AddNew or Edit replaces the value; later ones append.
    HRESULT append(size_t index, const unsigned char *data, size_t count) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (mode_ == EditMode::None)
            return fail(kUpdateWithoutEdit, u"Update or CancelUpdate without AddNew or Edit.", "Quorvel.Field");
        Value &v = pending_[index];
        if (!touched_[index] || v.type != SQLITE_BLOB) v = Value();
        v.type = SQLITE_BLOB;
        v.bytes.insert(v.bytes.end(), data, data + count);
        touched_[index] = true;
        return S_OK;
    }

private:
    HRESULT usable() const {
        return closed_ ? fail(kClosed, u"Object invalid or no longer set.", source_) : check_open(store_, source_);
    }
    HRESULT writable() const {
        HRESULT hr = usable();
        if (SUCCEEDED(hr) && (!updatable_ || table_.empty() || store_->read_only))
            hr = fail(kReadOnly, u"Cannot update. Database or object is read-only.", source_);
        return hr;
    }
    HRESULT current() const {
        if (position_ < 0 || position_ >= static_cast<long>(rows_.size()))
            return fail(kNoCurrentRecord, u"No current record.", source_);
        if (rows_[static_cast<size_t>(position_)].deleted) return fail(kDeleted, u"Record is deleted.", source_);
        return S_OK;
    }
    HRESULT move_to(long target) {
        HRESULT hr = usable();
        if (FAILED(hr)) return hr;
        if (forward_only_)
            return fail(kUnsupported, u"Operation is not supported for this type of object.", source_);
        // The first or last row that is not deleted.
        long i = target;
        if (target == 0) {
            while (i < static_cast<long>(rows_.size()) && rows_[static_cast<size_t>(i)].deleted) ++i;
            if (i >= static_cast<long>(rows_.size())) i = -1;
        } else {
            while (i >= 0 && rows_[static_cast<size_t>(i)].deleted) --i;
        }
        if (i < 0) return fail(kNoCurrentRecord, u"No current record.", source_);
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

HRESULT RecordsetObject::reread(Row *row) {
    std::u16string sql = u"SELECT ";
    for (size_t i = 0; i < columns_.size(); ++i)
        sql += (i ? u"," : u"") + identifier(columns_[i].origin);
    sql += u" FROM " + identifier(table_) + u" WHERE rowid=?";
    Statement s;
    int rc = sqlite3_prepare16_v2(store_->db, sql.c_str(), -1, &s.handle, nullptr);
    if (rc != SQLITE_OK) return sqlite_failure(store_->db, rc, source_);
    sqlite3_bind_int64(s.handle, 1, row->rowid);
    rc = sqlite3_step(s.handle);
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? S_OK : sqlite_failure(store_->db, rc, source_);
    row->values.clear();
    for (size_t i = 0; i < columns_.size(); ++i) row->values.push_back(column_value(s.handle, static_cast<int>(i)));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordsetObject::Update(LONG, VARIANT_BOOL) {
    HRESULT hr = usable();
    if (FAILED(hr)) return hr;
    if (mode_ == EditMode::None)
        return fail(kUpdateWithoutEdit, u"Update or CancelUpdate without AddNew or Edit.", source_);
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
    if (mode_ == EditMode::Edit) sqlite3_bind_int64(s.handle, slot, rows_[static_cast<size_t>(position_)].rowid);
    hr = run(store_, s.handle, source_);
    if (FAILED(hr)) return hr;  // still editing: the caller may correct and retry
    if (mode_ == EditMode::AddNew) {
        // A dynaset shows its new rows at its end.
        Row row;
        row.rowid = sqlite3_last_insert_rowid(store_->db);
        row.values = pending_;
        hr = reread(&row);
        rows_.push_back(std::move(row));
    } else {
        hr = reread(&rows_[static_cast<size_t>(position_)]);
    }
    mode_ = EditMode::None;
    return hr;
}

FieldsObject::FieldsObject(RecordsetObject *records, std::vector<Column> columns)
    : Object<Fields>("Quorvel.Fields"), records_(records), columns_(std::move(columns)) {
    if (records_) records_->AddRef();
}
FieldsObject::~FieldsObject() {
    if (records_) records_->Release();
}

HRESULT STDMETHODCALLTYPE FieldsObject::get_Item(VARIANT item, _Field **field) {
    std::vector<std::u16string> names;
    for (const Column &c : columns_) names.push_back(c.name);
    size_t index;
    HRESULT hr = find_item(item, columns_.size(), names, &index, source_);
    if (FAILED(hr)) return hr;
    return hand_out<_Field>(new FieldObject(records_, index, columns_[index]), field);
}

FieldObject::FieldObject(RecordsetObject *records, size_t index, const Column &column)
    : DaoObject<_Field>("Quorvel.Field"), records_(records), index_(index), column_(column) {
    if (records_) records_->AddRef();
}
FieldObject::~FieldObject() {
    if (records_) records_->Release();
}

HRESULT STDMETHODCALLTYPE FieldObject::get_Name(BSTR *name) {
    if (!name) return E_POINTER;
    *name = to_bstr(column_.name);
    return *name ? S_OK : fail(E_OUTOFMEMORY, u"Out of memory.", source_);
}

HRESULT STDMETHODCALLTYPE FieldObject::get_Value(VARIANT *value) {
    if (!value) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, u"Invalid operation.", source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    return SUCCEEDED(hr) ? to_variant(*v, column_.type.kind, value, source_) : hr;
}

HRESULT STDMETHODCALLTYPE FieldObject::put_Value(VARIANT value) {
    if (!records_) return fail(kInvalidOperation, u"Invalid operation.", source_);
    Value v;
    HRESULT hr = from_variant(value, column_.type, &v, source_);
    return SUCCEEDED(hr) ? records_->set(index_, std::move(v)) : hr;
}

HRESULT STDMETHODCALLTYPE FieldObject::AppendChunk(VARIANT value) {
    if (!records_) return fail(kInvalidOperation, u"Invalid operation.", source_);
    if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray)
        return fail(kConversion, u"Data type conversion error.", source_);
    return records_->append(index_, static_cast<const unsigned char *>(value.parray->pvData),
                            value.parray->rgsabound[0].cElements);
}

namespace {
// The bytes of a long value: a binary's own, a text's UTF-16 units.
const unsigned char *value_bytes(const Value &v, size_t *count) {
    if (v.type == SQLITE_BLOB) {
        *count = v.bytes.size();
        return v.bytes.data();
    }
    if (v.type == SQLITE_TEXT) {
        *count = v.text.size() * 2;
        return reinterpret_cast<const unsigned char *>(v.text.data());
    }
    *count = 0;
    return nullptr;
}
}  // namespace

HRESULT STDMETHODCALLTYPE FieldObject::get_FieldSize(LONG *size) {
    if (!size) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, u"Invalid operation.", source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    if (FAILED(hr)) return hr;
    size_t count;
    value_bytes(*v, &count);
    *size = static_cast<LONG>(count);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FieldObject::GetChunk(LONG offset, LONG bytes, VARIANT *value) {
    if (!value) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, u"Invalid operation.", source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    if (FAILED(hr)) return hr;
    if (offset < 0 || bytes < 0) return fail(kReserved, u"Invalid argument.", source_);
    size_t count;
    const unsigned char *data = value_bytes(*v, &count);
    VariantInit(value);
    if (v->type == SQLITE_NULL) {
        value->vt = VT_NULL;
        return S_OK;
    }
    const size_t from = std::min(count, static_cast<size_t>(offset));
    const size_t take = std::min(count - from, static_cast<size_t>(bytes));
    value->parray = byte_array(data + from, take);
    if (!value->parray) return fail(E_OUTOFMEMORY, u"Out of memory.", source_);
    value->vt = VT_ARRAY | VT_UI1;
    return S_OK;
}

// ---- schema, queries --------------------------------------------------------------

std::vector<Column> table_columns(const StorePtr &store, const std::u16string &table) {
    std::vector<Column> columns;
    Statement s;
    const std::u16string sql = u"PRAGMA table_info(" + identifier(table) + u")";
    if (sqlite3_prepare16_v2(store->db, sql.c_str(), -1, &s.handle, nullptr) != SQLITE_OK) return columns;
    while (sqlite3_step(s.handle) == SQLITE_ROW) {
        Column c;
        c.name = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 1));
        auto *declared = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 2));
        c.type = column_type(declared ? declared : u"");
        columns.push_back(std::move(c));
    }
    return columns;
}

class TableDefObject final : public DaoObject<_TableDef> {
public:
    TableDefObject(StorePtr store, std::u16string name)
        : DaoObject<_TableDef>("Quorvel.TableDef"), store_(std::move(store)), name_(std::move(name)) {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(8) NOTIMPL(9)
    NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14) NOTIMPL(15) NOTIMPL(16)
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *name) override {
        if (!name) return E_POINTER;
        *name = to_bstr(name_);
        return *name ? S_OK : fail(E_OUTOFMEMORY, u"Out of memory.", source_);
    }
    HRESULT STDMETHODCALLTYPE get_Fields(Fields **fields) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        return hand_out<Fields>(new FieldsObject(nullptr, table_columns(store_, name_)), fields);
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

bool first_word_is(const std::u16string &text, const char16_t *word) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' || text[i] == '('))
        ++i;
    size_t n = std::char_traits<char16_t>::length(word);
    return equal_names(text.substr(i, n), word) && (i + n == text.size() || !(
        (text[i + n] >= 'A' && text[i + n] <= 'Z') || (text[i + n] >= 'a' && text[i + n] <= 'z') ||
        (text[i + n] >= '0' && text[i + n] <= '9') || text[i + n] == '_'));
}

bool contains_word(const std::u16string &text, const char16_t *word) {
    for (size_t i = 0; i < text.size(); ++i)
        if ((i == 0 || text[i - 1] == ' ' || text[i - 1] == '\n' || text[i - 1] == '\t') &&
            first_word_is(text.substr(i), word))
            return true;
    return false;
}

constexpr LONG kOpenTable = 1, kOpenDynaset = 2, kOpenForwardOnly = 8;
constexpr LONG kReadOnlyOption = 4, kForwardOnlyOption = 256;

LONG variant_long(const VARIANT &v, LONG missing) {
    VARIANT n;
    VariantInit(&n);
    if (v.vt == VT_ERROR || v.vt == VT_EMPTY || FAILED(change_type(&n, v, VT_I4))) return missing;
    return n.lVal;
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
        return fail(kNoInput, u"Not a query that returns records: " + quoted(select) + u".", source);

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
            hr = records->load(with_rowid.handle, table, columns);
        } else {
            one_table = false;
        }
    }
    if (!one_table) hr = records->load(s.handle, u"", columns);
    if (FAILED(hr)) {
        records->Release();
        return hr;
    }
    return hand_out<Recordset>(records, out);
}

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
        return hand_out<TableDefs>(new TableDefsObject(store_), tableDefs);
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        HRESULT hr = check_open(store_, source_);
        if (SUCCEEDED(hr)) store_->close();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Execute(BSTR query, VARIANT) override {
        const std::u16string text = from_bstr(query);
        Statement s;
        HRESULT hr = prepare(store_, text, &s, source_);
        if (FAILED(hr)) return hr;
        if (sqlite3_column_count(s.handle) > 0 && sqlite3_stmt_readonly(s.handle))
            return fail(kNoSelect, u"Cannot execute a select query.", source_);
        if (store_->read_only && !sqlite3_stmt_readonly(s.handle))
            return fail(kReadOnly, u"Cannot update. Database or object is read-only.", source_);
        return run(store_, s.handle, source_);
    }
    HRESULT STDMETHODCALLTYPE CreateQueryDef(VARIANT name, VARIANT sqlText, _QueryDef **queryDef) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        if (name.vt != VT_BSTR || sqlText.vt != VT_BSTR)
            return fail(kConversion, u"Data type conversion error.", source_);
        const std::u16string query = from_bstr(name.bstrVal), sql = from_bstr(sqlText.bstrVal);
        std::u16string existing;
        if (query.empty()) return fail(kReserved, u"Invalid argument.", source_);
        if (stored_query(store_, query, &existing))
            return fail(kObjectExists, u"Object " + quoted(query) + u" already exists.", source_);
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
        return hand_out<_QueryDef>(new QueryDefObject(store_, sql), queryDef);
    }
    HRESULT STDMETHODCALLTYPE OpenQueryDef(BSTR name, _QueryDef **queryDef) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        std::u16string sql;
        if (!stored_query(store_, from_bstr(name), &sql))
            return fail(kNotInCollection, u"Item not found in this collection.", source_);
        return hand_out<_QueryDef>(new QueryDefObject(store_, sql), queryDef);
    }
    HRESULT STDMETHODCALLTYPE NewPassword(BSTR oldPassword, BSTR newPassword) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        if (store_->read_only) return fail(kReadOnly, u"Cannot update. Database or object is read-only.", source_);
        if (from_bstr(oldPassword) != store_->password)
            return fail(kBadPassword, u"Not a valid password.", source_);
        return change_key(store_, from_bstr(newPassword), source_);
    }
    HRESULT STDMETHODCALLTYPE OpenRecordset(BSTR name, VARIANT type, VARIANT options, VARIANT,
                                            Recordset **recordset) override {
        HRESULT hr = check_open(store_, source_);
        if (FAILED(hr)) return hr;
        std::u16string source = from_bstr(name), sql;
        if (first_word_is(source, u"SELECT")) {
            sql = source;
        } else if (stored_query(store_, source, &sql)) {
        } else if (table_columns(store_, source).empty()) {
            return fail(kNoInput, u"The database engine cannot find the input table or query " +
                                      quoted(source) + u".", source_);
        } else {
            sql = u"SELECT * FROM " + identifier(source);
        }
        return open_recordset(store_, sql, type, options, recordset, source_);
    }

private:
    StorePtr store_;
};

class EngineObject final : public DaoObject<_DBEngine> {
public:
    EngineObject() : DaoObject<_DBEngine>("Quorvel.DBEngine") {}
    NOTIMPL(1) NOTIMPL(2) NOTIMPL(3) NOTIMPL(4) NOTIMPL(5) NOTIMPL(6) NOTIMPL(7) NOTIMPL(8)
    NOTIMPL(9) NOTIMPL(10) NOTIMPL(11) NOTIMPL(12) NOTIMPL(13) NOTIMPL(14)
    HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR name, VARIANT, VARIANT readOnly, VARIANT connect,
                                           Database **database) override {
        const std::u16string password =
            connect.vt == VT_BSTR ? connect_password(from_bstr(connect.bstrVal)) : std::u16string();
        StorePtr store;
        HRESULT hr = open_store(from_bstr(name), false, variant_long(readOnly, 0) != 0, password, &store, source_);
        return SUCCEEDED(hr) ? hand_out<Database>(new DatabaseObject(store), database) : hr;
    }
    HRESULT STDMETHODCALLTYPE CreateDatabase(BSTR name, BSTR locale, VARIANT, Database **database) override {
        StorePtr store;
        HRESULT hr = open_store(from_bstr(name), true, false, connect_password(from_bstr(locale)), &store, source_);
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
