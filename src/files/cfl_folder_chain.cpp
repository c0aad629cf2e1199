// Cfl_CreateFolder: a folder and every missing folder above it.
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"
#include "platform/utf16.h"

namespace {

constexpr unsigned short kBackslash = '\\';

// Where the folders to make begin: past the server and share of a UNC
// path, or past "\\?\" and the drive of a long one, which are never made.
size_t first_to_make(const unsigned short *path, size_t length) {
    if (length <= 5 || path[0] != kBackslash || path[1] != kBackslash) return 0;
    size_t at = 2;
    for (int seen = 0; path[at] && seen < 2; ++at)
        if (path[at] == kBackslash) ++seen;
    return at;
}

}  // namespace

int Cfl_CreateFolder(const unsigned short *path) {
    if (!path) return 0;
    if (Cfl_IsExist(path)) return 1;
    const size_t length = platform::u16_length(path);
    unsigned short folder[QUORVEL_MAX_TEXT];
    if (length >= QUORVEL_MAX_TEXT) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        Err_Message(0);
        return 0;
    }
    size_t scan = first_to_make(path, length);
    if (scan >= length) {
        // Only a server and share (or a drive) that is not there: nothing
        // here may be made.
        SetLastError(Cfl_IsUNC(path) ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND);
        Err_Message(0);
        return 0;
    }
    for (;;) {
        size_t next = scan;
        while (path[next] && path[next] != kBackslash) ++next;
        for (size_t i = 0; i < next; ++i) folder[i] = path[i];
        folder[next] = 0;
        if (!Cfl_IsExist(folder)) {
            if (!files::long_form(folder, g_szCflWork)) {
                Err_Message(0);
                return 0;
            }
            if (!CreateDirectoryW(as_wide(g_szCflWork), nullptr)) {
                // A folder made meanwhile by someone else is no failure.
                const DWORD code = GetLastError();
                Err_Message(ERROR_ALREADY_EXISTS);
                if (code != ERROR_ALREADY_EXISTS) return 0;
            }
        }
        if (!path[next] || !path[next + 1]) return 1;
        scan = next + 1;
    }
}
