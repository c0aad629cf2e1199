// CreateDirectoryW and RemoveDirectoryW on mkdir(2) and rmdir(2), with the
// codes Windows gives.
#include "platform/last_error.h"
#include "platform/native_path.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

BOOL fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

}  // namespace

BOOL quorvel_win32::CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    if (::mkdir(native.c_str(), 0777) == 0) return TRUE;
    // A missing parent is a path not found, whatever else is missing.
    if (errno == ENOENT) return fail(ERROR_PATH_NOT_FOUND);
    platform::set_last_error_from_errno();
    return FALSE;
}

BOOL quorvel_win32::RemoveDirectoryW(LPCWSTR path) {
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    if (::rmdir(native.c_str()) == 0) return TRUE;
    switch (errno) {
    case ENOENT: return fail(platform::missing_code(native));
    case ENOTDIR: {
        struct stat status{};
        // A file where a folder was asked for, or a missing folder on the way.
        return fail(::lstat(native.c_str(), &status) == 0 ? ERROR_DIRECTORY
                                                          : ERROR_PATH_NOT_FOUND);
    }
    case EEXIST:
    case ENOTEMPTY: return fail(ERROR_DIR_NOT_EMPTY);
    default: platform::set_last_error_from_errno(); return FALSE;
    }
}
