// A data object of our own offering given formats as global memory (and,
// on Windows, the system's own one, the clipboard's), and a host window that
// records the drop target's notifications.
#pragma once

#include <quorvel/droptarget.h>

#include "support/win32.h"

#include <string>
#include <utility>
#include <vector>

namespace test {

using Offered = std::vector<std::pair<UINT, std::string>>;  // format, bytes

class OfferedData : public IDataObject, public IEnumFORMATETC {
public:
    explicit OfferedData(Offered offered, bool readable = true)
        : offered_(std::move(offered)), readable_(readable) {}
    LONG references = 0;  // taken and not yet released

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC **formats) override {
        next_ = 0;  // the object lists its own formats
        *formats = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC *formats, ULONG *fetched) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC **) override { return E_NOTIMPL; }

private:
    Offered offered_;
    bool readable_;
    size_t next_ = 0;
};

// The same formats on the clipboard, as the system's data object (Windows
// only: null elsewhere). The caller releases it.
IDataObject *system_data(HWND owner, const Offered &offered);
extern const bool kHasSystemData;

// One notification: code, format, text (for CF_HDROP the whole list) and
// point, as one line to compare.
std::string seen(WPARAM code, UINT format, const unsigned short *text, const POINTL *point);

// A window (Windows: message-only; POSIX: a handle given a procedure) with
// a drop target reporting to it.
struct DropHost {
    DropHost();
    ~DropHost();
    HWND window = nullptr;
    CExDropTarget *target = nullptr;
    std::vector<std::string> seen;
};

// Text with its zero, as bytes.
inline std::string utf16_bytes(const std::u16string &text) {
    return std::string(reinterpret_cast<const char *>(text.c_str()), (text.size() + 1) * 2);
}

}  // namespace test
