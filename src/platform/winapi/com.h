/* POSIX platform layer (private to Quorvel): OLE Automation's strings,
 * VARIANTs, safe arrays and per-thread error information, COM object
 * creation, and the locale facts of the connect string. The COM types are
 * the interface's, in <quorvel/posix/com.h>. */
#ifndef QUORVEL_PLATFORM_WINAPI_COM_H
#define QUORVEL_PLATFORM_WINAPI_COM_H

#include "base.h"
#include "text.h"

#include <quorvel/posix/com.h>

namespace quorvel_win32 {

/* BSTR: the text follows a 32-bit byte count and ends in a zero unit. */
QUORVEL_WINAPI BSTR SysAllocString(const OLECHAR *text);
QUORVEL_WINAPI BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
QUORVEL_WINAPI void SysFreeString(BSTR text);
QUORVEL_WINAPI UINT SysStringLen(BSTR text);
QUORVEL_WINAPI UINT SysStringByteLen(BSTR text);

QUORVEL_WINAPI void VariantInit(VARIANT *value);
QUORVEL_WINAPI HRESULT VariantClear(VARIANT *value);
QUORVEL_WINAPI HRESULT VariantCopy(VARIANT *target, const VARIANT *source);
/* Only conversions to VT_BSTR, VT_I4, VT_I8 and VT_R8 (others:
 * DISP_E_TYPEMISMATCH). Numbers in plain decimal (doubles to 15 significant
 * digits), VT_BOOL as "-1"/"0" ("True"/"False" with VARIANT_ALPHABOOL),
 * dates as "yyyy/mm/dd" with " hh:mm:ss" when the time is not midnight. */
QUORVEL_WINAPI HRESULT VariantChangeType(VARIANT *target, const VARIANT *source,
                                         unsigned short flags, VARTYPE type);

/* One-dimensional arrays of fixed-size elements (no VT_BSTR, VT_VARIANT
 * or interface elements: those fail). */
QUORVEL_WINAPI SAFEARRAY *SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG count);
QUORVEL_WINAPI SAFEARRAY *SafeArrayCreate(VARTYPE type, UINT dimensions, SAFEARRAYBOUND *bounds);
QUORVEL_WINAPI HRESULT SafeArrayDestroy(SAFEARRAY *array);
QUORVEL_WINAPI HRESULT SafeArrayPutElement(SAFEARRAY *array, LONG *indices, void *value);
QUORVEL_WINAPI HRESULT SafeArrayGetElement(SAFEARRAY *array, LONG *indices, void *value);
QUORVEL_WINAPI HRESULT SafeArrayGetLBound(SAFEARRAY *array, UINT dimension, LONG *bound);
QUORVEL_WINAPI HRESULT SafeArrayGetUBound(SAFEARRAY *array, UINT dimension, LONG *bound);
QUORVEL_WINAPI HRESULT SafeArrayAccessData(SAFEARRAY *array, void **data);
QUORVEL_WINAPI HRESULT SafeArrayUnaccessData(SAFEARRAY *array);

/* The calling thread's error information (reserved must be 0). */
QUORVEL_WINAPI HRESULT SetErrorInfo(ULONG reserved, IErrorInfo *info);
QUORVEL_WINAPI HRESULT GetErrorInfo(ULONG reserved, IErrorInfo **info);
QUORVEL_WINAPI HRESULT CreateErrorInfo(ICreateErrorInfo **info);

/* No class is registered on this platform: REGDB_E_CLASSNOTREG. */
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
QUORVEL_WINAPI HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD context,
                                        REFIID riid, void **object);
QUORVEL_WINAPI HRESULT OleRun(IUnknown *object);

/* LOCALE_ILANGUAGE ("0411" or "0409", after GetSystemDefaultLCID) and
 * LOCALE_IDEFAULTANSICODEPAGE (GetACP in decimal); other items fail with
 * ERROR_INVALID_FLAGS. */
#define LOCALE_ILANGUAGE 0x0001
#define LOCALE_IDEFAULTANSICODEPAGE 0x1004
#define ERROR_INVALID_FLAGS 1004
QUORVEL_WINAPI int GetLocaleInfoW(LCID locale, DWORD type, LPWSTR data, int capacity);

}  // namespace quorvel_win32

#endif
