/* POSIX platform layer (private to Quorvel): the system's version and
 * processor facts, global memory blocks, the printer records, drag-and-drop
 * data and window messages. */
#ifndef QUORVEL_PLATFORM_WINAPI_DESKTOP_H
#define QUORVEL_PLATFORM_WINAPI_DESKTOP_H

#include <quorvel/posix/window_proc.h>
#include <quorvel/posix/wintypes_desktop.h>
#include "base.h"
#include <string.h>

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

/* ---- drag and drop: data transfer ------------------------------------- */
#ifdef __cplusplus

#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define DV_E_FORMATETC ((HRESULT)0x80040064L)
#define OLE_E_ADVISENOTSUPPORTED ((HRESULT)0x80040003L)

#define CF_TEXT 1
#define CF_UNICODETEXT 13
#define CF_HDROP 15
#define DVASPECT_CONTENT 1
#define TYMED_NULL 0
#define TYMED_HGLOBAL 1
#define DATADIR_GET 1
#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1

typedef struct HDROP__ *HDROP;

/* Published identifiers of the interfaces. */
QUORVEL_WINAPI extern const IID IID_IUnknown;
QUORVEL_WINAPI extern const IID IID_IDropTarget;
QUORVEL_WINAPI extern const IID IID_IDataObject;
QUORVEL_WINAPI extern const IID IID_IEnumFORMATETC;
inline BOOL IsEqualGUID(REFIID a, REFIID b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}


/* Releases the medium: its pUnkForRelease when set, else the global block. */
QUORVEL_WINAPI void ReleaseStgMedium(STGMEDIUM *medium);


/* CF_HDROP: a global block starting with DROPFILES, then the paths (wide
 * when fWide), each ended by a zero, the list by one more. */
typedef struct _DROPFILES {
    DWORD pFiles;
    POINT pt;
    BOOL fNC;
    BOOL fWide;
} DROPFILES;
/* index 0xFFFFFFFF: the number of paths; a null buffer: a path's length;
 * else the path cut to size - 1 units and its length. ANSI lists are read
 * in the ANSI code page. 0 for a bad index or block. */
QUORVEL_WINAPI UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR path, UINT size);

/* "FileGroupDescriptorW": a count, then one 592-byte record per item. */
typedef struct _SIZEL {
    LONG cx;
    LONG cy;
} SIZEL;
typedef struct _FILEDESCRIPTORW {
    DWORD dwFlags;
    GUID clsid;
    SIZEL sizel;
    POINTL pointl;
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    WCHAR cFileName[260];
} FILEDESCRIPTORW;
typedef struct _FILEGROUPDESCRIPTORW {
    UINT cItems;
    FILEDESCRIPTORW fgd[1];
} FILEGROUPDESCRIPTORW;

/* "Shell IDList Array": a count, then the offsets of the parent's item
 * list and of each child's. There is no shell namespace here to turn an
 * item list into a path. */
typedef struct _IDA {
    UINT cidl;
    UINT aoffset[1];
} CIDA;

#endif /* __cplusplus */

/* ---- window messages -------------------------------------------------- */

/* There are no windows: see <quorvel/posix/window_proc.h>. SendMessageW
 * calls the procedure a host gave the window, on the calling thread; to
 * any other handle it returns 0 with ERROR_INVALID_WINDOW_HANDLE. */
#define ERROR_INVALID_WINDOW_HANDLE 1400
typedef QuorvelWindowProc WNDPROC;
QUORVEL_WINAPI LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorvel_win32

#endif
