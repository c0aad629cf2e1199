/* POSIX platform layer: folder listings, the working folder and the space
 * on a drive.
 *
 * A listing matches names as Windows does: without regard to case, "*" and
 * "?" with the system's rules for dots ("*.*" matches every name, "*."
 * the names without a dot, "?" also matches nothing at a dot or the end),
 * "." and ".." first for any folder but the root, then the entries in the
 * order the file system gives them. There are no short (8.3) names:
 * cAlternateFileName is always empty. A name that is not valid UTF-8 is
 * listed with each stray byte as U+DC00 + the byte, which paths take back. */
#ifndef QUORVEL_PLATFORM_WINAPI_FOLDERS_H
#define QUORVEL_PLATFORM_WINAPI_FOLDERS_H

#include "files.h"

namespace quorvel_win32 {

typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;
typedef enum _GET_FILEEX_INFO_LEVELS {
    GetFileExInfoStandard,
    GetFileExMaxInfoLevel
} GET_FILEEX_INFO_LEVELS;
/* What a listing of the folder gives for the one entry (a link is the
 * link itself), without opening the folder. */
QUORVEL_WINAPI BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level,
                                         LPVOID data);

/* Nothing matching: ERROR_FILE_NOT_FOUND; no such folder:
 * ERROR_PATH_NOT_FOUND; past the last entry: ERROR_NO_MORE_FILES. */
QUORVEL_WINAPI HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
QUORVEL_WINAPI BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
QUORVEL_WINAPI BOOL FindClose(HANDLE find);

typedef enum _FINDEX_INFO_LEVELS {
    FindExInfoStandard,
    FindExInfoBasic,
    FindExInfoMaxInfoLevel
} FINDEX_INFO_LEVELS;
typedef enum _FINDEX_SEARCH_OPS {
    FindExSearchNameMatch,
    FindExSearchLimitToDirectories,
    FindExSearchLimitToDevices,
    FindExSearchMaxSearchOp
} FINDEX_SEARCH_OPS;
#define FIND_FIRST_EX_LARGE_FETCH 0x00000002
/* This layer's own flag (0 on Windows, which reads these attributes with
 * the entry: platform/listing_hint.h): the caller reads neither hidden,
 * system nor archive nor the creation time, so the extended attributes that
 * hold them are not read, one call per entry less. Those three bits are then as for a file
 * that keeps none (hidden only for a leading dot, archive for every file)
 * and the creation time is the file system's. */
#define FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES 0x00010000
/* FindFirstFileW with FindExInfoStandard or FindExInfoBasic (the same
 * here), FindExSearchNameMatch or FindExSearchLimitToDirectories (which may
 * list files too, as on Windows), no filter, and the flags above; else
 * ERROR_INVALID_PARAMETER. */
QUORVEL_WINAPI HANDLE FindFirstFileExW(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                                       FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags);

/* The runtime library's listing over FindFirstFileW, with its record
 * (times in seconds since 1970, 64-bit as the runtime library has them by
 * default). -1 and errno ENOENT when nothing matches or the folder is
 * missing. */
struct _wfinddatai64_t {
    unsigned attrib;
    int64_t time_create;
    int64_t time_access;
    int64_t time_write;
    int64_t size;
    WCHAR name[260];
};
#define _A_NORMAL 0x00
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_SUBDIR 0x10
#define _A_ARCH 0x20
QUORVEL_WINAPI intptr_t _wfindfirsti64(const WCHAR *pattern, struct _wfinddatai64_t *data);
QUORVEL_WINAPI int _wfindnexti64(intptr_t find, struct _wfinddatai64_t *data);
QUORVEL_WINAPI int _findclose(intptr_t find);

/* The process's working folder (getcwd/chdir) in the Windows form. */
QUORVEL_WINAPI DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);
QUORVEL_WINAPI BOOL SetCurrentDirectoryW(LPCWSTR path);

/* From statvfs(3) of the folder: the caller's free bytes (f_bavail), the
 * total and the free bytes (f_bfree). Any pointer may be null. */
QUORVEL_WINAPI BOOL GetDiskFreeSpaceExW(LPCWSTR folder, ULARGE_INTEGER *callerFree,
                                        ULARGE_INTEGER *total, ULARGE_INTEGER *free);
/* The bytes a sparse file occupies (its allocated blocks), else its size. A
 * regular file with fewer blocks than bytes is FILE_ATTRIBUTE_SPARSE_FILE.
 * All ones with the last error set on failure; all ones with ERROR_SUCCESS
 * is a real size. */
QUORVEL_WINAPI DWORD GetCompressedFileSizeW(LPCWSTR path, DWORD *high);

}  // namespace quorvel_win32

#endif
