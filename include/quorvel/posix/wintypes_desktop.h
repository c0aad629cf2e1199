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

typedef struct _POINTL {
    LONG x;
    LONG y;
} POINTL;

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID IID;

#ifdef __cplusplus
typedef const IID &REFIID;

/* COM's calling convention: the platform's own here. */
#define STDMETHODCALLTYPE

/* The COM interfaces of the drop target, in their slot order. */
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef(void) = 0;
    virtual ULONG STDMETHODCALLTYPE Release(void) = 0;
};

typedef WORD CLIPFORMAT;

typedef struct tagFORMATETC {
    CLIPFORMAT cfFormat;
    void *ptd; /* DVTARGETDEVICE: no target devices here */
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
} FORMATETC;

/* Only global memory is carried here. */
typedef struct tagSTGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown *pUnkForRelease;
} STGMEDIUM;

struct IEnumFORMATETC : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC *formats, ULONG *fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC **copy) = 0;
};
struct IAdviseSink;
struct IEnumSTATDATA;
struct IDataObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *format, STGMEDIUM *medium) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *format) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC *format, STGMEDIUM *medium, BOOL release) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **formats) = 0;
    virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *format, DWORD flags, IAdviseSink *sink,
                                              DWORD *connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **advise) = 0;
};

struct IDropTarget : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL point,
                                                DWORD *effect) = 0;
    virtual HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD *effect) = 0;
    virtual HRESULT STDMETHODCALLTYPE DragLeave(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL point,
                                           DWORD *effect) = 0;
};
#endif

#endif /* !_WIN32 */
#endif
