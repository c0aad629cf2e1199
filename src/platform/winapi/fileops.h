/* POSIX platform layer: making, copying, moving and deleting files and
 * folders, and the shell's file operation. See docs/posix-model.md. */
#ifndef QUORVEL_PLATFORM_WINAPI_FILEOPS_H
#define QUORVEL_PLATFORM_WINAPI_FILEOPS_H

#include "files.h"

namespace quorvel_win32 {

#define ERROR_REQUEST_ABORTED 1235

/* Folders. RemoveDirectoryW of a file fails with ERROR_DIRECTORY, of a
 * folder that holds anything with ERROR_DIR_NOT_EMPTY. */
QUORVEL_WINAPI BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
QUORVEL_WINAPI BOOL RemoveDirectoryW(LPCWSTR path);

/* As on Windows, a read-only file, a folder, and a file that a handle of
 * this process holds open without FILE_SHARE_DELETE cannot be deleted. */
QUORVEL_WINAPI BOOL DeleteFileW(LPCWSTR path);

/* Copying: the data through copy_file_range (or a buffer), then the
 * source's permission bits (read-only included), its user extended
 * attributes and its last write time, as CopyFileW carries attributes and
 * times. The copy is written beside the destination under a temporary name
 * and renamed over it at the end, so a failed or cancelled copy leaves an
 * old destination as it was. An existing read-only destination fails with
 * ERROR_ACCESS_DENIED; a cancel (the routine's answer or *cancel) with
 * ERROR_REQUEST_ABORTED. */
#define COPY_FILE_FAIL_IF_EXISTS 0x00000001
#define PROGRESS_CONTINUE 0
#define PROGRESS_CANCEL 1
#define PROGRESS_STOP 2
#define PROGRESS_QUIET 3
#define CALLBACK_CHUNK_FINISHED 0x00000000
#define CALLBACK_STREAM_SWITCH 0x00000001
typedef DWORD(CALLBACK *LPPROGRESS_ROUTINE)(LARGE_INTEGER totalSize,
                                             LARGE_INTEGER totalTransferred,
                                             LARGE_INTEGER streamSize,
                                             LARGE_INTEGER streamTransferred, DWORD stream,
                                             DWORD reason, HANDLE source, HANDLE destination,
                                             LPVOID data);
QUORVEL_WINAPI BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
QUORVEL_WINAPI BOOL CopyFileExW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine,
                                LPVOID data, BOOL *cancel, DWORD flags);

/* Moving: rename(2) within a file system; across file systems a file is
 * copied (as CopyFileExW) and the source deleted when MOVEFILE_COPY_ALLOWED
 * is given, else ERROR_NOT_SAME_DEVICE; folders move only within one file
 * system (with the flag, ERROR_ACCESS_DENIED, as Windows' copy refuses a
 * folder). An existing destination fails with ERROR_ALREADY_EXISTS unless
 * MOVEFILE_REPLACE_EXISTING is given; a read-only one or a folder is never
 * replaced (ERROR_ACCESS_DENIED). POSIX has nothing that runs at the next
 * start: MOVEFILE_DELAY_UNTIL_REBOOT fails with ERROR_NOT_SUPPORTED. */
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define MOVEFILE_WRITE_THROUGH 0x00000008
QUORVEL_WINAPI BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
QUORVEL_WINAPI BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
QUORVEL_WINAPI BOOL MoveFileWithProgressW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine,
                                          LPVOID data, DWORD flags);

/* The shell's file operation, without a desktop: no dialogs, confirmations
 * taken as yes, errors returned (a Win32 code) and never shown. Sources and
 * targets are lists of paths, each ending with a zero, the list with a
 * second. FOF_ALLOWUNDO sends deleted items to the user's trash (the
 * freedesktop.org layout under $XDG_DATA_HOME/Trash); FOF_RENAMEONCOLLISION
 * gives a copy, move or rename onto an existing name the name
 * "name (2).ext" (the first free number). */
#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004
#define FOF_MULTIDESTFILES 0x0001
#define FOF_SILENT 0x0004
#define FOF_RENAMEONCOLLISION 0x0008
#define FOF_NOCONFIRMATION 0x0010
#define FOF_ALLOWUNDO 0x0040
#define FOF_FILESONLY 0x0080
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400
typedef WORD FILEOP_FLAGS;
typedef struct _SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    LPCWSTR pFrom;
    LPCWSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCWSTR lpszProgressTitle;
} SHFILEOPSTRUCTW, *LPSHFILEOPSTRUCTW;
QUORVEL_WINAPI int SHFileOperationW(LPSHFILEOPSTRUCTW operation);

}  // namespace quorvel_win32

#endif
