// quorvel sql [--create] [--password | --password-file FILE]
//             [--new-password-file FILE] DATABASE STATEMENT...:
// runs SQL statements on a database through the library's database
// functions, then gives it the new password when one is named. A SELECT
// prints its rows, one a line, the values separated by tabs (NULL for a null
// value). The first statement that fails is named on standard error with the
// engine's description; no later statement runs and the exit status is 1.
#include "command.h"
#include "host_path.h"
#include "password.h"

#include <quorvel/database.h>

#include "platform/ascii.h"
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool is_select(const std::u16string &sql) {
    const size_t start = sql.find_first_not_of(u" \t\r\n(");
    if (start == std::u16string::npos || sql.size() - start < 6) return false;
    std::u16string word = sql.substr(start, 6);
    for (char16_t &c : word) c = platform::ascii_upper(c);
    return word == u"SELECT";
}

// The rows of a recordset; false when it cannot be opened.
bool print_rows(DatabasePtr db, const std::u16string &sql) {
    RecordsetPtr records = Mdb_Select(db, 1, as_exported(sql));
    if (!records) return false;
    FieldsPtr fields;
    short columns = 0;
    if (FAILED(records->get_Fields(&fields)) || FAILED(fields->get_Count(&columns))) return false;
    for (LONG rows = Mdb_SelectCount(records); rows > 0; --rows) {
        std::string line;
        for (LONG i = 0; i < columns; ++i) {
            unsigned short *value = Mdb_GetColValue(records, i);
            line += (i ? "\t" : "") + (value ? cli::utf8(value) : std::string("NULL"));
            std::free(value);
        }
        std::printf("%s\n", line.c_str());
        if (rows > 1 && !Mdb_RecordNext(records)) return false;
    }
    Mdb_SelectClose(records);
    std::fflush(stdout);  // a reader of the pipe sees each statement's rows as it ends
    return true;
}

// The library's Mdb_ExecSql and Mdb_SetPassword give 0 whether they worked
// or not, so the command asks the engine itself: false, with the engine's
// description of the failure of `what` on standard error.
bool engine_call(HRESULT hr, const std::string &what) {
    if (SUCCEEDED(hr)) return true;
    std::string reason = "error " + std::to_string(static_cast<unsigned long>(hr));
    IErrorInfo *info = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        if (SUCCEEDED(info->GetDescription(&description)) && description)
            reason = cli::utf8(as_exported(description));
        SysFreeString(description);
        info->Release();
    }
    std::fprintf(stderr, "quorvel sql: %s failed: %s\n", what.c_str(), reason.c_str());
    return false;
}

// A BSTR copy of a text, freed at scope exit.
struct Bstr {
    BSTR text;
    explicit Bstr(const std::u16string &from) : text(SysAllocString(as_wide(from))) {}
    ~Bstr() { SysFreeString(text); }
};

bool execute(DatabasePtr db, const std::u16string &sql, const char *shown) {
    Bstr statement(sql);
    VARIANT no_options;
    VariantInit(&no_options);
    no_options.vt = VT_ERROR;
    no_options.scode = DISP_E_PARAMNOTFOUND;
    return engine_call(statement.text ? db->Execute(statement.text, no_options) : E_OUTOFMEMORY, shown);
}

bool change_password(DatabasePtr db, const std::u16string &old_password,
                     const std::u16string &new_password) {
    Bstr before(old_password), after(new_password);
    return engine_call(before.text && after.text ? db->NewPassword(before.text, after.text)
                                                 : E_OUTOFMEMORY,
                       "the password change");
}

int run_sql(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("sql", stdout);
    bool create = false, protect = false;
    std::string passwordFile, newPasswordFile;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--create") == 0) {
            create = true;
        } else if (std::strcmp(argv[i], "--password") == 0) {
            protect = true;
        } else if (std::strcmp(argv[i], "--password-file") == 0 && i + 1 < argc) {
            protect = true;
            passwordFile = argv[++i];
        } else if (std::strcmp(argv[i], "--new-password-file") == 0 && i + 1 < argc) {
            newPasswordFile = argv[++i];
        } else {
            return cli::show_usage("sql", stderr);
        }
    }
    if (i >= argc) return cli::show_usage("sql", stderr);
    std::u16string password, newPassword;
    if (protect && !cli::read_password("sql", passwordFile, create, password)) return 1;
    if (!newPasswordFile.empty() && !cli::read_password_file("sql", newPasswordFile, newPassword))
        return 1;
    const std::u16string path = cli::library_path(argv[i]);
    DatabasePtr db = create ? Mdb_CreateDatabase(as_exported(path), as_exported(password))
                            : Mdb_OpenDatabase(as_exported(path), as_exported(password));
    if (!db) {
        std::fprintf(stderr, "quorvel sql: cannot %s %s\n", create ? "create" : "open", argv[i]);
        return 1;
    }
    int status = 0;
    for (++i; i < argc && status == 0; ++i) {
        const std::u16string sql = cli::text_argument(argv[i]);
        if (is_select(sql)) {
            if (!print_rows(db, sql)) {
                std::fprintf(stderr, "quorvel sql: cannot read the rows of %s\n", argv[i]);
                status = 1;
            }
        } else if (!execute(db, sql, argv[i])) {
            status = 1;
        }
    }
    if (status == 0 && !newPasswordFile.empty() && !change_password(db, password, newPassword))
        status = 1;
    Mdb_CloseDatabase(db);
    return status;
}

}  // namespace

QUORVEL_COMMAND("sql",
                "[--create] [--password | --password-file FILE] [--new-password-file FILE] DATABASE "
                "STATEMENT...  run SQL statements on a database (made first with --create, "
                "protected by the password from FILE, QUORVEL_PASSWORD or the terminal), then "
                "change its password to the first line of the new FILE (empty: none); a SELECT "
                "prints its rows, values tab-separated",
                run_sql);
