/* POSIX platform layer (private to Quorvel): the system's version and
 * processor facts, global memory blocks and the printer records. */
#ifndef QUORVEL_PLATFORM_WINAPI_DESKTOP_H
#define QUORVEL_PLATFORM_WINAPI_DESKTOP_H

#include <quorvel/posix/wintypes_desktop.h>
#include "base.h"

namespace quorvel_win32 {

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
/* No Windows platform: the version fields are the kernel's (uname). */
#define VER_PLATFORM_POSIX 0x100
#define VER_NT_WORKSTATION 1

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_IA64 6
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xFFFF

/* The kernel's release "major.minor.build..." from uname(2), platform
 * VER_PLATFORM_POSIX, szCSDVersion "<sysname> <release>", no service pack
 * or product type. The size field must be 276 (OSVERSIONINFOW) or 284,
 * else ERROR_INSUFFICIENT_BUFFER. */
QUORVEL_WINAPI BOOL GetVersionExW(OSVERSIONINFOEXW *info);
/* The machine (uname) as a processor architecture, the page size as page
 * and allocation granularity, the processors online; the address range
 * and processor type, level and revision are left 0 (unknown here). */
QUORVEL_WINAPI void GetNativeSystemInfo(SYSTEM_INFO *info);

/* Global memory: a fixed block's handle is its address, a movable block's
 * an opaque value with a lock count (0 to 255). Unknown handles fail with
 * ERROR_INVALID_HANDLE (GlobalFlags: GMEM_INVALID_HANDLE; GlobalFree
 * returns the handle); unlocking an unlocked block fails with
 * ERROR_NOT_LOCKED. */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FF
#define GMEM_INVALID_HANDLE 0x8000
#define ERROR_NOT_LOCKED 158
#define NO_ERROR 0
QUORVEL_WINAPI HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
QUORVEL_WINAPI LPVOID GlobalLock(HGLOBAL memory);
QUORVEL_WINAPI BOOL GlobalUnlock(HGLOBAL memory);
QUORVEL_WINAPI UINT GlobalFlags(HGLOBAL memory);
QUORVEL_WINAPI size_t GlobalSize(HGLOBAL memory);
QUORVEL_WINAPI HGLOBAL GlobalFree(HGLOBAL memory);

/* The print dialogs' records, laid out as Windows lays them out (the
 * device-mode record with its printer fields; 220 bytes). There is no
 * print spooler here: nothing makes them but the host. */
typedef struct tagDEVNAMES {
    WORD wDriverOffset;
    WORD wDeviceOffset;
    WORD wOutputOffset;
    WORD wDefault;
} DEVNAMES;

typedef struct _devicemodeW {
    WCHAR dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    WCHAR dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
} DEVMODEW;

}  // namespace quorvel_win32

#endif
