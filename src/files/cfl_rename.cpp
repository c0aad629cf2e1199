// Cfl_RenameFile: a new name that keeps the old attributes.
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"

#include <algorithm>

namespace {

// True when the two names differ only in case. Windows' file systems take
// such a new name for the old file, which exists: the rename fails as for
// any name that exists, on a file system that tells case apart too.
bool differ_only_in_case(const unsigned short *a, const unsigned short *b) {
    WCHAR upper[2][QUORVEL_MAX_TEXT];
    int n[2];
    for (int i = 0; i < 2; ++i)
        n[i] = LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, as_wide(i ? b : a), -1,
                            upper[i], QUORVEL_MAX_TEXT);
    return n[0] > 0 && n[0] == n[1] && std::equal(upper[0], upper[0] + n[0], upper[1]) &&
           !std::equal(a, a + n[0], b);
}

}  // namespace

int Cfl_RenameFile(const unsigned short *oldPath, const unsigned short *newPath) {
    if (!oldPath || !newPath) return 0;
    if (!Cfl_IsExist(oldPath)) return 1;
    if (Cfl_IsExist(newPath) || differ_only_in_case(oldPath, newPath)) return 0;
    unsigned short from[QUORVEL_MAX_TEXT], to[QUORVEL_MAX_TEXT];
    if (!files::long_form(oldPath, from) || !files::long_form(newPath, to)) {
        Err_Message(0);
        return 0;
    }
    const DWORD attributes = GetFileAttributesW(as_wide(from));
    const bool known = attributes != INVALID_FILE_ATTRIBUTES;
    if (known) SetFileAttributesW(as_wide(from), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (MoveFileW(as_wide(from), as_wide(to))) {
        if (known) SetFileAttributesW(as_wide(to), attributes);
        return 1;
    }
    Err_Message(0);
    if (known) SetFileAttributesW(as_wide(from), attributes);
    return 0;
}
