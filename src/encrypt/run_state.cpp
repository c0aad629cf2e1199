// Option globals, callback registrations and the log file.
#include "encrypt/run_state.h"

#include "files/long_form.h"

#include <quorvel/fl.h>
#include <quorvel/paths.h>

#include <cinttypes>
#include <cstdio>
#include <vector>

unsigned char g_cEncryptType = 0;
unsigned char g_cOutFolder = 0;
unsigned char g_cOutName = 0;
unsigned char g_cSubFolder = 0;
unsigned char g_cSystemFolder = 0;
unsigned char g_cEncFolder = 0;
unsigned char g_cOnlyFolder = 0;
unsigned char g_cVerify = 0;
unsigned char g_cHideFile = 0;
unsigned char g_cOutputLog = 0;
unsigned char g_cExistFolder = 0;
unsigned char g_cDeleteOrg = 0;
unsigned char g_cSkipError = 1;
unsigned short g_szEncWork[QUORVEL_MAX_TEXT];

namespace encrypt {
namespace {

void *g_log = nullptr;

void write_line(const char *head, const unsigned short *path) {
    if (!g_log) return;
    std::vector<unsigned char> bytes;
    auto put = [&bytes](unsigned short unit) {
        bytes.push_back(static_cast<unsigned char>(unit));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    };
    for (; *head; ++head) put(static_cast<unsigned char>(*head));
    for (; path && *path; ++path) put(*path);
    put('\n');
    Fl_Write(g_log, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

Callbacks &callbacks() {
    static Callbacks registered;
    return registered;
}

// The POSIX layer refuses the link at the open; Windows opens the link
// itself, which is refused here.
HANDLE open_unlinked(const std::u16string &path, bool folder, DWORD disposition, bool *created) {
    const files::LongPath long_path(path);
    if (!long_path) return nullptr;
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT |
                        (folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL);
    HANDLE handle = CreateFileW(as_wide(long_path.get()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                folder ? OPEN_EXISTING : disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    // A file the open made is neither a link nor anyone's read-only file.
    const bool made = !folder && GetLastError() != ERROR_ALREADY_EXISTS;
    if (created) *created = made;
    if (made) return handle;
    // Held without sharing, the name cannot change under the check.
    const DWORD attributes = GetFileAttributesW(as_wide(long_path.get()));
    DWORD refused = 0;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        refused = ERROR_CANT_ACCESS_FILE;
    // Windows refuses a read-only file to every writer; Wine run as root
    // does not, so the library asks too (OPEN_ALWAYS has cut nothing).
    else if (!folder && disposition != CREATE_ALWAYS && (attributes & FILE_ATTRIBUTE_READONLY))
        refused = ERROR_ACCESS_DENIED;
    if (refused) {
        CloseHandle(handle);
        SetLastError(refused);
        return nullptr;
    }
    return handle;
}

void open_log(const unsigned short *path) {
    close_log();
    g_log = path ? open_unlinked(std::u16string(as_u16(path)), false,
                                 CREATE_ALWAYS)
                 : nullptr;
}

void close_log() {
    Fl_Close(g_log);
    g_log = nullptr;
}

void log_file(unsigned level, int64_t size, const unsigned short *path) {
    char head[48];
    std::snprintf(head, sizeof head, "%03u [%12" PRId64 "] ", level, size);
    write_line(head, path);
}

void log_folder(unsigned level, const unsigned short *path) {
    char head[48];
    std::snprintf(head, sizeof head, "%03u [%12s] ", level, "");
    write_line(head, path);
}

}  // namespace encrypt

int Enc_FuncCallStart(ENC_FUNC_START callback) {
    encrypt::callbacks().start = callback;
    return 1;
}

int Enc_FuncCallResult(ENC_FUNC_RESULT callback) {
    encrypt::callbacks().result = callback;
    return 1;
}

int Enc_FuncCallLogging(ENC_FUNC_LOGGING callback) {
    encrypt::callbacks().logging = callback;
    return 1;
}

int Enc_FuncCallVerify(ENC_FUNC_VERIFY callback) {
    encrypt::callbacks().verify = callback;
    return 1;
}
