/* POSIX platform layer: file handles, paths, environment and folders.
 *
 * Paths keep the Windows grammar. Drive Z: is the POSIX root ("Z:\etc" is
 * /etc), a path rooted without a drive ("\etc") is on Z:, a relative path is
 * relative to the working folder, and the long forms "\\?\Z:\..." are
 * accepted. Other drive letters fail with ERROR_PATH_NOT_FOUND and UNC
 * shares ("\\server\share", "\\?\UNC\...") with ERROR_BAD_NETPATH: no
 * mapping is made up for them. See docs/posix-model.md. */
#ifndef QUORVEL_PLATFORM_WINAPI_FILES_H
#define QUORVEL_PLATFORM_WINAPI_FILES_H

#include <sys/stat.h>
#include "base.h"

namespace quorvel_win32 {

#define ERROR_BAD_NETPATH 53
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_ENVVAR_NOT_FOUND 203

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_SPARSE_FILE 0x00000200
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED; /* must be null here */
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

/* File handles. Sharing is enforced between the handles of this process
 * with the Windows rules (ERROR_SHARING_VIOLATION); other processes are not
 * held off, as POSIX has no mandatory share modes. A folder opens only with
 * FILE_FLAG_BACKUP_SEMANTICS, for its times. With FILE_FLAG_OPEN_REPARSE_POINT
 * a link in the last component is not followed: it cannot be opened itself,
 * so the open fails (ERROR_CANT_ACCESS_FILE). Writing a file without write
 * permission for anyone (read-only) is refused for every user, root too,
 * as Windows refuses it to administrators. ReadFile and WriteFile are
 * synchronous (no OVERLAPPED). */
QUORVEL_WINAPI HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                  DWORD flags, HANDLE templateFile);
QUORVEL_WINAPI BOOL ReadFile(HANDLE file, void *buffer, DWORD count, DWORD *read,
                             LPOVERLAPPED overlapped);
QUORVEL_WINAPI BOOL WriteFile(HANDLE file, const void *buffer, DWORD count, DWORD *written,
                              LPOVERLAPPED overlapped);
QUORVEL_WINAPI BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance,
                                     LARGE_INTEGER *position, DWORD method);
QUORVEL_WINAPI BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER *size);
QUORVEL_WINAPI BOOL SetEndOfFile(HANDLE file);
QUORVEL_WINAPI BOOL FlushFileBuffers(HANDLE file);
QUORVEL_WINAPI BOOL CloseHandle(HANDLE object);

/* File times are 100-ns units since 1601-01-01 UTC. The creation time is the
 * one SetFileTime kept (extended attribute "user.quorvel.crtime"), else the
 * file system's birth time (statx), else the earlier of the change and
 * modification times. A creation time that the file system cannot keep
 * makes SetFileTime fail with ERROR_NOT_SUPPORTED before anything changes. */
QUORVEL_WINAPI BOOL GetFileTime(HANDLE file, FILETIME *creation, FILETIME *access,
                                FILETIME *write);
QUORVEL_WINAPI BOOL SetFileTime(HANDLE file, const FILETIME *creation,
                                const FILETIME *access, const FILETIME *write);

/* Attributes: folder; read-only when nobody may write; hidden, system and
 * archive as the extended attribute "user.DOSATTRIB" holds them (the text
 * "0x%x" that Samba and Wine read and write), else archive for a file; a
 * name with a leading dot is hidden as well. SetFileAttributesW changes the
 * write permission for read-only and writes "user.DOSATTRIB" for the rest;
 * a hidden, system or non-archive state that the file system cannot keep
 * fails with ERROR_NOT_SUPPORTED before anything changes. */
QUORVEL_WINAPI DWORD GetFileAttributesW(LPCWSTR path);
QUORVEL_WINAPI BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);

/* Faults for tests: before each ReadFile and WriteFile on a file handle the
 * hook sees the byte count and may lower *allowed. A zero result lets the
 * call succeed with *allowed bytes (a short read or write); a non-zero
 * result is a Win32 error code: the call moves *allowed bytes, then fails
 * with that code. operation is 0 for a read, 1 for a write. Null removes
 * the hook; the previous one is returned. */
typedef DWORD (*QuorvelFileFaultHook)(void *context, int operation, HANDLE file,
                                      DWORD requested, DWORD *allowed);
QUORVEL_WINAPI QuorvelFileFaultHook Quorvel_SetFileFaultHook(QuorvelFileFaultHook hook,
                                                             void *context);

/* Path tests and edits of the shell's light-weight utilities. */
QUORVEL_WINAPI BOOL PathFileExistsW(LPCWSTR path);
QUORVEL_WINAPI BOOL PathIsDirectoryW(LPCWSTR path);
QUORVEL_WINAPI BOOL PathIsUNCW(LPCWSTR path);
QUORVEL_WINAPI BOOL PathIsUNCServerShareW(LPCWSTR path);
QUORVEL_WINAPI BOOL PathIsNetworkPathW(LPCWSTR path);
QUORVEL_WINAPI LPWSTR PathFindExtensionW(LPCWSTR path);
QUORVEL_WINAPI void PathRemoveExtensionW(LPWSTR path);

/* Drive types come from the mount a root or mount-point folder is: network
 * file systems DRIVE_REMOTE, optical DRIVE_CDROM, tmpfs and ramfs
 * DRIVE_RAMDISK, the rest DRIVE_FIXED. A folder that is no mount point is
 * DRIVE_NO_ROOT_DIR. */
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6
QUORVEL_WINAPI UINT GetDriveTypeW(LPCWSTR root);

/* Environment: the process environment, names compared without regard to
 * case as Windows does (an exact match wins). */
QUORVEL_WINAPI DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
QUORVEL_WINAPI DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR buffer, DWORD size);
/* Replaces the longest leading folder held by HOME, TMPDIR, XDG_CONFIG_HOME,
 * XDG_DATA_HOME or XDG_CACHE_HOME with %NAME%; FALSE when none matches. */
QUORVEL_WINAPI BOOL PathUnExpandEnvStringsW(LPCWSTR path, LPWSTR buffer, UINT size);

/* TMPDIR when it is an absolute path, else /tmp; ends with a backslash. */
QUORVEL_WINAPI DWORD GetTempPathW(DWORD size, LPWSTR buffer);
/* POSIX names have no short forms: the path, once it is known to exist, in
 * Windows form (backslashes, a rooted path on drive Z:). */
QUORVEL_WINAPI DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size);

/* Shell folders from the XDG user folders (user-dirs.dirs, with HOME); the
 * folder must exist. CSIDL_WINDOWS is the root, Z:\. */
#define CSIDL_DESKTOP 0x0000
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_WINDOWS 0x0024
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define E_FAIL ((HRESULT)0x80004005L)
QUORVEL_WINAPI HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags,
                                        LPWSTR path);

struct _utimbuf {
    int64_t actime;
    int64_t modtime;
};

/* 0 on success, -1 with errno set on failure. */
QUORVEL_WINAPI int _wstati64(const WCHAR *path, struct _stati64 *status);
QUORVEL_WINAPI int _wutime(const WCHAR *path, struct _utimbuf *times);

}  // namespace quorvel_win32

#endif
