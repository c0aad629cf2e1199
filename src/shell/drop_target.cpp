// The drop target: picks the best format a drag offers, reads the dropped
// data as one UTF-16 text and hands it to the host's window in a message.
// Every text it holds is a new[] block of unsigned short (its own, or
// Str_ToUnicode's), released with delete[].
#include "shell/drop_text.h"

#include <quorvel/droptarget.h>
#include <quorvel/frame.h>
#include <quorvel/text.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

enum Notification : UINT { kEnter = 0, kOver = 1, kLeave = 2, kDrop = 3 };

// Formats fetched from a data object's list in one go.
constexpr ULONG kMostFormats = 256;
// Each dropped path is read into a buffer of this many units.
constexpr UINT kDroppedPathUnits = 4096;

// Formats offered by a data object, in its order; empty on any failure.
std::vector<UINT> offered_formats(IDataObject *data) {
    std::vector<UINT> formats;
    IEnumFORMATETC *list = nullptr;
    if (!data || FAILED(data->EnumFormatEtc(DATADIR_GET, &list)) || !list) return formats;
    std::vector<FORMATETC> fetched(kMostFormats);
    ULONG count = 0;
    if (SUCCEEDED(list->Next(kMostFormats, fetched.data(), &count)))
        for (ULONG i = 0; i < count && i < kMostFormats; ++i) formats.push_back(fetched[i].cfFormat);
    list->Release();
    return formats;
}

unsigned short *copy_of(const std::u16string &text) {
    auto *copy = new (std::nothrow) unsigned short[text.size() + 1];
    if (copy) {
        std::memcpy(copy, text.data(), text.size() * sizeof *copy);
        copy[text.size()] = 0;
    }
    return copy;
}

// UTF-16 text up to its first zero unit, within the block.
std::u16string utf16_within(const void *bytes, size_t size) {
    const auto *units = static_cast<const char16_t *>(bytes);
    size_t length = 0;
    while (length < size / sizeof(char16_t) && units[length]) ++length;
    return std::u16string(units, length);
}

std::string bytes_within(const void *bytes, size_t size) {
    const auto *text = static_cast<const char *>(bytes);
    return std::string(text, strnlen(text, size));
}

unsigned short *from_ansi(const std::string &text) { return Str_ToUnicode(text.c_str(), 0xFFFFFFFF); }

// The HTML block is UTF-8; it reaches the host through the ANSI code page,
// as the library always has, so characters that page lacks are lost.
unsigned short *from_html(const std::string &utf8) {
    char *ansi = Str_Utf8ToShiftJis(utf8.c_str());
    if (!ansi) return nullptr;
    unsigned short *text = Str_ToUnicode(ansi, 0xFFFFFFFF);
    delete[] ansi;
    return text;
}

UINT count_at_start(const void *bytes) {
    UINT count = 0;
    std::memcpy(&count, bytes, sizeof count);
    return count;
}

// The names of a file group (FILEGROUPDESCRIPTORW: a count, then records of
// FILEDESCRIPTORW), one per line.
unsigned short *from_file_group(const void *bytes, size_t size) {
    if (size < sizeof(UINT)) return nullptr;
    const UINT count = count_at_start(bytes);
    const size_t room = (size - sizeof(UINT)) / shell::kFileDescriptorBytes;
    std::u16string names;
    for (size_t i = 0; i < count && i < room; ++i) {
        if (i > 0) names += u'\n';
        names += utf16_within(static_cast<const char *>(bytes) + sizeof(UINT) +
                                  i * shell::kFileDescriptorBytes + shell::kFileNameAt,
                              shell::kFileNameBytes);
    }
    return count > 0 ? copy_of(names) : nullptr;
}

// A list of paths, each followed by a zero, the list by one more.
unsigned short *path_list(const std::vector<std::u16string> &paths) {
    if (paths.empty()) return nullptr;
    std::u16string list;
    for (const auto &path : paths) list.append(path).push_back(u'\0');
    return copy_of(list);  // adds the last zero
}

unsigned short *from_hdrop(HGLOBAL memory) {
    auto drop = static_cast<HDROP>(memory);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::u16string> paths;
    std::vector<WCHAR> buffer(kDroppedPathUnits);
    for (UINT i = 0; i < count; ++i) {
        buffer[0] = 0;
        DragQueryFileW(drop, i, buffer.data(), kDroppedPathUnits);
        paths.push_back(as_u16(buffer.data()));
    }
    return path_list(paths);
}

unsigned short *from_idlist(const void *bytes, size_t size) {
    if (size < sizeof(UINT)) return nullptr;
    const UINT count = count_at_start(bytes);  // CIDA's cidl
    std::vector<std::u16string> paths;
    std::u16string path;
    for (UINT i = 0; i < count; ++i)
        if (shell::idlist_path(bytes, size, i, path)) paths.push_back(path);
    return path_list(paths);
}

unsigned short *text_of(UINT format, HGLOBAL memory, const void *bytes, size_t size) {
    if (format == CF_TEXT || format == CF_URLLINK) return from_ansi(bytes_within(bytes, size));
    if (format == CF_HTML) return from_html(bytes_within(bytes, size));
    if (format == CF_URLTEXT) return from_file_group(bytes, size);
    if (format == CF_HDROP) return from_hdrop(memory);
    if (format == CF_IDLIST) return from_idlist(bytes, size);
    return copy_of(utf16_within(bytes, size));  // CF_UNICODETEXT, CF_URL and the rest
}

unsigned short *joined(const unsigned short *url, const unsigned short *html) {
    return copy_of(std::u16string(as_u16(url)) + u'\n' + as_u16(html));
}

void release_data(IDataObject *&data) {
    if (data) data->Release();
    data = nullptr;
}

void take_data(IDataObject *&held, IDataObject *dropped) {
    release_data(held);
    if (dropped) dropped->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&held));
}

}  // namespace

void CExDropTarget::CreateInstance(CExDropTarget **target, HWND window, void *param, UINT message) {
    auto *made = new (std::nothrow) CExDropTarget;
    if (target) *target = made;
    if (!made) return;
    made->m_uMsg = message;
    made->m_hWnd = window;
    made->m_pParam = param;
}

CExDropTarget::CExDropTarget(const CExDropTarget &) = default;
CExDropTarget &CExDropTarget::operator=(const CExDropTarget &) = default;

HRESULT CExDropTarget::QueryInterface(REFIID iid, void **object) {
    if (!object) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget *>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CExDropTarget::AddRef() { return static_cast<ULONG>(++m_lRef); }

ULONG CExDropTarget::Release() {
    if (--m_lRef > 0) return static_cast<ULONG>(m_lRef);
    delete[] m_pszData;
    release_data(m_pDataObject);
    delete this;
    return 0;
}

HRESULT CExDropTarget::DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *) {
    take_data(m_pDataObject, data);
    m_cfFormat = 0;
    const UINT best_first[] = {CF_URL, CF_URLLINK, CF_URLTEXT, CF_UNICODETEXT,
                               CF_TEXT, CF_HDROP,  CF_HTML,    CF_IDLIST};
    for (UINT format : best_first) {
        if (format && IsSupport(format)) {
            m_cfFormat = format;
            break;
        }
    }
    SendMessageW(kEnter, keys, &point);
    release_data(m_pDataObject);
    return S_OK;
}

HRESULT CExDropTarget::DragOver(DWORD keys, POINTL point, DWORD *effect) {
    if (!effect) return E_FAIL;
    SendMessageW(kOver, keys, &point);
    return S_OK;
}

HRESULT CExDropTarget::DragLeave() {
    SendMessageW(kLeave, 0, nullptr);
    release_data(m_pDataObject);
    return S_OK;
}

HRESULT CExDropTarget::Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) {
    take_data(m_pDataObject, data);
    delete[] m_pszData;
    m_pszData = nullptr;

    unsigned short *text = nullptr;
    if (m_cfFormat && m_cfFormat == CF_URL) {
        text = GetData(CF_URL, &point);
        unsigned short *html = text ? GetData(CF_HTML, &point) : nullptr;
        if (html) {
            unsigned short *both = joined(text, html);
            delete[] text;
            delete[] html;
            text = both;
        }
    } else if (m_cfFormat) {
        text = GetData(m_cfFormat, &point);
    }
    if (!text) {
        for (UINT format : offered_formats(m_pDataObject)) {
            if ((text = GetData(format, &point))) {
                m_cfFormat = format;
                break;
            }
        }
    }
    const bool accepted = m_cfFormat != 0;
    if (accepted) {
        m_pszData = text;
        SendMessageW(kDrop, keys, &point);
    }
    delete[] text;
    m_pszData = nullptr;
    if (effect) *effect = DROPEFFECT_NONE;
    release_data(m_pDataObject);
    return accepted ? S_OK : E_FAIL;
}

int CExDropTarget::IsSupport(UINT format) {
    for (UINT offered : offered_formats(m_pDataObject))
        if (offered == format) return 1;
    return 0;
}

unsigned short *CExDropTarget::GetData(UINT format, POINTL *) {
    if (!m_pDataObject) return nullptr;
    FORMATETC request = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(m_pDataObject->GetData(&request, &medium))) return nullptr;
    unsigned short *text = nullptr;
    if (medium.tymed == TYMED_HGLOBAL) {
        if (const void *bytes = GlobalLock(medium.hGlobal)) {
            text = text_of(format, medium.hGlobal, bytes, GlobalSize(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return text;
}

int CExDropTarget::SendMessageW(UINT code, DWORD, POINTL *point) {
    m_pPoint = point;
    ::SendMessageW(m_hWnd, m_uMsg, code, reinterpret_cast<LPARAM>(this));
    m_pPoint = nullptr;
    return 0;
}
