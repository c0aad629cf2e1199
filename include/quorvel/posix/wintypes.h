/* The Win32 types that appear in the library's interface, for platforms
 * without <windows.h>. Sizes and layouts match the Windows SDK's; handles
 * are distinct pointer types as under STRICT. */
#ifndef QUORVEL_POSIX_WINTYPES_H
#define QUORVEL_POSIX_WINTYPES_H

#include <stdint.h>
#include <sys/stat.h> /* before _stati64, whose fields follow its spelling */

#ifndef _WIN32

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef unsigned short WCHAR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int32_t HRESULT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef void *HANDLE;
typedef void *LPVOID;

#define QUORVEL_DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__ *name
QUORVEL_DECLARE_HANDLE(HWND);
QUORVEL_DECLARE_HANDLE(HINSTANCE);
QUORVEL_DECLARE_HANDLE(HDC);
QUORVEL_DECLARE_HANDLE(HHOOK);
QUORVEL_DECLARE_HANDLE(HMONITOR);
QUORVEL_DECLARE_HANDLE(HBITMAP);
QUORVEL_DECLARE_HANDLE(HFONT);
#undef QUORVEL_DECLARE_HANDLE
typedef HINSTANCE HMODULE;
typedef void *HGLOBAL;
typedef void *HLOCAL;

/* One calling convention here: the Windows callback convention is empty. */
#ifndef CALLBACK
#define CALLBACK
#endif

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

/* The fixed part of a version resource. */
typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

/* The runtime library's file status record (Cfl_GetFileInfo fills one), laid out as the Windows one.
 * st_mode uses the Windows bits (0x8000 file, 0x4000 folder, 0x0100 read,
 * 0x0080 write, 0x0040 run); st_ctime is the creation time. */
typedef struct _stati64 {
    uint32_t st_dev;
    uint16_t st_ino;
    uint16_t st_mode;
    int16_t st_nlink;
    int16_t st_uid;
    int16_t st_gid;
    uint32_t st_rdev;
    int64_t st_size;
#ifdef st_atime
    /* glibc names st_atime st_atim.tv_sec: keep that spelling working. */
    struct { int64_t tv_sec; } st_atim, st_mtim, st_ctim;
#else
    int64_t st_atime;
    int64_t st_mtime;
    int64_t st_ctime;
#endif
} quorvel_stati64;

#endif /* !_WIN32 */
#endif
