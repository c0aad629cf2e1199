/* Quorvel: file and folder operations (folder chains and the shell's file
 * operation).
 *
 * Paths are zero-terminated UTF-16. Each is turned into its long-path form
 * before the system sees it, except by the shell operations, which pass
 * their strings as they are. Results are 1 (non-zero) for success and 0
 * for failure; failed system calls are shown through Err_Message(0) as each
 * function says. The functions share g_szCflWork and the progress state:
 * one call at a time. */
#ifndef QUORVEL_FILEOPS_H
#define QUORVEL_FILEOPS_H

#include <quorvel/base.h>

/* Creates the folder and every missing folder above it; the server and
 * share of "\\server\share\..." and the drive of "\\?\C:\..." are never
 * made. A trailing backslash is allowed. */
QUORVEL_API int Cfl_CreateFolder(const unsigned short *path);
/* The shell's own file operation with its dialogs, confirmations and undo.
 * Each string is a list: every path ends with a zero and the list with a
 * second one. `quiet` drops the progress dialog and the confirmations;
 * without `overwrite` a copy or move onto an existing name gets a new name
 * ("name (2).ext"). Deleting sends to the Recycle Bin (on POSIX, the
 * user's trash). 1 when the shell did everything and nothing was
 * cancelled; nothing is reported. */
QUORVEL_API int Cfl_CopyFileShell(HWND owner, const unsigned short *source,
                                  const unsigned short *target, int quiet, int overwrite);
QUORVEL_API int Cfl_MoveFileShell(HWND owner, const unsigned short *source,
                                  const unsigned short *target, int quiet, int overwrite);
QUORVEL_API int Cfl_DeleteFileShell(HWND owner, const unsigned short *path, int quiet);
QUORVEL_API int Cfl_RenameFileShell(HWND owner, const unsigned short *oldName,
                                    const unsigned short *newName, int quiet);

#endif
