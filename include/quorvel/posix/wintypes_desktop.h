/* The Win32 records of the system-facts, printer and window-effect calls,
 * for platforms without <windows.h>. Sizes and layouts match the Windows
 * SDK's. */
#ifndef QUORVEL_POSIX_WINTYPES_DESKTOP_H
#define QUORVEL_POSIX_WINTYPES_DESKTOP_H

#include <quorvel/posix/wintypes.h>

#ifndef _WIN32

typedef DWORD COLORREF;
typedef ULONG_PTR DWORD_PTR;

/* 284 bytes, as GetVersionExW fills it. */
typedef struct _OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXW;

typedef struct _SYSTEM_INFO {
    union {
        DWORD dwOemId;
        struct {
            WORD wProcessorArchitecture;
            WORD wReserved;
        };
    };
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
} SYSTEM_INFO;

#endif /* !_WIN32 */
#endif
