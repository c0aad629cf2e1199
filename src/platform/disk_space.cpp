// GetDiskFreeSpaceExW from statvfs(3), GetCompressedFileSizeW from the
// blocks a file has allocated.
#include "platform/last_error.h"
#include "platform/native_path.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

BOOL quorvel_win32::GetDiskFreeSpaceExW(LPCWSTR folder, ULARGE_INTEGER *callerFree,
                                    ULARGE_INTEGER *total, ULARGE_INTEGER *free) {
    std::string native = ".";
    if (folder && !platform::native_path(folder, native)) return FALSE;
    struct statvfs status{};
    if (::statvfs(native.c_str(), &status) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    const uint64_t unit = status.f_frsize ? status.f_frsize : status.f_bsize;
    if (callerFree) callerFree->QuadPart = status.f_bavail * unit;
    if (total) total->QuadPart = status.f_blocks * unit;
    if (free) free->QuadPart = status.f_bfree * unit;
    return TRUE;
}

DWORD quorvel_win32::GetCompressedFileSizeW(LPCWSTR path, DWORD *high) {
    std::string native;
    if (!platform::native_path(path, native)) return INVALID_FILE_SIZE;
    struct stat status{};
    if (::stat(native.c_str(), &status) != 0) {
        platform::set_last_error_from_errno();
        return INVALID_FILE_SIZE;
    }
    // st_blocks counts 512-byte units whatever the file system's block. A
    // file that is not sparse costs its size, as Windows answers.
    const uint64_t allocated = static_cast<uint64_t>(status.st_blocks) * 512;
    const uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
    const uint64_t bytes = allocated < size ? allocated : size;
    if (high) *high = static_cast<DWORD>(bytes >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(bytes);
}
