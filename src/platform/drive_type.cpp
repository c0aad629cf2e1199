// GetDriveTypeW from the mount a root or mount-point folder is.
#include "platform/native_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

UINT type_of_file_system(unsigned long magic) {
    switch (magic) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFE534D42:  // SMB2
    case 0xFF534D42:  // CIFS
    case 0x5346414F:  // AFS
    case 0x73757245:  // Coda
    case 0x564C:      // NCP
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
        return DRIVE_REMOTE;
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
        return DRIVE_CDROM;
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
        return DRIVE_RAMDISK;
    default:
        return DRIVE_FIXED;
    }
}

bool is_mount_point(const std::string &path) {
    if (path == "/") return true;
    struct statx status{};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS, &status) != 0) return false;
    if (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return status.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    struct stat self{}, parent{};
    return ::stat(path.c_str(), &self) == 0 && ::stat((path + "/..").c_str(), &parent) == 0 &&
           (self.st_dev != parent.st_dev || self.st_ino == parent.st_ino);
}

}  // namespace

UINT quorvel_win32::GetDriveTypeW(LPCWSTR root) {
    std::string native = "/";
    if (root && *root) {
        // "Z:" names the drive as "Z:\" does.
        const WCHAR drive_root[] = {root[0], ':', '\\', 0};
        const bool bare_drive = root[1] == ':' && root[2] == 0;
        const DWORD saved = GetLastError();
        const bool mapped = platform::native_path(bare_drive ? drive_root : root, native);
        SetLastError(saved);
        if (!mapped) return DRIVE_NO_ROOT_DIR;
    }
    struct stat status{};
    if (::stat(native.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        !is_mount_point(native))
        return DRIVE_NO_ROOT_DIR;
    struct statfs file_system{};
    if (::statfs(native.c_str(), &file_system) != 0) return DRIVE_UNKNOWN;
    return type_of_file_system(static_cast<unsigned long>(file_system.f_type));
}
