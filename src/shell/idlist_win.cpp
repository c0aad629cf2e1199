// "Shell IDList Array" on Windows: each child item list joined with its
// parent's into one absolute list (shell allocator), then its path.
#include "shell/drop_text.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>

namespace shell {

static_assert(sizeof(FILEDESCRIPTORW) == kFileDescriptorBytes &&
              offsetof(FILEDESCRIPTORW, cFileName) == kFileNameAt &&
              sizeof(FILEDESCRIPTORW::cFileName) == kFileNameBytes);

namespace {

// The bytes of an item list without its terminating zero; false when it
// runs past `end`.
bool list_bytes(const BYTE *list, const BYTE *end, size_t &bytes) {
    bytes = 0;
    for (;;) {
        if (end - list < static_cast<ptrdiff_t>(bytes + sizeof(USHORT))) return false;
        USHORT item = 0;
        std::memcpy(&item, list + bytes, sizeof item);
        if (item == 0) return true;
        bytes += item;
    }
}

}  // namespace

bool idlist_path(const void *cida, size_t size, UINT index, std::u16string &path) {
    const auto *ida = static_cast<const CIDA *>(cida);
    const BYTE *start = static_cast<const BYTE *>(cida), *end = start + size;
    if (size / sizeof(UINT) < index + 3u) return false;  // the count and both offsets
    const UINT parent_at = ida->aoffset[0], child_at = ida->aoffset[index + 1];
    size_t parent = 0, child = 0;
    if (parent_at >= size || child_at >= size || !list_bytes(start + parent_at, end, parent) ||
        !list_bytes(start + child_at, end, child))
        return false;

    IMalloc *allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return false;
    auto *joined = static_cast<BYTE *>(allocator->Alloc(parent + child + sizeof(USHORT)));
    bool found = false;
    if (joined) {
        std::memcpy(joined, start + parent_at, parent);
        std::memcpy(joined + parent, start + child_at, child + sizeof(USHORT));
        wchar_t buffer[MAX_PATH] = {};
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(joined), buffer)) {
            path.assign(as_u16(buffer));
            found = !path.empty();
        }
        allocator->Free(joined);
    }
    allocator->Release();
    return found;
}

}  // namespace shell
