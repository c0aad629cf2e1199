#include "files/special_folder.h"

#include "platform/win32.h"

namespace files {

bool special_folder(int csidl, unsigned short *path) {
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, as_wide(path)));
}

}  // namespace files
