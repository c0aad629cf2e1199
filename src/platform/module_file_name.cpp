// GetModuleFileNameW: a module handle is a load address (as dladdr gives
// it), null the executable.
#include "platform/native_path.h"
#include "platform/win32.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

DWORD quorvel_win32::GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    std::string path;
    if (!module) {
        char self[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) path.assign(self, n);
    } else {
        Dl_info info{};
        if (::dladdr(module, &info) && info.dli_fbase == static_cast<void *>(module) &&
            info.dli_fname) {
            char *full = ::realpath(info.dli_fname, nullptr);
            path = full ? full : info.dli_fname;
            ::free(full);
        }
    }
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::u16string name = platform::windows_path(path);
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Windows' way with a short buffer: as much as fits, terminated.
    const DWORD length = static_cast<DWORD>(name.size());
    const DWORD n = length < size ? length : size - 1;
    for (DWORD i = 0; i < n; ++i) buffer[i] = name[i];
    buffer[n] = 0;
    if (length >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return length;
}
