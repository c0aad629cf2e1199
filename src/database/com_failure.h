// The database functions' guarded regions: a failing engine call or COM
// step is raised as a _com_error, which the function catches, shows in the
// error box and turns into its failure result.
#pragma once

#include "platform/win32.h"

#include <quorvel/dao.h>

#include <new>

namespace mdb {

// Throws _com_error(hr) with the failing object's error information when
// the object supports it for the interface called (ISupportErrorInfo).
[[noreturn]] void raise(HRESULT hr, IUnknown *object, REFIID iid);

// A failure of the library's own step: the code alone.
[[noreturn]] void raise(HRESULT hr);

template <class Interface> void check(HRESULT hr, Interface *object) {
    if (FAILED(hr)) raise(hr, object, __uuidof(Interface));
}

// The error box: caption "Error", the system's text for the code and the
// failure's description. The operation's name is not shown.
void report(const _com_error &error, const char16_t *operation);

// Runs `body`; a raised failure is reported under `operation` and gives
// `failure`.
template <class Result, class Body>
Result guarded(const char16_t *operation, Result failure, Body &&body) {
    try {
        return body();
    } catch (const _com_error &error) {
        report(error, operation);
    } catch (const std::bad_alloc &) {
        report(_com_error(E_OUTOFMEMORY), operation);
    }
    return failure;
}

// A BSTR copy of an interface text, freed at scope exit; null stays null.
class Bstr {
public:
    explicit Bstr(const unsigned short *text);
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    operator BSTR() const { return text_; }
    BSTR release() {
        BSTR text = text_;
        text_ = nullptr;
        return text;
    }

private:
    BSTR text_;
};

// A VARIANT cleared at scope exit.
struct Variant {
    VARIANT value;
    Variant() { VariantInit(&value); }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
};

VARIANT short_variant(short value);               // VT_I2
VARIANT long_variant(LONG value);                 // VT_I4
VARIANT text_variant(const unsigned short *text);  // VT_BSTR, owning its copy (clear it)

// A malloc'd zero-terminated copy of a BSTR, for the caller to free.
unsigned short *malloc_text(BSTR text);

}  // namespace mdb
