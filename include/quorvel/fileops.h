/* Quorvel: file and folder operations (copy, move, delete, rename, folder
 * chains, recursive deletion, and the shell's file operation).
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

/* Copies one file over any existing destination. A missing source is no
 * failure (1, nothing done). From 1 MiB on the progress window shows the
 * copy ("ファイルのコピー"), with `displayName`, or else the source's last
 * component, as its file name; a user's cancel gives 0 without a report.
 * The destination is never left read-only. */
QUORVEL_API int Cfl_CopyFile(HWND owner, const unsigned short *source,
                             const unsigned short *destination,
                             const unsigned short *displayName);
/* Moves one file over any existing destination. Between different drive
 * parts (compared as written, case included) the progress window shows the
 * move ("ファイルの移動"); a cancel there is reported as a failure. */
QUORVEL_API int Cfl_MoveFile(HWND owner, const unsigned short *source,
                             const unsigned short *destination,
                             const unsigned short *displayName);
/* Deletes a file, read-only or not. With `atReboot`, or when it cannot go
 * now, the deletion is left to the system's next start (where there is
 * none, as on POSIX, that fails). A missing file is no failure. */
QUORVEL_API int Cfl_DeleteFile(const unsigned short *path, int atReboot, int report);
/* Renames a file or folder, keeping its attributes. A missing old name is
 * no failure; an existing new name is a silent 0. */
QUORVEL_API int Cfl_RenameFile(const unsigned short *oldPath, const unsigned short *newPath);

/* Creates the folder and every missing folder above it; the server and
 * share of "\\server\share\..." and the drive of "\\?\C:\..." are never
 * made. A trailing backslash is allowed. */
QUORVEL_API int Cfl_CreateFolder(const unsigned short *path);
/* Null pattern: deletes the folder with everything in it. With a pattern
 * ("*.tmp"): deletes the matching entries in the whole tree, then each
 * folder left empty, the given one included. Stops at the first entry that
 * cannot be deleted (0); a folder that cannot be listed is a silent 0. */
QUORVEL_API int Cfl_DeleteFolder(const unsigned short *folder, const unsigned short *pattern);

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
