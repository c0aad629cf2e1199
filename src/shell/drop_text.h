// What the drop target reads from the shell's formats: the layout of a file
// group and the item lists of "Shell IDList Array" as paths (Windows: the
// shell namespace, SHGetPathFromIDListW; POSIX: there is no shell
// namespace, so no item has a path).
#pragma once

#include "platform/win32_desktop.h"

#include <string>

namespace shell {

// FILEDESCRIPTORW: 592 bytes, the name (260 units) at byte 72.
constexpr size_t kFileDescriptorBytes = 592;
constexpr size_t kFileNameAt = 72;
constexpr size_t kFileNameBytes = 260 * 2;

// The path of child `index` of a CIDA block of `size` bytes, joined with
// its parent; false when the item has no file-system path or the block is
// too short for it.
bool idlist_path(const void *cida, size_t size, UINT index, std::u16string &path);

}  // namespace shell
