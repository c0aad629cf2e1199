// DeleteFileW: unlink(2) with the refusals of Windows.
#include "platform/file_object.h"
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

BOOL quorvel_win32::DeleteFileW(LPCWSTR path) {
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    struct stat status{};
    if (::lstat(native.c_str(), &status) != 0) {
        if (errno == ENOENT) return fail(platform::missing_code(native));
        platform::set_last_error_from_errno();
        return FALSE;
    }
    // Windows deletes neither folders nor read-only files; POSIX would let
    // the owner of the folder (and root) unlink the latter.
    const bool read_only = !S_ISLNK(status.st_mode) &&
                           !(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
    if (S_ISDIR(status.st_mode) || read_only) return fail(ERROR_ACCESS_DENIED);
    if (!platform::FileObject::deletable(status.st_dev, status.st_ino))
        return fail(ERROR_SHARING_VIOLATION);
    if (::unlink(native.c_str()) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}
