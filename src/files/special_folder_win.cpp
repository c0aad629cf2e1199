#include "files/special_folder.h"

#include "platform/win32.h"

namespace files {

// The shell's own route: an item-ID list from the shell's allocator.
bool special_folder(int csidl, unsigned short *path) {
    IMalloc *allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return false;
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items))) {
        allocator->Release();
        return false;
    }
    const bool found = SHGetPathFromIDListW(items, as_wide(path));
    allocator->Free(items);
    allocator->Release();
    return found;
}

}  // namespace files
