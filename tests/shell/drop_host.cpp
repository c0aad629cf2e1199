#include "shell/drop_host.h"

#include <cstring>
#include <sstream>

namespace test {

namespace {

constexpr UINT kNotification = 0x8400;  // WM_APP + 0x400, the host's choice

HGLOBAL block_of(const std::string &bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

// The host's value of the target is its DropHost.
LRESULT record(HWND, UINT message, WPARAM code, LPARAM object) {
    const auto *target = reinterpret_cast<const CExDropTarget *>(object);
    if (message == kNotification)
        static_cast<DropHost *>(target->m_pParam)
            ->seen.push_back(seen(code, target->m_cfFormat, target->m_pszData, target->m_pPoint));
    return 0;
}

}  // namespace

std::string seen(WPARAM code, UINT format, const unsigned short *text, const POINTL *point) {
    std::ostringstream out;
    out << "code " << code << " format " << format << " point ";
    if (point) out << point->x << ',' << point->y;
    if (!text) return out.str();
    out << " text" << std::hex;
    for (size_t i = 0; text[i] || (format == CF_HDROP && text[i + 1]); ++i) out << ' ' << text[i];
    return out.str();
}

HRESULT OfferedData::QueryInterface(REFIID iid, void **object) {
    *object = IsEqualGUID(iid, IID_IDataObject) ? static_cast<IDataObject *>(this) : nullptr;
    if (*object) AddRef();
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT OfferedData::GetData(FORMATETC *format, STGMEDIUM *medium) {
    for (const auto &[id, bytes] : offered_) {
        if (id == format->cfFormat && readable_) {
            *medium = {};
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = block_of(bytes);
            return S_OK;
        }
    }
    return DV_E_FORMATETC;
}

HRESULT OfferedData::Next(ULONG count, FORMATETC *formats, ULONG *fetched) {
    ULONG n = 0;
    for (; n < count && next_ < offered_.size(); ++n, ++next_)
        formats[n] = {static_cast<CLIPFORMAT>(offered_[next_].first), nullptr, DVASPECT_CONTENT, -1,
                      TYMED_HGLOBAL};
    *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

#ifdef _WIN32

const bool kHasSystemData = true;

IDataObject *system_data(HWND owner, const Offered &offered) {
    IDataObject *data = nullptr;
    if (!OpenClipboard(owner)) return nullptr;
    EmptyClipboard();
    for (const auto &[format, bytes] : offered) SetClipboardData(format, block_of(bytes));
    CloseClipboard();
    return SUCCEEDED(OleGetClipboard(&data)) ? data : nullptr;
}

// A window procedure of its own: on i686 it must be __stdcall, which a
// lambda cannot be.
LRESULT CALLBACK host_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return m == kNotification ? record(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}

DropHost::DropHost() {
    OleInitialize(nullptr);
    WNDCLASSW type = {};
    type.lpfnWndProc = host_procedure;
    type.lpszClassName = L"QuorvelDropHost";
    RegisterClassW(&type);
    window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             nullptr, nullptr);
    CExDropTarget::CreateInstance(&target, window, this, kNotification);
    RegisterDragDrop(window, target);  // the system's reference
}

DropHost::~DropHost() {
    RevokeDragDrop(window);  // releases the target
    DestroyWindow(window);
    OleUninitialize();
}

#else

const bool kHasSystemData = false;
IDataObject *system_data(HWND, const Offered &) { return nullptr; }

DropHost::DropHost() {
    window = reinterpret_cast<HWND>(this);
    Quorvel_SetWindowProc(window, record);
    CExDropTarget::CreateInstance(&target, window, this, kNotification);
    target->AddRef();
}

DropHost::~DropHost() {
    target->Release();
    Quorvel_SetWindowProc(window, nullptr);
}

#endif

}  // namespace test
