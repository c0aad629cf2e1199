// The runtime library's _wstati64 and _wutime, with the Windows record.
#include "platform/file_time.h"
#include "platform/native_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Win32 codes back to the errno values the runtime library sets.
int errno_for_path_failure() {
    switch (GetLastError()) {
    case ERROR_INVALID_NAME:
    case ERROR_NO_UNICODE_TRANSLATION: return EINVAL;
    default: return ENOENT;
    }
}

uint16_t windows_mode(mode_t mode) {
    uint16_t result = 0;
    if (S_ISDIR(mode)) result = 0x4000;
    else if (S_ISREG(mode)) result = 0x8000;
    else if (S_ISCHR(mode)) result = 0x2000;
    else if (S_ISFIFO(mode)) result = 0x1000;
    uint16_t owner = 0;
    if (mode & S_IRUSR) owner |= 0x0100;
    if (mode & S_IWUSR) owner |= 0x0080;
    if (mode & S_IXUSR) owner |= 0x0040;
    // The runtime library repeats the owner's bits for group and others.
    return static_cast<uint16_t>(result | owner | owner >> 3 | owner >> 6);
}

}  // namespace

int quorvel_win32::_wstati64(const WCHAR *path, struct _stati64 *status) {
    std::string native;
    if (!status) {
        errno = EINVAL;
        return -1;
    }
    if (!platform::native_path(path, native)) {
        errno = errno_for_path_failure();
        return -1;
    }
    struct stat info{};
    timespec created{};
    if (::stat(native.c_str(), &info) != 0 || !platform::creation_time(native, created))
        return -1;
    *status = {};
    status->st_dev = status->st_rdev = 25;  // drive Z:
    status->st_mode = windows_mode(info.st_mode);
    status->st_nlink = static_cast<int16_t>(info.st_nlink > 0x7FFF ? 0x7FFF : info.st_nlink);
    status->st_size = S_ISDIR(info.st_mode) ? 0 : info.st_size;
    status->st_atime = info.st_atim.tv_sec;
    status->st_mtime = info.st_mtim.tv_sec;
    status->st_ctime = created.tv_sec;
    return 0;
}

int quorvel_win32::_wutime(const WCHAR *path, struct _utimbuf *times) {
    std::string native;
    if (!platform::native_path(path, native)) {
        errno = errno_for_path_failure();
        return -1;
    }
    timespec values[2];
    if (times) {
        values[0] = timespec{static_cast<time_t>(times->actime), 0};
        values[1] = timespec{static_cast<time_t>(times->modtime), 0};
    } else {
        values[0] = values[1] = timespec{0, UTIME_NOW};
    }
    return ::utimensat(AT_FDCWD, native.c_str(), values, 0);
}
