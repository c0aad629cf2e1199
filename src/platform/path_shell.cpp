// The shell's path tests (shlwapi).
#include "platform/last_error.h"
#include "platform/native_path.h"

#include <sys/stat.h>

namespace {

bool is_unc(LPCWSTR path) { return path && path[0] == '\\' && path[1] == '\\'; }

}  // namespace

BOOL quorvel_win32::PathFileExistsW(LPCWSTR path) {
    return path && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL quorvel_win32::PathIsDirectoryW(LPCWSTR path) {
    if (!path) return FALSE;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    return attributes & FILE_ATTRIBUTE_DIRECTORY;
}

BOOL quorvel_win32::PathIsUNCW(LPCWSTR path) {
    if (!is_unc(path)) return FALSE;
    // "\\?\C:\..." is a long local path; "\\?\UNC\..." a share.
    if (path[2] == '?' && path[3] == '\\')
        return path[4] == 'U' && path[5] == 'N' && path[6] == 'C' && path[7] == '\\';
    return TRUE;
}

BOOL quorvel_win32::PathIsUNCServerShareW(LPCWSTR path) {
    if (!is_unc(path)) return FALSE;
    bool separator_seen = false;
    for (LPCWSTR p = path + 2; *p; ++p) {
        if (*p != '\\') continue;
        if (separator_seen) return FALSE;
        separator_seen = true;
    }
    return separator_seen;
}

BOOL quorvel_win32::PathIsNetworkPathW(LPCWSTR path) {
    if (!path) return FALSE;
    if (is_unc(path)) return TRUE;
    if (path[0] && path[1] == ':') {
        const WCHAR root[] = {path[0], ':', '\\', 0};
        return GetDriveTypeW(root) == DRIVE_REMOTE;
    }
    return FALSE;
}

LPWSTR quorvel_win32::PathFindExtensionW(LPCWSTR path) {
    if (!path) return nullptr;
    LPCWSTR dot = nullptr;
    for (; *path; ++path) {
        if (*path == '\\' || *path == ' ')
            dot = nullptr;
        else if (*path == '.')
            dot = path;
    }
    return const_cast<LPWSTR>(dot ? dot : path);
}

void quorvel_win32::PathRemoveExtensionW(LPWSTR path) {
    if (path) *PathFindExtensionW(path) = 0;
}
