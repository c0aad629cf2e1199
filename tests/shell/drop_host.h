// A data object of our own offering given formats as global memory, and a
// host window that records the drop target's notifications.
#pragma once

#include <quorvel/droptarget.h>

#include "support/win32.h"
#ifdef _WIN32
#include <shlobj.h>  // DROPFILES, FILEGROUPDESCRIPTORW
#endif

#include <string>
#include <utility>
#include <vector>

namespace test {

using namespace std::string_literals;

// What one notification showed the host.
struct Seen {
    WPARAM code;
    UINT format;
    bool has_text;
    std::u16string text;  // for CF_HDROP the whole zero-separated list
    LONG x, y;
    bool has_point = true;
    std::string describe() const;
};

class OfferedData : public IDataObject {
public:
    // Each format with its bytes; unreadable: GetData fails for all.
    explicit OfferedData(std::vector<std::pair<UINT, std::string>> offered, bool readable = true)
        : offered_(std::move(offered)), readable_(readable) {}
    LONG references = 0;  // taken and not yet released

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }

private:
    std::vector<std::pair<UINT, std::string>> offered_;
    bool readable_;
};

// A window (Windows: a message-only window; POSIX: a handle given a
// procedure) with a drop target reporting to it.
struct DropHost {
    DropHost();
    ~DropHost();
    HWND window = nullptr;
    CExDropTarget *target = nullptr;
    std::vector<Seen> seen;
};

std::string utf16_bytes(const std::u16string &text);  // with its zero
std::string block_bytes(HGLOBAL memory);              // and frees it
inline const WCHAR *wide(const char16_t *text) { return reinterpret_cast<const WCHAR *>(text); }

}  // namespace test
