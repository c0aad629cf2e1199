// Cfl_RenameFile: a new name that keeps the old attributes.
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"

int Cfl_RenameFile(const unsigned short *oldPath, const unsigned short *newPath) {
    if (!oldPath || !newPath) return 0;
    if (!Cfl_IsExist(oldPath)) return 1;
    if (Cfl_IsExist(newPath)) return 0;
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
