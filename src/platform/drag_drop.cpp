// The data side of drag and drop: interface identifiers, storage media of
// global memory, and the path lists of CF_HDROP.
#include "platform/win32_desktop.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quorvel_win32 {
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IEnumFORMATETC = {0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

void quorvel_win32::ReleaseStgMedium(STGMEDIUM *medium) {
    if (!medium) return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL)
        GlobalFree(medium->hGlobal);
    *medium = STGMEDIUM{};
}

namespace {

// The paths of a DROPFILES block, as UTF-16; false for a block too short
// for its header.
bool dropped_paths(HDROP drop, std::u16string &list) {
    const size_t size = GlobalSize(drop);
    const auto *bytes = static_cast<const char *>(GlobalLock(drop));
    if (!bytes) return false;
    DROPFILES header{};
    const bool whole = size >= sizeof header;
    if (whole) std::memcpy(&header, bytes, sizeof header);
    if (whole && header.pFiles < size) {
        const char *start = bytes + header.pFiles;
        const size_t room = size - header.pFiles;
        if (header.fWide) {
            list.assign(reinterpret_cast<const char16_t *>(start), room / sizeof(char16_t));
        } else {
            const std::string ansi(start, room);
            const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
            list.resize(static_cast<size_t>(units > 0 ? units : 0));
            if (units > 0)
                MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    as_wide(&list[0]), units);
        }
    }
    GlobalUnlock(drop);
    return whole;
}

}  // namespace

UINT quorvel_win32::DragQueryFileW(HDROP drop, UINT index, LPWSTR path, UINT size) {
    std::u16string list;
    if (!dropped_paths(drop, list)) return 0;
    // Paths end at each zero; the list at the first empty one or the block's end.
    UINT found = 0;
    for (size_t start = 0; start < list.size() && list[start] != u'\0'; ++found) {
        size_t end = list.find(u'\0', start);
        if (end == std::u16string::npos) end = list.size();
        if (found == index) {
            const size_t length = end - start;
            if (!path) return static_cast<UINT>(length);
            if (size == 0) return 0;
            const size_t copied = std::min<size_t>(length, size - 1);
            std::memcpy(path, list.data() + start, copied * sizeof(WCHAR));
            path[copied] = 0;
            return static_cast<UINT>(copied);
        }
        start = end + 1;
    }
    return index == 0xFFFFFFFF ? found : 0;
}
