#include "platform/last_error.h"

#include <cerrno>

namespace {
thread_local DWORD t_last_error = 0;
}

DWORD quorvel_win32::GetLastError(void) { return t_last_error; }
void quorvel_win32::SetLastError(DWORD code) { t_last_error = code; }

namespace platform {

DWORD win32_error_from_errno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ETXTBSY:
    case EBUSY: return ERROR_SHARING_VIOLATION;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMLINK: return ERROR_TOO_MANY_LINKS;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EILSEQ: return ERROR_NO_UNICODE_TRANSLATION;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EIO:
    default: return ERROR_IO_DEVICE;
    }
}

void set_last_error_from_errno() {
    int saved = errno;
    SetLastError(win32_error_from_errno(saved));
    errno = saved;
}

}  // namespace platform
