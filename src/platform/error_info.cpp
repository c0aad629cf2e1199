// Per-thread error information (SetErrorInfo / GetErrorInfo), the error
// object of CreateErrorInfo, and the compiler support's _com_error with
// its message text.
#include "platform/com_object.h"
#include "platform/win32.h"

#include <new>
#include <cstdio>

namespace {

thread_local IErrorInfo *t_error_info = nullptr;

// Releases the thread's error information when the thread ends.
struct ThreadErrorInfo {
    ~ThreadErrorInfo() {
        if (t_error_info) t_error_info->Release();
        t_error_info = nullptr;
    }
};
thread_local ThreadErrorInfo t_error_info_owner;

class ErrorObject final : public platform::RefCounted<IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IErrorInfo))
            *object = static_cast<IErrorInfo *>(this);
        else if (riid == __uuidof(ICreateErrorInfo))
            *object = static_cast<ICreateErrorInfo *>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID *guid) override {
        if (!guid) return E_INVALIDARG;
        *guid = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR *text) override { return copy(source_, text); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR *text) override {
        return copy(description_, text);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR *text) override { return copy(help_file_, text); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD *context) override {
        if (!context) return E_INVALIDARG;
        *context = help_context_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetGUID(REFIID guid) override {
        guid_ = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR text) override { return set(&source_, text); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR text) override {
        return set(&description_, text);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR text) override { return set(&help_file_, text); }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD context) override {
        help_context_ = context;
        return S_OK;
    }

private:
    ~ErrorObject() {
        SysFreeString(source_);
        SysFreeString(description_);
        SysFreeString(help_file_);
    }
    static HRESULT copy(BSTR from, BSTR *to) {
        if (!to) return E_INVALIDARG;
        *to = from ? SysAllocStringLen(from, SysStringLen(from)) : nullptr;
        return from && !*to ? E_OUTOFMEMORY : S_OK;
    }
    static HRESULT set(BSTR *field, LPOLESTR text) {
        BSTR copied = SysAllocString(text);
        if (text && !copied) return E_OUTOFMEMORY;
        SysFreeString(*field);
        *field = copied;
        return S_OK;
    }
    GUID guid_{};
    BSTR source_ = nullptr;
    BSTR description_ = nullptr;
    BSTR help_file_ = nullptr;
    DWORD help_context_ = 0;
};

}  // namespace

HRESULT quorvel_win32::SetErrorInfo(ULONG reserved, IErrorInfo *info) {
    if (reserved) return E_INVALIDARG;
    (void)t_error_info_owner;
    if (info) info->AddRef();
    if (t_error_info) t_error_info->Release();
    t_error_info = info;
    return S_OK;
}

HRESULT quorvel_win32::GetErrorInfo(ULONG reserved, IErrorInfo **info) {
    if (reserved || !info) return E_INVALIDARG;
    *info = t_error_info;
    t_error_info = nullptr;
    return *info ? S_OK : S_FALSE;
}

HRESULT quorvel_win32::CreateErrorInfo(ICreateErrorInfo **info) {
    if (!info) return E_INVALIDARG;
    *info = new (std::nothrow) ErrorObject;
    return *info ? S_OK : E_OUTOFMEMORY;
}

_com_error::_com_error(HRESULT hr, IErrorInfo *info, bool addRef)
    : hresult_(hr), info_(info), message_(nullptr) {
    if (info_ && addRef) info_->AddRef();
}

_com_error::_com_error(const _com_error &other)
    : hresult_(other.hresult_), info_(other.info_), message_(nullptr) {
    if (info_) info_->AddRef();
}

_com_error &_com_error::operator=(const _com_error &other) {
    if (this != &other) {
        if (other.info_) other.info_->AddRef();
        if (info_) info_->Release();
        LocalFree(message_);
        hresult_ = other.hresult_;
        info_ = other.info_;
        message_ = nullptr;
    }
    return *this;
}

_com_error::~_com_error() {
    if (info_) info_->Release();
    LocalFree(message_);
}

IErrorInfo *_com_error::ErrorInfo() const {
    if (info_) info_->AddRef();
    return info_;
}

// The system's text for the code without its line break; failing that,
// "IDispatch error #n" for the codes that IDispatch implementations give
// (FACILITY_ITF from 0x200), else "Unknown error 0x...".
const WCHAR *_com_error::ErrorMessage() const {
    if (message_) return message_;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                   static_cast<DWORD>(hresult_), 0x0400, reinterpret_cast<LPWSTR>(&message_), 0,
                   nullptr);
    if (message_) {
        size_t length = 0;
        while (message_[length]) ++length;
        if (length > 1 && message_[length - 1] == '\n') {
            message_[length - 1] = 0;
            if (message_[length - 2] == '\r') message_[length - 2] = 0;
        }
        return message_;
    }
    message_ = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, 32 * sizeof(WCHAR)));
    if (!message_) return nullptr;
    const DWORD code = static_cast<DWORD>(hresult_);
    char text[32];
    if (code >= 0x80040200u && code <= 0x8004FFFFu && ((code - 0x200u) & 0xFFFFu))
        std::snprintf(text, sizeof text, "IDispatch error #%u", (code - 0x200u) & 0xFFFFu);
    else
        std::snprintf(text, sizeof text, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    for (size_t i = 0;; ++i) {
        message_[i] = static_cast<unsigned char>(text[i]);
        if (!text[i]) break;
    }
    return message_;
}

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }
