// Cfl_CreateFolder: a folder and every missing folder above it.
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"
#include "platform/utf16.h"

#include <algorithm>

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

// The backslash before the path's last folder (a trailing one aside), or 0.
size_t last_separator(const unsigned short *path, size_t length) {
    size_t end = length;
    if (end && path[end - 1] == kBackslash) --end;
    while (end && path[end - 1] != kBackslash) --end;
    return end ? end - 1 : 0;
}

// The path's first `count` units into `folder`, ended.
const unsigned short *prefix(const unsigned short *path, size_t count, unsigned short *folder) {
    std::copy(path, path + count, folder);
    folder[count] = 0;
    return folder;
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
    // Usually the folder above is there already: then only the last one is
    // made, without asking after every folder from the root down.
    const size_t above = last_separator(path, length);
    if (above > scan && Cfl_IsExist(prefix(path, above, folder))) scan = above + 1;
    for (;;) {
        size_t next = scan;
        while (path[next] && path[next] != kBackslash) ++next;
        prefix(path, next, folder);
        const bool last = !path[next] || !path[next + 1];
        // The whole path was found missing above.
        if (last || !Cfl_IsExist(folder)) {
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
        if (last) return 1;
        scan = next + 1;
    }
}
