/* The COM types that the database interface carries, for platforms without
 * the Windows SDK: GUIDs, IUnknown and IDispatch, BSTR, VARIANT, SAFEARRAY,
 * the error-information interfaces, and the compiler support classes
 * _com_ptr_t, _com_IIID and _com_error. Layouts are the SDK's (a VARIANT is
 * 16 bytes on 32-bit systems and 24 on 64-bit ones; a BSTR points past a
 * 32-bit byte count). Virtual calls use the platform's own convention. */
#ifndef QUORVEL_POSIX_COM_H
#define QUORVEL_POSIX_COM_H

#include <quorvel/posix/wintypes.h>
#include <quorvel/posix/wintypes_desktop.h>

#ifndef _WIN32
#ifdef __cplusplus

#define QUORVEL_COM_API __attribute__((visibility("default")))

typedef GUID CLSID;
typedef const CLSID &REFCLSID;
inline bool operator==(const GUID &a, const GUID &b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           *reinterpret_cast<const uint64_t *>(a.Data4) ==
               *reinterpret_cast<const uint64_t *>(b.Data4);
}

typedef WCHAR OLECHAR;
typedef OLECHAR *BSTR;
typedef OLECHAR *LPOLESTR;
typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef LONG SCODE;
typedef double DATE;
typedef DWORD LCID;
typedef LONG DISPID;
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

typedef union tagCY {
    struct {
        ULONG Lo;
        LONG Hi;
    } s;
    LONGLONG int64;
} CY;

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_PARAMNOTFOUND ((HRESULT)0x80020004L)
#define DISP_E_BADINDEX ((HRESULT)0x8002000BL)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000DL)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif


/* Late binding is not offered on this platform; its types stay opaque. */
struct tagVARIANT;
struct ITypeInfo;
typedef struct tagDISPPARAMS DISPPARAMS;
typedef struct tagEXCEPINFO EXCEPINFO;
struct IDispatch : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count,
                                                    LCID lcid, DISPID *ids) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                             DISPPARAMS *params, tagVARIANT *result,
                                             EXCEPINFO *exception, UINT *argError) = 0;
};

typedef struct tagSAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
} SAFEARRAYBOUND;

typedef struct tagSAFEARRAY {
    unsigned short cDims;
    unsigned short fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void *pvData;
    SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY;

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        ULONGLONG ullVal;
        LONG lVal;
        ULONG ulVal;
        BYTE bVal;
        char cVal;
        short iVal;
        unsigned short uiVal;
        int intVal;
        unsigned int uintVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        SAFEARRAY *parray;
        void *byref;
        struct {
            void *pvRecord;
            void *pRecInfo;
        } brecVal;
    };
} VARIANT, VARIANTARG;

#define VARIANT_NOVALUEPROP 0x1
#define VARIANT_ALPHABOOL 0x2

struct IErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetGUID(GUID *guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(BSTR *source) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR *description) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR *helpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD *helpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetGUID(REFIID guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR source) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR description) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR helpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD helpContext) = 0;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

/* __uuidof, as MinGW-w64 emulates it for compilers without it: each
 * interface's IID is declared once with __CRT_UUID_DECL. */
template <class T> const GUID &__mingw_uuidof();
template <class T> struct __mingw_uuidof_s;
#define __CRT_UUID_DECL(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)               \
    template <> struct __mingw_uuidof_s<type> {                                        \
        static constexpr IID __uuid_inst = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}; \
    };                                                                                 \
    template <> inline const GUID &__mingw_uuidof<type>() {                            \
        return __mingw_uuidof_s<type>::__uuid_inst;                                    \
    }                                                                                  \
    template <> inline const GUID &__mingw_uuidof<type *>() {                          \
        return __mingw_uuidof_s<type>::__uuid_inst;                                    \
    }
#define __uuidof(type) __mingw_uuidof<__typeof__(type)>()

__CRT_UUID_DECL(IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)
__CRT_UUID_DECL(IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)
__CRT_UUID_DECL(IErrorInfo, 0x1CF2B120, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B,
                0xD1, 0x19)
__CRT_UUID_DECL(ICreateErrorInfo, 0x22F03340, 0x547D, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B,
                0x2B, 0xD1, 0x19)
__CRT_UUID_DECL(ISupportErrorInfo, 0xDF0B3D60, 0x548F, 0x101B, 0x8E, 0x65, 0x08, 0x00, 0x2B,
                0x2B, 0xD1, 0x19)

/* The compiler's COM support: an error object that carries a status code
 * and the failure's error information, and a smart pointer. */
class QUORVEL_COM_API _com_error {
public:
    _com_error(HRESULT hr, IErrorInfo *info = nullptr, bool addRef = false);
    _com_error(const _com_error &other);
    _com_error &operator=(const _com_error &other);
    virtual ~_com_error();
    HRESULT Error() const { return hresult_; }
    IErrorInfo *ErrorInfo() const;  // with a reference for the caller, or null
    const WCHAR *ErrorMessage() const;

private:
    HRESULT hresult_;
    IErrorInfo *info_;
    mutable WCHAR *message_;
};

/* Throws _com_error(hr). */
QUORVEL_COM_API void _com_issue_error(HRESULT hr);

template <class Interface_, const IID &(*iid_getter)()> class _com_IIID_getter {
public:
    typedef Interface_ Interface;
    static const IID &GetIID() { return iid_getter(); }
};

template <class IIID_> class _com_ptr_t {
public:
    typedef typename IIID_::Interface Interface;
    static const IID &GetIID() { return IIID_::GetIID(); }

    _com_ptr_t() : p_(nullptr) {}
    _com_ptr_t(decltype(nullptr)) : p_(nullptr) {}
    _com_ptr_t(int null) : p_(nullptr) {
        if (null != 0) _com_issue_error(E_POINTER);
    }
    _com_ptr_t(Interface *p) : p_(p) { add_ref(); }
    _com_ptr_t(Interface *p, bool addRef) : p_(p) {
        if (addRef) add_ref();
    }
    _com_ptr_t(const _com_ptr_t &other) : p_(other.p_) { add_ref(); }
    ~_com_ptr_t() { release(); }
    _com_ptr_t &operator=(const _com_ptr_t &other) { return *this = other.p_; }
    _com_ptr_t &operator=(Interface *p) {
        if (p != p_) {
            Interface *old = p_;
            p_ = p;
            add_ref();
            if (old) old->Release();
        }
        return *this;
    }
    _com_ptr_t &operator=(int null) {
        if (null != 0) _com_issue_error(E_POINTER);
        return *this = static_cast<Interface *>(nullptr);
    }
    void Attach(Interface *p) {
        release();
        p_ = p;
    }
    Interface *Detach() {
        Interface *p = p_;
        p_ = nullptr;
        return p;
    }
    void Release() {
        if (!p_) _com_issue_error(E_POINTER);
        p_->Release();
        p_ = nullptr;
    }
    Interface *GetInterfacePtr() const { return p_; }
    operator Interface *() const { return p_; }
    Interface *operator->() const {
        if (!p_) _com_issue_error(E_POINTER);
        return p_;
    }
    Interface &operator*() const {
        if (!p_) _com_issue_error(E_POINTER);
        return *p_;
    }
    Interface **operator&() {
        release();
        p_ = nullptr;
        return &p_;
    }
    bool operator!() const { return p_ == nullptr; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    void add_ref() {
        if (p_) p_->AddRef();
    }
    void release() {
        if (p_) p_->Release();
    }
    Interface *p_;
};

#define _COM_SMARTPTR_TYPEDEF(Interface, aIID)                                 \
    inline const IID &__##Interface##_IID_getter(void) { return aIID; }        \
    typedef _com_ptr_t<_com_IIID_getter<Interface, __##Interface##_IID_getter> > \
        Interface##Ptr

#endif /* __cplusplus */
#endif /* !_WIN32 */
#endif
