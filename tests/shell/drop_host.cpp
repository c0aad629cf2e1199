#include "shell/drop_host.h"

#include <cstring>
#include <sstream>

namespace test {

namespace {

constexpr UINT kNotification = 0x8400;  // WM_APP + 0x400, the host's choice

class FormatList : public IEnumFORMATETC {
public:
    explicit FormatList(std::vector<UINT> formats) : formats_(std::move(formats)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC *out, ULONG *fetched) override {
        ULONG n = 0;
        for (; n < count && next_ < formats_.size(); ++n, ++next_)
            out[n] = {static_cast<CLIPFORMAT>(formats_[next_]), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC **) override { return E_NOTIMPL; }

private:
    std::vector<UINT> formats_;
    size_t next_ = 0;
    ULONG references_ = 1;
};

std::u16string text_of(const CExDropTarget &target) {
    const auto *text = reinterpret_cast<const char16_t *>(target.m_pszData);
    if (target.m_cfFormat != CF_HDROP) return text;
    size_t length = 0;
    while (text[length] || text[length + 1]) ++length;
    return std::u16string(text, length + 2);
}

// The notifications; the host's value of the target is its DropHost.
LRESULT record(HWND, UINT message, WPARAM code, LPARAM object) {
    if (message != kNotification) return 0;
    const auto *target = reinterpret_cast<const CExDropTarget *>(object);
    auto *host = static_cast<DropHost *>(target->m_pParam);
    const POINTL point = target->m_pPoint ? *target->m_pPoint : POINTL{0, 0};
    host->seen.push_back({code, target->m_cfFormat, target->m_pszData != nullptr,
                          target->m_pszData ? text_of(*target) : u"", point.x, point.y,
                          target->m_pPoint != nullptr});
    return 0;
}

}  // namespace

std::string Seen::describe() const {
    std::ostringstream out;
    out << "code " << code << " format " << format << " point " << has_point << ' ' << x << ',' << y
        << " text " << has_text << " [";
    for (char16_t c : text) out << std::hex << unsigned(c) << ' ';
    out << ']';
    return out.str();
}

HRESULT OfferedData::QueryInterface(REFIID iid, void **object) {
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDataObject)) {
        *object = this;
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT OfferedData::GetData(FORMATETC *format, STGMEDIUM *medium) {
    for (const auto &[id, bytes] : offered_) {
        if (id != format->cfFormat || !readable_ || !(format->tymed & TYMED_HGLOBAL)) continue;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        *medium = {};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        return S_OK;
    }
    return DV_E_FORMATETC;
}

HRESULT OfferedData::EnumFormatEtc(DWORD direction, IEnumFORMATETC **formats) {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<UINT> ids;
    for (const auto &entry : offered_) ids.push_back(entry.first);
    *formats = new FormatList(ids);
    return S_OK;
}

std::string utf16_bytes(const std::u16string &text) {
    return std::string(reinterpret_cast<const char *>(text.c_str()), (text.size() + 1) * 2);
}

std::string block_bytes(HGLOBAL memory) {
    std::string bytes(static_cast<const char *>(GlobalLock(memory)), GlobalSize(memory));
    GlobalUnlock(memory);
    GlobalFree(memory);
    return bytes;
}

DropHost::DropHost() {
#ifdef _WIN32
    WNDCLASSW type = {};
    type.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == kNotification ? record(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
    };
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"QuorvelDropHost";
    RegisterClassW(&type);
    window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             type.hInstance, nullptr);
#else
    window = reinterpret_cast<HWND>(this);
    Quorvel_SetWindowProc(window, record);
#endif
    CExDropTarget::CreateInstance(&target, window, this, kNotification);
    target->AddRef();
}

DropHost::~DropHost() {
    target->Release();
#ifdef _WIN32
    DestroyWindow(window);
#else
    Quorvel_SetWindowProc(window, nullptr);
#endif
}

}  // namespace test
