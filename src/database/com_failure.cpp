// Raising and reporting the database functions' COM failures.
#include "database/com_failure.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace mdb {

void raise(HRESULT hr, IUnknown *object, REFIID iid) {
    IErrorInfo *info = nullptr;
    ISupportErrorInfo *support = nullptr;
    if (object &&
        SUCCEEDED(object->QueryInterface(__uuidof(ISupportErrorInfo),
                                         reinterpret_cast<void **>(&support)))) {
        if (support->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &info) != S_OK)
            info = nullptr;
        support->Release();
    }
    throw _com_error(hr, info);
}

void raise(HRESULT hr) { throw _com_error(hr); }

void report(const _com_error &error, const char16_t *) {
    BSTR description = nullptr;
    if (IErrorInfo *info = error.ErrorInfo()) {
        if (FAILED(info->GetDescription(&description))) description = nullptr;
        info->Release();
    }
    std::u16string text = u"\tMean = " + u16_string(error.ErrorMessage()) + u"\n\u0007\t説明 = " +
                          u16_string(description) + u"\n";
    if (text.size() >= QUORVEL_MAX_TEXT) text.resize(QUORVEL_MAX_TEXT - 1);
    MessageBoxW(nullptr, as_wide(text), as_wide(u"Error"), MB_OK);
    SysFreeString(description);
}

Bstr::Bstr(const unsigned short *text) : text_(nullptr) {
    if (!text) return;
    text_ = SysAllocString(as_wide(text));
    if (!text_) raise(E_OUTOFMEMORY);
}

VARIANT long_variant(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT short_variant(short value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT text_variant(const unsigned short *text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = Bstr(text).release();
    return v;
}

unsigned short *malloc_text(BSTR text) {
    const size_t length = SysStringLen(text);
    auto *copy = static_cast<unsigned short *>(std::malloc((length + 1) * 2));
    if (!copy) raise(E_OUTOFMEMORY);
    if (length) std::memcpy(copy, text, length * 2);
    copy[length] = 0;
    return copy;
}

}  // namespace mdb
