// File status and times through the runtime library's calls.
#include <quorvel/paths.h>

#include "platform/win32.h"

#include <cstring>

namespace {

bool read_status(const unsigned short *path, struct _stati64 &status) {
    std::memset(&status, 0, sizeof status);
    return path && _wstati64(as_wide(path), &status) == 0;
}

}  // namespace

int Cfl_GetFileInfo(const unsigned short *path, struct _stati64 *status) {
    if (!status) return 0;
    return read_status(path, *status) ? 1 : 0;
}

LONG Cfl_GetFileLtTime(const unsigned short *path) {
    struct _stati64 status;
    return read_status(path, status) ? static_cast<int32_t>(status.st_mtime) : 0;
}

LONG Cfl_GetFileCtTime(const unsigned short *path) {
    struct _stati64 status;
    return read_status(path, status) ? static_cast<int32_t>(status.st_ctime) : 0;
}

LONG Cfl_GetFileAsTime(const unsigned short *path) {
    struct _stati64 status;
    return read_status(path, status) ? static_cast<int32_t>(status.st_atime) : 0;
}

int Cfl_SetFileTime(const unsigned short *path, LONG access, LONG modified) {
    if (!path) return 0;
    struct _utimbuf times;
    times.actime = access;
    times.modtime = modified;
    return _wutime(as_wide(path), &times) == 0 ? 1 : 0;
}
