// The shell's file operation for callers that want its dialogs, its
// confirmations and its undo (the Recycle Bin).
#include <quorvel/fileops.h>

#include "platform/win32.h"

namespace {

constexpr FILEOP_FLAGS kQuiet = FOF_SILENT | FOF_NOCONFIRMATION;

// Source and target go to the shell exactly as passed: lists ending in two
// zeros. 1 when the shell did it all and the user cancelled nothing.
int shell_operation(HWND owner, UINT operation, const unsigned short *from,
                    const unsigned short *to, FILEOP_FLAGS flags) {
    SHFILEOPSTRUCTW request = {};
    request.hwnd = owner;
    request.wFunc = operation;
    request.pFrom = as_wide(from);
    request.pTo = as_wide(to);
    request.fFlags = flags;
    return SHFileOperationW(&request) == 0 && !request.fAnyOperationsAborted ? 1 : 0;
}

FILEOP_FLAGS transfer_flags(int quiet, int overwrite) {
    FILEOP_FLAGS flags = quiet ? kQuiet : 0;
    if (!overwrite) flags |= FOF_RENAMEONCOLLISION;
    return flags;
}

}  // namespace

int Cfl_CopyFileShell(HWND owner, const unsigned short *source, const unsigned short *target,
                      int quiet, int overwrite) {
    return shell_operation(owner, FO_COPY, source, target, transfer_flags(quiet, overwrite));
}

int Cfl_MoveFileShell(HWND owner, const unsigned short *source, const unsigned short *target,
                      int quiet, int overwrite) {
    return shell_operation(owner, FO_MOVE, source, target, transfer_flags(quiet, overwrite));
}

int Cfl_DeleteFileShell(HWND owner, const unsigned short *path, int quiet) {
    return shell_operation(owner, FO_DELETE, path, nullptr,
                           FOF_ALLOWUNDO | (quiet ? kQuiet : 0));
}

int Cfl_RenameFileShell(HWND owner, const unsigned short *oldName,
                        const unsigned short *newName, int quiet) {
    return shell_operation(owner, FO_RENAME, oldName, newName, quiet ? kQuiet : 0);
}
